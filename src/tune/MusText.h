#pragma once
#include <cstddef>
#include <cstdint>

namespace notecast {

// The text block at the end of a MUS file: up to five PETSCII lines, each
// ended by a carriage return or a zero byte.
constexpr int kMusTextLines = 5;
constexpr int kMusLineWidth = 32;  // characters kept per line

// The printable character kept for a PETSCII byte; 0x0D and 0x00 end a line,
// and values below 0x20 are never stored.
char musTextCharacter(std::uint8_t petscii);

// Reads the lines that start at `offset` into `slots` (each at least
// kMusLineWidth + 1 bytes; they are zero-filled first). Only bytes below
// `length` are read; a line that reaches the end of the data ends there and
// the lines after it stay empty. A cursor-left (0x9D) moves the write position
// back without erasing, as on the screen.
void readMusTextLines(const std::uint8_t* data, std::size_t length, std::size_t offset,
                      char* const slots[kMusTextLines], std::size_t slotSize);

} // namespace notecast
