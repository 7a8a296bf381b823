#include "frontend/BatchReport.h"

#include <cstdio>
#include <ostream>

namespace notecast {

namespace {

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string fixed2(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

} // namespace

const char* statusName(SongStatus status) {
    switch (status) {
    case SongStatus::Converted: return "converted";
    case SongStatus::Skipped: return "skipped";
    case SongStatus::Refused: return "refused";
    case SongStatus::Failed: return "failed";
    }
    return "failed";
}

void writeReport(std::ostream& csv, const std::vector<SongRow>& rows) {
    csv << "input,song,status,text,output,seconds,notes,tempo\n";
    for (const SongRow& r : rows) {
        const bool converted = r.status == SongStatus::Converted;
        csv << csvField(r.input) << ',' << (r.song > 0 ? std::to_string(r.song) : "") << ','
            << statusName(r.status) << ',' << csvField(r.text) << ',' << csvField(r.output) << ','
            << (converted ? std::to_string(r.seconds) : "") << ','
            << (converted ? std::to_string(r.notes) : "") << ','
            << (converted && r.tempo > 0.0 ? fixed2(r.tempo) : "") << '\n';
    }
}

void printSummary(std::ostream& out, const std::vector<SongRow>& rows, std::size_t files,
                  double seconds) {
    std::size_t count[4] = {};
    std::size_t songs = 0;
    std::uint64_t notes = 0;
    for (const SongRow& r : rows) {
        ++count[static_cast<int>(r.status)];
        if (r.song > 0) ++songs;
        notes += r.notes;
    }
    out << "Files        : " << files << std::endl
        << "Songs        : " << songs << std::endl
        << "Converted    : " << count[static_cast<int>(SongStatus::Converted)] << std::endl
        << "Skipped      : " << count[static_cast<int>(SongStatus::Skipped)] << std::endl
        << "Refused      : " << count[static_cast<int>(SongStatus::Refused)] << std::endl
        << "Failed       : " << count[static_cast<int>(SongStatus::Failed)] << std::endl
        << "Notes        : " << notes << std::endl
        << "Time         : " << fixed2(seconds) << " seconds" << std::endl;
}

void printProblems(std::ostream& err, const std::vector<SongRow>& rows) {
    for (const SongRow& r : rows) {
        if (r.status != SongStatus::Refused && r.status != SongStatus::Failed) continue;
        err << (r.status == SongStatus::Refused ? "Refused: " : "Failed: ") << r.input;
        if (r.song > 0) err << ", song " << r.song;
        err << ": " << r.text << std::endl;
    }
}

} // namespace notecast
