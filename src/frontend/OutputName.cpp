#include "frontend/OutputName.h"

namespace notecast {

std::string defaultOutputName(const std::string& inputFile, std::int32_t songNumber,
                              bool outputInWorkingDirectory, OutputMode outputMode) {
    std::string name = inputFile;
    const std::size_t separator = name.find_last_of("\\/");
    std::size_t nameStart = 0;
    if (separator != std::string::npos) {
        if (outputInWorkingDirectory) {
            name.erase(0, separator + 1);
        } else {
            nameStart = separator + 1;
        }
    }
    // Only a dot in the file's own name starts an extension; a dot in a
    // directory name ("dir.old/tune", "./tune") must not cut the path.
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot >= nameStart) name.erase(dot);

    name += "_subtune";
    name += std::to_string(songNumber);
    name += outputMode == OutputMode::Text ? ".txt" : ".mid";
    return name;
}

} // namespace notecast
