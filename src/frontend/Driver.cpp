#include "frontend/Driver.h"

#include "frontend/CommandLine.h"
#include "frontend/Console.h"
#include "frontend/ConversionLoop.h"
#include "frontend/HelpTexts.h"
#include "frontend/Options.h"
#include "frontend/PlayingTime.h"
#include "frontend/SettingsEcho.h"
#include "frontend/TuneInfoPrinter.h"
#include "tune/SidTune.h"
#include "tune/SongLengthDB.h"

#include <cstdint>
#include <iostream>

namespace notecast {

namespace {

constexpr std::uint32_t kDefaultPlaySeconds = 90;

int runSteps(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err,
             Console& console) {
    console.setTitle(out, "NOTECAST");
    printBanner(out);

    SongLengthDB database;
    const bool databaseLoaded = loadSongLengths(database, argc > 0 ? argv[0] : nullptr);
    out << std::endl;

    if (argc < 2) {
        printHelpPage(out, HelpPage::Usage);
        console.waitForKey(out);
        return -1;
    }

    const CommandLine commandLine(argc, argv);
    if (commandLine.hasOption("-hm")) {
        printHelpPage(out, HelpPage::Midi);
        return -1;
    }
    if (commandLine.hasOption("-ht")) {
        printHelpPage(out, HelpPage::Text);
        return -1;
    }
    RunOptions run = readOptions(commandLine);
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
    settlePlayingTime(database, databaseLoaded, tune, run.songNumber, run.verbose, run.settings,
                      out, err);
    if (run.settings.playSeconds == 0) run.settings.playSeconds = kDefaultPlaySeconds;
    printTuneInfo(out, info, run.verbose);

    return convertTune(tune, run, in, out, err);
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
