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

// The part of a value pattern before its conversion ("-ps" of "-ps%d").
std::size_t headLength(const char* pattern) {
    const char* conversion = std::strchr(pattern, '%');
    return conversion != nullptr ? static_cast<std::size_t>(conversion - pattern) : std::strlen(pattern);
}

} // namespace

CommandLine::CommandLine(int count, char** arguments)
    : count_(arguments == nullptr || count < 0 ? 0 : count), arguments_(arguments) {}

bool CommandLine::accepts(const char* argument, const OptionRule& rule) {
    if (argument == nullptr) return false;
    switch (rule.form) {
    case OptionForm::Exact: return std::strcmp(argument, rule.text) == 0;
    case OptionForm::Prefix: return std::strncmp(argument, rule.text, std::strlen(rule.text)) == 0;
    case OptionForm::Value: {
        const std::size_t head = headLength(rule.text);
        if (std::strncmp(argument, rule.text, head) != 0) return false;
        const char first = argument[head];
        return first >= '0' && first <= '9';
    }
    }
    return false;
}

void CommandLine::record(const char* text, OptionForm form) const {
    if (log_ != nullptr) log_->push_back({text, form});
}

bool CommandLine::hasOption(const char* text) const {
    record(text, OptionForm::Exact);
    for (int i = 1; i < count_; ++i) {
        if (accepts(arguments_[i], {text, OptionForm::Exact})) return true;
    }
    return false;
}

bool CommandLine::hasPrefix(const char* text) const {
    record(text, OptionForm::Prefix);
    for (int i = 1; i < count_; ++i) {
        if (accepts(arguments_[i], {text, OptionForm::Prefix})) return true;
    }
    return false;
}

bool CommandLine::getText(const char* prefix, std::string& destination) const {
    record(prefix, OptionForm::Prefix);
    for (int i = 1; i < count_; ++i) {
        if (accepts(arguments_[i], {prefix, OptionForm::Prefix})) {
            destination = arguments_[i] + std::strlen(prefix);
            return true;
        }
    }
    return false;
}

const char* CommandLine::findValue(const char* pattern) const {
    record(pattern, OptionForm::Value);
    for (int i = 1; i < count_; ++i) {
        if (accepts(arguments_[i], {pattern, OptionForm::Value})) return arguments_[i] + headLength(pattern);
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

std::vector<std::string> CommandLine::positionalArguments() const {
    std::vector<std::string> found;
    for (int i = 1; i < count_; ++i) {
        if (arguments_[i] != nullptr && arguments_[i][0] != '-') found.emplace_back(arguments_[i]);
    }
    return found;
}

} // namespace notecast
