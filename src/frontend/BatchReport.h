#pragma once
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace notecast {

enum class SongStatus { Converted, Skipped, Refused, Failed };

// One row of a batch's report: a song of an input, or an input refused as a
// whole (song 0, no output).
struct SongRow {
    std::string input;
    int song = 0;
    SongStatus status = SongStatus::Refused;
    std::string text;           // why, or what to know about a converted song
    std::string output;
    std::uint32_t seconds = 0;  // playing time converted
    std::uint32_t notes = 0;
    double tempo = 0.0;         // beats per minute of the file; 0 for none
};

const char* statusName(SongStatus status);

// The report file: a header line, then one line per row in the order given.
// Fields that hold a comma, a quote or a line end are quoted.
void writeReport(std::ostream& csv, const std::vector<SongRow>& rows);

// The summary on standard output after a batch.
void printSummary(std::ostream& out, const std::vector<SongRow>& rows, std::size_t files,
                  double seconds);

// One line on standard error for each refused or failed row, in order.
void printProblems(std::ostream& err, const std::vector<SongRow>& rows);

} // namespace notecast
