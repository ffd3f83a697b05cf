// The command line: which arguments start the game how, and which are refused with a line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/commandline.h"
#include "shell/shell.h"

namespace {

struct ParseCase {
    std::vector<std::string> args;
    bool help, version, windowed, calm;
    const char *error; // "" when the arguments are accepted
};

const ParseCase parsecases[] = {
    {{}, false, false, false, false, ""},
    {{"--help"}, true, false, false, false, ""},
    {{"--version"}, false, true, false, false, ""},
    {{"-w"}, false, false, true, false, ""},
    {{"--windowed"}, false, false, true, false, ""},
    {{"--windowed", "--fullscreen"}, false, false, false, false, ""},
    {{"--fullscreen", "-w"}, false, false, true, false, ""},
    {{"-ww", "--calm"}, false, false, true, true, ""},
    {{"--win"}, false, false, true, false, ""}, // an unambiguous abbreviation, as getopt
    {{"--ver"}, false, true, false, false, ""},
    {{"--"}, false, false, false, false, ""},
    {{"--frobnicate"}, false, false, false, false, "unknown option '--frobnicate'"},
    {{"-x"}, false, false, false, false, "unknown option '-x'"},
    {{"-wx"}, false, false, true, false, "unknown option '-x'"},
    {{"-"}, false, false, false, false, "unexpected argument '-'"},
    {{"save.dat"}, false, false, false, false, "unexpected argument 'save.dat'"},
    {{"--", "--help"}, false, false, false, false, "unexpected argument '--help'"},
    {{"--help=full"}, false, false, false, false, "option '--help' takes no argument"},
    {{"---"}, false, false, false, false, "unknown option '---'"},
    {{"--calm", "stray", "--help"}, false, false, false, true, "unexpected argument 'stray'"},
};

TEST(CommandLine, ParsesEachCase)
{
    for (const ParseCase &c : parsecases) {
        std::string joined;
        for (const std::string &a : c.args)
            joined += a + " ";
        SCOPED_TRACE(joined);
        const Options o = parseoptions(c.args);
        EXPECT_EQ(o.error, c.error);
        if (!o.error.empty())
            continue;
        EXPECT_EQ(o.help, c.help);
        EXPECT_EQ(o.version, c.version);
        EXPECT_EQ(o.windowed, c.windowed);
        EXPECT_EQ(o.calm, c.calm);
    }
}

TEST(CommandLine, VersionIsTheProjectsOwn)
{
    EXPECT_EQ(versiontext(), "vellmora 1.0.0\n");
}

TEST(CommandLine, UsageNamesEveryOption)
{
    const std::string usage = usagetext();
    for (const char *option : {"--help", "--version", "-w, --windowed", "--fullscreen", "--calm",
                               "VELLMORA_CALM=1"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
}

TEST(CommandLine, CalmFromTheEnvironment)
{
    EXPECT_FALSE(calmrequested(nullptr));
    EXPECT_FALSE(calmrequested(""));
    EXPECT_FALSE(calmrequested("0"));
    EXPECT_TRUE(calmrequested("1"));
    EXPECT_TRUE(calmrequested("yes"));
}

// The flags the rest of the game reads are set only when the game is to go on.
TEST(CommandLine, SetsTheGlobalsOrStops)
{
    char prog[] = "vellmora", w[] = "-w", bad[] = "--bogus", help[] = "--help";
    char *goes[] = {prog, w, nullptr};
    startwindowed = false;
    EXPECT_EQ(commandline(2, goes), -1);
    EXPECT_TRUE(startwindowed);

    char *refused[] = {prog, bad, nullptr};
    testing::internal::CaptureStderr();
    EXPECT_EQ(commandline(2, refused), 2);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "vellmora: unknown option '--bogus'; see 'vellmora --help'\n");

    char *helped[] = {prog, help, nullptr};
    testing::internal::CaptureStdout();
    EXPECT_EQ(commandline(2, helped), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), usagetext());
    startwindowed = false;
}

} // namespace
