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

TEST(KnownOptions, UnknownArgumentsAreThoseNoTestAccepts) {
    std::vector<std::string> texts = {"notecast", "-nosie3", "-Env", "-env", "-ps", "-ps24", "-ifx",
                                      "-dir=", "-dirx", "-j", "-j2", "-", "tune.sid", "--helpx"};
    std::vector<char*> argv;
    for (std::string& t : texts) argv.push_back(t.data());
    const std::vector<std::string> expected = {"-nosie3", "-Env", "-ps", "-dirx", "-j", "-", "--helpx"};
    EXPECT_EQ(unknownOptions(static_cast<int>(argv.size()), argv.data()), expected);
}

TEST(KnownOptions, CollectionOptionsAndTheirValues) {
    std::vector<std::string> texts = {"notecast", "-all", "-batch",  "-dir=my music", "-csv=r.csv",
                                      "-j3",      "-y",   "a.sid",   "music",         "-dir=second"};
    std::vector<char*> argv;
    for (std::string& t : texts) argv.push_back(t.data());
    const RunOptions run = readOptions(CommandLine(static_cast<int>(argv.size()), argv.data()));
    const CollectionOptions& c = run.collection;
    EXPECT_TRUE(c.allSongs && c.batch && c.replaceOutputs);
    EXPECT_EQ(c.outputDirectory, "my music");  // blanks kept, the first one wins
    EXPECT_EQ(c.reportFile, "r.csv");
    EXPECT_EQ(c.jobs, 3);
    EXPECT_EQ(c.inputs, (std::vector<std::string>{"a.sid", "music"}));
    // None of them sets anything of a single run.
    const RunOptions plain;
    EXPECT_EQ(run.songNumber, plain.songNumber);
    EXPECT_EQ(run.settings.outputMode, plain.settings.outputMode);
    EXPECT_EQ(run.settings.playSeconds, plain.settings.playSeconds);
    EXPECT_EQ(run.outputInWorkingDirectory, plain.outputInWorkingDirectory);
}

} // namespace
} // namespace notecast
