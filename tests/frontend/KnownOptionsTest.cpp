// The list of known options against the parser, and the options against
// each other: an option that another one's test accepts would change a
// setting nobody asked for.
#include "frontend/CommandLine.h"
#include "frontend/KnownOptions.h"
#include "frontend/Options.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace notecast {
namespace {

std::string describe(const OptionRule& rule) {
    const char* forms[] = {"exact", "prefix", "value"};
    return std::string(rule.text) + " (" + forms[static_cast<int>(rule.form)] + ")";
}

// Arguments that the rule's own test accepts.
std::vector<std::string> samples(const OptionRule& rule) {
    const std::string text = rule.text;
    switch (rule.form) {
    case OptionForm::Exact: return {text};
    case OptionForm::Prefix: return {text, text + "x", text + "7"};
    case OptionForm::Value: return {text.substr(0, text.find('%')) + "7"};
    }
    return {};
}

std::string headOf(const OptionRule& rule) {
    const std::string text = rule.text;
    return text.substr(0, text.find('%'));
}

TEST(KnownOptions, NameExactlyTheOptionsTheParserReads) {
    char program[] = "notecast";
    char* argv[] = {program, nullptr};
    CommandLine commandLine(1, argv);
    std::vector<OptionRule> asked;
    commandLine.recordQueries(&asked);
    (void)requestedPage(commandLine);
    (void)readOptions(commandLine);

    std::set<std::string> read, known;
    for (const OptionRule& rule : asked) read.insert(describe(rule));
    for (const OptionRule& rule : knownOptions()) {
        EXPECT_TRUE(known.insert(describe(rule)).second) << "listed twice: " << describe(rule);
    }
    EXPECT_EQ(read, known);
}

TEST(KnownOptions, NoOptionIsTakenForAnother) {
    // Intended overlaps: the value form of a flag ("-bpm120" also counts as
    // "-bpm"), and "-ifdisp", which also counts as "-if".
    const auto intended = [](const OptionRule& a, const OptionRule& b) {
        return headOf(a) == headOf(b) || (std::string(a.text) == "-ifdisp" && std::string(b.text) == "-if");
    };
    for (const OptionRule& a : knownOptions()) {
        for (const std::string& argument : samples(a)) {
            ASSERT_TRUE(CommandLine::accepts(argument.c_str(), a)) << argument;
            for (const OptionRule& b : knownOptions()) {
                if (&a == &b || intended(a, b)) continue;
                EXPECT_FALSE(CommandLine::accepts(argument.c_str(), b))
                    << argument << " of " << describe(a) << " is taken for " << describe(b);
            }
        }
    }
}

} // namespace
} // namespace notecast
