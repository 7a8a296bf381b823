#pragma once
#include "convert/ConverterSettings.h"
#include "frontend/BatchReport.h"

#include <string>

namespace notecast {

// One conversion of a batch: a song of a tune into its own file.
struct SongTask {
    std::string input;          // the tune's data file
    int song = 0;
    std::uint32_t seconds = 0;  // playing time, settled
    std::string output;
    std::string tuneWarning;    // what examining the tune found, for the report
};

// Converts the song quietly and says how it went; never throws. An existing
// output is kept (skipped) unless replace is set; createFolder makes the
// output's folder first. The conversion has the limits of a single run.
SongRow convertSong(const SongTask& task, ConverterSettings settings, bool replace, bool createFolder);

} // namespace notecast
