#include "frontend/BatchSong.h"

#include "backend/PianoRollWriter.h"
#include "convert/Converter.h"
#include "tune/SidTune.h"

#include <filesystem>
#include <string_view>

namespace notecast {

namespace {

namespace fs = std::filesystem;

void append(std::string& text, const std::string& more) {
    if (more.empty()) return;
    if (!text.empty()) text += ' ';
    text += more;
}

// What the single run says on standard error about routines the instruction
// budget had to stop and about what an interrupt-driven tune did, without
// the "WARNING: " heads.
std::string stoppedRoutines(const Converter& converter) {
    std::string text;
    if (converter.initStopped()) text = "The init routine did not return and was stopped.";
    const std::uint32_t stopped = converter.stoppedPlayCalls();
    if (stopped == 1) append(text, "1 play call did not return and was stopped.");
    if (stopped > 1) append(text, std::to_string(stopped) + " play calls did not return and were stopped.");
    constexpr std::string_view kHead = "WARNING: ";
    for (const std::string& warning : converter.machineWarnings())
        append(text, warning.starts_with(kHead) ? warning.substr(kHead.size()) : warning);
    return text;
}

} // namespace

SongRow convertSong(const SongTask& task, ConverterSettings settings, bool replace, bool createFolder) {
    SongRow row;
    row.input = task.input;
    row.song = task.song;
    row.output = task.output;
    row.status = SongStatus::Failed;
    try {
        std::error_code ec;
        // The picture of -svg is an output too.
        if (!replace && (fs::exists(task.output, ec) ||
                         (settings.pianoRoll && fs::exists(pictureFileName(task.output), ec)))) {
            row.status = SongStatus::Skipped;
            row.text = "The output file exists.";
            return row;
        }
        SidTune tune(task.input.c_str());
        if (!tune.status()) {
            // It loaded when the batch looked at it, so it changed since.
            row.text = tune.getInfo().statusText;
            return row;
        }
        if (createFolder) fs::create_directories(fs::path(task.output).parent_path(), ec);

        settings.playSeconds = task.seconds;
        Converter converter;
        converter.configure(settings);
        converter.initSong(tune, task.song);
        if (!tune.status()) {
            row.text = tune.getInfo().statusText;
            return row;
        }
        converter.run(task.output, replace, nullptr);
        row.status = SongStatus::Converted;
        row.seconds = task.seconds;
        row.notes = converter.notesWritten();
        row.tempo = converter.tempoBpm();
        row.text = task.tuneWarning;
        append(row.text, stoppedRoutines(converter));
    } catch (const BackEnd::Error& error) {
        // An output that appeared meanwhile is kept like any other.
        row.status = error.code == 2 ? SongStatus::Skipped : SongStatus::Failed;
        row.text = error.code == 2 ? "The output file exists." : error.message;
    } catch (const std::exception& error) {
        row.text = std::string("ERROR! Not handled yet: ") + error.what();
    } catch (...) {
        row.text = "ERROR! Not handled yet.";
    }
    return row;
}

} // namespace notecast
