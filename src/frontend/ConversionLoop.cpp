#include "frontend/ConversionLoop.h"

#include "backend/PianoRollWriter.h"
#include "convert/Converter.h"
#include "frontend/Options.h"
#include "frontend/OutputName.h"
#include "frontend/Progress.h"
#include "frontend/TuneChecks.h"
#include "tune/SidTune.h"

#include <istream>
#include <memory>
#include <ostream>

namespace notecast {

namespace {

// Routines that the instruction budget had to stop play wrong or not at all;
// the file is still written, but the user must know why it may sound wrong.
void reportStoppedRoutines(const Converter& converter, std::ostream& err) {
    constexpr const char* kConsequence =
        "this tune needs a real C64 environment and cannot be converted faithfully.";
    if (converter.initStopped()) {
        err << "WARNING: The init routine did not return and was stopped; " << kConsequence
            << std::endl;
    }
    const std::uint32_t stopped = converter.stoppedPlayCalls();
    if (stopped == 1) {
        err << "WARNING: 1 play call did not return and was stopped; " << kConsequence << std::endl;
    } else if (stopped > 1) {
        err << "WARNING: " << stopped << " play calls did not return and were stopped; "
            << kConsequence << std::endl;
    }
    for (const std::string& warning : converter.machineWarnings()) err << warning << std::endl;
}

// The default noise level drops every sound with noise in it, which for
// many tunes is most of the music (leads and basses that start with a
// click among them): say so when it is more than a third of the notes.
void reportNoiseNotes(const Converter& converter, std::ostream& err) {
    const Converter::NoiseNotes notes = converter.noiseNotes();
    if (3ull * notes.leftOut <= notes.total) return;
    err << "Hint: " << notes.leftOut << " of " << notes.total
        << " notes were left out because their sound has noise in it; -daw keeps them." << std::endl;
}

// Runs the conversion until it succeeds, fails for good or the user declines
// to overwrite; true when it failed.
bool conversionLoop(Converter& converter, const std::string& outputName, bool overwriteAllowed,
                    std::istream& in, std::ostream& out, std::ostream& err) {
    for (;;) {
        out << "Working      : " << std::flush;
        ConsoleProgress progress(out);
        try {
            converter.run(outputName, overwriteAllowed, &progress);
            return false;
        } catch (const BackEnd::Error& error) {
            // The progress line may still be open.
            err << std::endl << error.message << std::endl;
            if (error.code != 2) return true;
            overwriteAllowed = askOverwrite(in, out);
            if (!overwriteAllowed) return false;
        } catch (...) {
            reportUnexpected(err);
            return true;
        }
    }
}

} // namespace

void reportUnexpected(std::ostream& err) {
    err << "ERROR! Not handled yet." << std::endl
        << "Try again if your system is in a usable state." << std::endl;
}

int convertTune(SidTune& tune, RunOptions& run, std::istream& in, std::ostream& out,
                std::ostream& err) {
    std::unique_ptr<Converter> converter;
    try {
        converter = std::make_unique<Converter>();
        converter->configure(run.settings);
        converter->initSong(tune, run.songNumber);
        run.settings = converter->settings();
    } catch (const BackEnd::Error& error) {
        err << error.message << std::endl;
        return -1;
    } catch (...) {
        err << std::endl;
        reportUnexpected(err);
        return -1;
    }

    const SidTuneInfo info = tune.getInfo();
    if (!tune.status()) {
        err << (info.statusText != nullptr ? info.statusText : "") << std::flush;
        return -1;
    }
    out << "Setting song : " << info.currentSong << " out of " << info.songCount
        << " (default = " << info.startSong << ")" << std::endl;
    if (run.verbose) {
        out << "Song speed   : " << (info.speedText != nullptr ? info.speedText : "") << std::endl;
        out << "Song length  : " << run.settings.playSeconds << " seconds will be processed."
            << std::endl;
    }

    if (run.outputFile.empty()) {
        run.outputFile = defaultOutputName(run.inputFile, run.songNumber, run.outputInWorkingDirectory,
                                           run.settings.outputMode);
    }
    out << "Output file  : " << run.outputFile << std::endl;
    const std::string picture = run.settings.pianoRoll ? pictureFileName(run.outputFile) : std::string();
    if (!picture.empty()) out << "Picture file : " << picture << std::endl;

    // Writing over the tune would destroy it, whatever the user answers.
    std::vector<std::string> inputs = tuneFiles(tune);
    inputs.push_back(run.inputFile);
    for (const std::string& output : {run.outputFile, picture}) {
        if (output.empty() || !isOneOf(output, inputs)) continue;
        err << "ERROR: The output file is an input file: " << output << std::endl;
        return -1;
    }

    const bool failed = conversionLoop(*converter, run.outputFile, run.collection.replaceOutputs,
                                       in, out, err);

    std::string warnings;
    converter->getWarnings(warnings);
    out << std::endl << warnings << std::endl;
    reportStoppedRoutines(*converter, err);
    reportNoiseNotes(*converter, err);
    return failed ? -1 : 0;
}

} // namespace notecast
