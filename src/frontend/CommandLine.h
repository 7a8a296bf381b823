#pragma once
#include <cstdint>
#include <string>

namespace notecast {

// A read-only view of the process's argument vector. Argument 0 (the
// program's own path) is never examined; every scan runs over arguments 1 to
// count-1 in order and compares case-sensitively. Nothing is copied or
// changed, so the vector must outlive the view.
class CommandLine {
public:
    CommandLine(int count, char** arguments);

    // Some argument equals text exactly.
    bool hasOption(const char* text) const;
    // Some argument begins with text (an equal argument counts).
    bool hasPrefix(const char* text) const;

    // Reads the value of the first argument that carries one for pattern.
    // The pattern is a head followed by "%d" (e.g. "-ps%d"); an argument
    // carries a value when it begins with the head and the rest begins with a
    // decimal digit. The rest is read like a stream extraction, so reading
    // stops at the first character that cannot continue the value ("-ps24x"
    // gives 24, "-t90.5" gives 90). Only the first carrying argument is read;
    // when its value does not fit the destination type, or no argument
    // carries one, the destination keeps its value (the caller's default).
    void getValue(const char* pattern, std::int32_t& destination) const;
    void getValue(const char* pattern, std::uint32_t& destination) const;
    void getValue(const char* pattern, float& destination) const;
    // Text form: the characters up to the first white space.
    void getValue(const char* pattern, std::string& destination) const;

    // The n-th argument (counted from 1) that does not begin with "-"; an
    // empty argument counts. With fewer such arguments destination is
    // unchanged.
    void getArgument(int n, std::string& destination) const;

private:
    // The rest of the first argument that carries a value for pattern, or
    // nullptr.
    const char* findValue(const char* pattern) const;

    int count_;
    char** arguments_;
};

} // namespace notecast
