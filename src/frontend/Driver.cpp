#include "frontend/Driver.h"

#include "frontend/BatchRun.h"
#include "frontend/CommandLine.h"
#include "frontend/Console.h"
#include "frontend/ConversionLoop.h"
#include "frontend/HelpTexts.h"
#include "frontend/KnownOptions.h"
#include "frontend/Options.h"
#include "frontend/OutputName.h"
#include "frontend/PlayingTime.h"
#include "frontend/SettingsEcho.h"
#include "frontend/TuneChecks.h"
#include "frontend/TuneInfoPrinter.h"
#include "tune/SidTune.h"
#include "tune/SongLengthDB.h"

#include <cstdint>
#include <iostream>

namespace notecast {

namespace {

constexpr std::uint32_t kDefaultPlaySeconds = 90;

// -all: songs 1 to N one after another, each as a single run would convert
// it with -o, named after the output name when one was given. The playing
// time of each song is settled anew (from -t, else the database, else 90
// seconds). -1 when a song failed.
int convertEverySong(SidTune& tune, const RunOptions& run, SongLengthDB& database,
                     bool databaseLoaded, std::istream& in, std::ostream& out, std::ostream& err) {
    int result = 0;
    const int songs = tune.getInfo().songCount;
    for (int song = 1; song <= songs; ++song) {
        RunOptions one = run;
        one.songNumber = song;
        if (!run.outputFile.empty())
            one.outputFile = defaultOutputName(run.outputFile, song, false, run.settings.outputMode);
        settlePlayingTime(database, databaseLoaded, tune, song, false, one.settings, out, err);
        if (one.settings.playSeconds == 0) one.settings.playSeconds = kDefaultPlaySeconds;
        if (convertTune(tune, one, in, out, err) != 0) result = -1;
    }
    return result;
}

int runSteps(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err,
             Console& console) {
    const CommandLine commandLine(argc, argv);
    const PageRequest page = requestedPage(commandLine);
    if (page == PageRequest::Version) {
        printVersion(out);
        return 0;
    }
    RunOptions run = readOptions(commandLine);

    console.setTitle(out, "NOTECAST");
    printBanner(out);

    // A batch looks for its database itself, also beside its inputs.
    SongLengthDB database;
    const bool databaseLoaded =
        !run.collection.batch && loadSongLengths(database, argc > 0 ? argv[0] : nullptr);
    out << std::endl;

    if (argc < 2) {
        printHelpPage(out, HelpPage::Usage);
        console.waitForKey(out);
        return -1;
    }

    for (const std::string& unknown : unknownOptions(argc, argv))
        err << "WARNING: Unknown option ignored: " << unknown << std::endl;
    switch (page) {
    case PageRequest::MidiHelp: printHelpPage(out, HelpPage::Midi); return -1;
    case PageRequest::TextHelp: printHelpPage(out, HelpPage::Text); return -1;
    case PageRequest::Help:
        printHelpPage(out, HelpPage::Usage);
        printCollectionHelp(out);
        return 0;
    default: break;
    }

    if (run.collection.batch) {
        if (run.collection.inputs.empty()) {
            printHelpPage(out, HelpPage::Usage);
            return -1;
        }
        return runBatch(run, argc > 0 ? argv[0] : nullptr, out, err, console.errorIsTerminal());
    }
    if (run.inputFile.empty()) {
        printHelpPage(out, HelpPage::Usage);
        return -1;
    }
    if (run.verbose) echoSettings(out, run.settings);

    SidTune tune(run.inputFile.c_str());
    const SidTuneInfo info = tune.getInfo();
    if (!tune.status()) {
        err << (info.statusText != nullptr ? info.statusText : "") << std::endl;
        return -1;
    }
    for (const std::string& warning : info.headerWarnings) err << warning << std::endl;
    if (run.songNumber == 0) run.songNumber = info.startSong;
    const std::uint32_t givenSeconds = run.settings.playSeconds;
    settlePlayingTime(database, databaseLoaded, tune, run.songNumber, run.verbose, run.settings,
                      out, err);
    if (run.settings.playSeconds == 0) run.settings.playSeconds = kDefaultPlaySeconds;
    printTuneInfo(out, info, run.verbose);
    const std::string warning = addressWarning(info);
    if (!warning.empty()) err << warning << std::endl;

    if (!run.collection.allSongs) return convertTune(tune, run, in, out, err);
    run.settings.playSeconds = givenSeconds;
    return convertEverySong(tune, run, database, databaseLoaded, in, out, err);
}

} // namespace

int runDriver(int argc, char** argv) {
    TerminalConsole console;
    return runDriver(argc, argv, std::cin, std::cout, std::cerr, console);
}

int runDriver(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err) {
    Console console;
    return runDriver(argc, argv, in, out, err, console);
}

int runDriver(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err,
              Console& console) {
    // The conversion guards its own steps; this only keeps a failure outside
    // them (such as memory running out while a tune loads) from aborting
    // the process without a word.
    try {
        return runSteps(argc, argv, in, out, err, console);
    } catch (...) {
        err << std::endl;
        reportUnexpected(err);
        return -1;
    }
}

} // namespace notecast
