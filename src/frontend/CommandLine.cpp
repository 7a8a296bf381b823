#include "frontend/CommandLine.h"

#include <cstring>
#include <limits>
#include <sstream>

namespace notecast {

namespace {

// Reads a value from the start of text; false when the stream fails (no
// number, or one out of range for T).
template <typename T>
bool readValue(const char* text, T& value) {
    std::istringstream in(text);
    in >> value;
    return !in.fail();
}

} // namespace

CommandLine::CommandLine(int count, char** arguments)
    : count_(arguments == nullptr || count < 0 ? 0 : count), arguments_(arguments) {}

bool CommandLine::hasOption(const char* text) const {
    for (int i = 1; i < count_; ++i) {
        if (arguments_[i] != nullptr && std::strcmp(arguments_[i], text) == 0) return true;
    }
    return false;
}

bool CommandLine::hasPrefix(const char* text) const {
    const std::size_t length = std::strlen(text);
    for (int i = 1; i < count_; ++i) {
        if (arguments_[i] != nullptr && std::strncmp(arguments_[i], text, length) == 0) return true;
    }
    return false;
}

const char* CommandLine::findValue(const char* pattern) const {
    const char* conversion = std::strchr(pattern, '%');
    const std::size_t headLength =
        conversion != nullptr ? static_cast<std::size_t>(conversion - pattern) : std::strlen(pattern);
    for (int i = 1; i < count_; ++i) {
        const char* argument = arguments_[i];
        if (argument == nullptr || std::strncmp(argument, pattern, headLength) != 0) continue;
        const char* rest = argument + headLength;
        if (*rest >= '0' && *rest <= '9') return rest;
    }
    return nullptr;
}

void CommandLine::getValue(const char* pattern, std::int32_t& destination) const {
    const char* rest = findValue(pattern);
    long value = 0;
    if (rest == nullptr || !readValue(rest, value)) return;
    // Read as a long, but a number beyond the 32-bit range is out of range.
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        return;
    }
    destination = static_cast<std::int32_t>(value);
}

void CommandLine::getValue(const char* pattern, std::uint32_t& destination) const {
    const char* rest = findValue(pattern);
    unsigned long value = 0;
    if (rest == nullptr || !readValue(rest, value)) return;
    if (value > std::numeric_limits<std::uint32_t>::max()) return;
    destination = static_cast<std::uint32_t>(value);
}

void CommandLine::getValue(const char* pattern, float& destination) const {
    const char* rest = findValue(pattern);
    float value = 0.0f;
    if (rest != nullptr && readValue(rest, value)) destination = value;
}

void CommandLine::getValue(const char* pattern, std::string& destination) const {
    const char* rest = findValue(pattern);
    std::string value;
    if (rest != nullptr && readValue(rest, value)) destination = value;
}

void CommandLine::getArgument(int n, std::string& destination) const {
    int seen = 0;
    for (int i = 1; i < count_; ++i) {
        const char* argument = arguments_[i];
        if (argument == nullptr || argument[0] == '-') continue;
        if (++seen == n) {
            destination = argument;
            return;
        }
    }
}

} // namespace notecast
