#include "frontend/Options.h"

#include "frontend/CommandLine.h"

#include <algorithm>

namespace notecast {

namespace {

// Each digit '1'..'9' of the word mutes that voice (4-9: the further SID
// chips of a tune that has them); other characters are ignored.
void applyMuteList(const std::string& voices, ConverterSettings& settings) {
    for (char c : voices) {
        if (c >= '1' && c <= '9') settings.muteVoice[static_cast<std::size_t>(c - '1')] = true;
    }
}

// Options of runs over many songs and files. Their texts are chosen so that
// no other option's test accepts them, nor theirs another option.
void readCollectionOptions(const CommandLine& cl, CollectionOptions& c) {
    c.allSongs = cl.hasOption("-all");
    c.batch = cl.hasOption("-batch");
    cl.getText("-dir=", c.outputDirectory);
    cl.getText("-csv=", c.reportFile);
    cl.getValue("-j%d", c.jobs);
    c.replaceOutputs = cl.hasOption("-y");
    c.inputs = cl.positionalArguments();
}

// The DAW options, each an exact word that no other option's prefix or
// value pattern takes; -daw turns on all of them and -env.
void readDawOptions(const CommandLine& cl, ConverterSettings& s) {
    const bool daw = cl.hasOption("-daw");
    s.trackPerChannel = daw || cl.hasOption("-tracks");
    s.generalMidiSounds = daw || cl.hasOption("-gm");
    s.drumKit = daw || cl.hasOption("-kit");
    s.clickPitch = daw || cl.hasOption("-click");
    s.splitNotes = daw || cl.hasOption("-split");
    s.tempoFromAllChannels = daw || cl.hasOption("-beat");
    s.envelopeVelocity = daw || cl.hasOption("-vel");
    if (daw) s.envelopeEmulation = true;
    // Click notes need the sounds with noise to get channels and be played;
    // the drum kit needs the drum channel as well.
    if (s.clickPitch) s.noiseLevel = std::max(s.noiseLevel, 2);
    if (s.drumKit) s.noiseLevel = std::max(s.noiseLevel, 3);
}

// The picture beside the output, an exact word that no other option's
// prefix or value pattern takes.
void readPictureOption(const CommandLine& cl, ConverterSettings& s) { s.pianoRoll = cl.hasOption("-svg"); }

} // namespace

PageRequest requestedPage(const CommandLine& cl) {
    if (cl.hasOption("-hm")) return PageRequest::MidiHelp;
    if (cl.hasOption("-ht")) return PageRequest::TextHelp;
    if (cl.hasOption("--help")) return PageRequest::Help;
    if (cl.hasOption("--version")) return PageRequest::Version;
    return PageRequest::None;
}

RunOptions readOptions(const CommandLine& cl) {
    RunOptions run;
    ConverterSettings& s = run.settings;

    // The order matters: a prefix test sets a flag value that the value
    // pattern evaluated after it may refine (-if then -if%d, -p2n then -p2n%d).
    run.verbose = cl.hasOption("-v");
    s.alwaysShowNotes = cl.hasOption("-an");
    s.englishNotes = cl.hasOption("-eng");
    s.hideFrequency = cl.hasOption("-ifdisp");
    s.timeFormat = cl.hasPrefix("-cake") ? TimeFormat::Frames : TimeFormat::Hundredths;
    s.outputMode = cl.hasPrefix("-2txt") ? OutputMode::Text : OutputMode::Midi;
    cl.getValue("-ps%d", s.pitchBendRange);
    s.autoTempo = !cl.hasPrefix("-bpm");
    cl.getValue("-bpm%d", s.tempoBpm);
    cl.getValue("-ppq%d", s.pulsesPerQuarter);
    s.frequencyChangeLimit = cl.hasPrefix("-if") ? 0 : -1;
    cl.getValue("-if%d", s.frequencyChangeLimit);
    cl.getValue("-o%d", run.songNumber);
    s.pitchChangeNotes = cl.hasPrefix("-p2n") ? -1 : 0;
    cl.getValue("-p2n%d", s.pitchChangeNotes);
    (void)cl.hasOption("-karp");  // accepted for compatibility; changes nothing
    cl.getValue("-sc%d", s.speedScale);
    cl.getValue("-noise%d", s.noiseLevel);
    s.ntscClock = cl.hasOption("-n");
    run.outputInWorkingDirectory = cl.hasOption("-cwd");
    s.envelopeEmulation = cl.hasOption("-env");
    s.captureSamples = cl.hasPrefix("-sam");
    cl.getValue("-sam%d", s.sampleChannel);
    s.sampleChannel &= 15;
    cl.getValue("-pt%d", s.pitchThreshold);
    cl.getValue("-t%d", s.playSeconds);
    std::string muteList;
    cl.getValue("-m%d", muteList);
    applyMuteList(muteList, s);
    cl.getValue("-x%d", s.extraControllers);
    readDawOptions(cl, s);
    readPictureOption(cl, s);

    cl.getArgument(1, run.inputFile);
    cl.getArgument(2, run.outputFile);

    readCollectionOptions(cl, run.collection);
    return run;
}

} // namespace notecast
