#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace notecast {

// How an option is recognised in an argument: equal to its text, beginning
// with its text, or a value pattern ("-ps%d": the head "-ps" followed by a
// decimal digit).
enum class OptionForm { Exact, Prefix, Value };

struct OptionRule {
    const char* text;
    OptionForm form;
};

// A read-only view of the process's argument vector. Argument 0 (the
// program's own path) is never examined; every scan runs over arguments 1 to
// count-1 in order and compares case-sensitively. Nothing is copied or
// changed, so the vector must outlive the view.
class CommandLine {
public:
    CommandLine(int count, char** arguments);

    // Whether argument is one the test of rule accepts; the scans below use
    // the same rule, so a list of rules cannot disagree with them.
    static bool accepts(const char* argument, const OptionRule& rule);

    // Every later query appends the option it asked about to log (nullptr
    // stops it). This lets a test compare the options the program reads with
    // the list of options it knows.
    void recordQueries(std::vector<OptionRule>* log) { log_ = log; }

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
    // The whole rest of the first argument that begins with prefix, blanks
    // included, even when empty ("-dir=my music" gives "my music"). False
    // when no argument begins with prefix.
    bool getText(const char* prefix, std::string& destination) const;

    // The n-th argument (counted from 1) that does not begin with "-"; an
    // empty argument counts. With fewer such arguments destination is
    // unchanged.
    void getArgument(int n, std::string& destination) const;
    // All those arguments, in order.
    std::vector<std::string> positionalArguments() const;

private:
    // The rest of the first argument that carries a value for pattern, or
    // nullptr.
    const char* findValue(const char* pattern) const;
    void record(const char* text, OptionForm form) const;

    int count_;
    char** arguments_;
    std::vector<OptionRule>* log_ = nullptr;
};

} // namespace notecast
