#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace notecast::test {

// A MIDI file written by the writer as readable text, every byte in hex: the
// header chunk, the track header, then one line per event, "delta | event",
// with the text of text meta events in quotes:
//
//   MThd 00 00 00 06 00 00 00 01 00 78
//   MTrk 00 00 00 41
//   00 | FF 03 09 "Test Tune"
//   8F 50 | FF 2F 00
//
// A track length that does not match the bytes present, and bytes that do
// not parse as events without running status, give a line beginning "BAD".
std::vector<std::string> midiListing(const std::filesystem::path& file);

// The event lines without the headers, the four leading meta events and the
// channel set-up at the first note.
std::vector<std::string> midiBody(const std::vector<std::string>& listing);

std::string joinLines(const std::vector<std::string>& lines);

} // namespace notecast::test
