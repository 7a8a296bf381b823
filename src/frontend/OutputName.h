#pragma once
#include "convert/ConverterSettings.h"

#include <cstdint>
#include <string>

namespace notecast {

// The output file name used when the command line gives none: the input
// file name without its extension, "_subtune" and the song number, then
// ".txt" for the text dump (OutputMode::Text) or ".mid". Both "\" and "/"
// separate directories. With outputInWorkingDirectory the directory part is
// dropped, so the file is created in the working directory.
std::string defaultOutputName(const std::string& inputFile, std::int32_t songNumber,
                              bool outputInWorkingDirectory, OutputMode outputMode);

} // namespace notecast
