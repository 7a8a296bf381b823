#pragma once
#include "backend/FrameSink.h"
#include "backend/NoteTable.h"
#include "backend/WriterSettings.h"

#include <cstdint>
#include <fstream>
#include <string>

namespace notecast {

// An output writer: a frame sink (FrameSink.h, the order of the frame
// slots) that writes one file. The conversion opens it, feeds it the
// frames, then closes it and asks for its warnings.
//
// How a writer turns frames into notes is its own business: the interface
// holds only what the conversion calls, and a writer overrides only the
// frame slots it uses.
class BackEnd : public FrameSink {
public:
    // The conversion's exception: code 0-3 and its message.
    struct Error {
        int code;
        std::string message;
    };

    explicit BackEnd(const WriterSettings& settings) : settings_(settings) {}

    // False when the file cannot be created.
    virtual bool open(const std::string& fileName, const std::string& title) = 0;
    // False when the file could not be written whole (a full disk, say).
    virtual bool close() = 0;
    // What the user is told after the conversion; nothing by default.
    virtual void getWarnings(std::string& text) { text.clear(); }

    const WriterSettings& settings() const { return settings_; }

    // What the file holds, for reports: the notes it starts (Note On events,
    // or note starts shown in the text table) and its tempo in beats per
    // minute, 0 where the file has none. The tempo is final after close.
    std::uint32_t notesWritten() const { return notesWritten_; }
    virtual double tempoBpm() const { return 0.0; }

protected:
    std::uint32_t notesWritten_ = 0;
    NoteTable notes_;
    std::ofstream out_;
    WriterSettings settings_;
};

} // namespace notecast
