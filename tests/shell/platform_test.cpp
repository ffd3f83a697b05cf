// Finding the music from wherever the game was started: a temporary tree with the module in
// one or more of the places an installation or a build tree puts it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "shell/platform.h"

namespace fs = std::filesystem;

namespace {

// The tree: bin/ holds the executable, share/vellmora/ is its relocated install prefix,
// data/ the configured install prefix, work/ the directory the game is started in.
struct FindCase {
    const char *name;
    std::vector<const char *> holding; // directories that hold xm/bg.xm
    const char *landsin;               // the working directory afterwards
    bool exeknown = true;              // whether the executable's directory could be found
};

const FindCase findcases[] = {
    {"WorkingDirectoryHoldsIt", {"work", "bin", "share/vellmora", "data"}, "work"},
    {"BesideTheExecutable", {"bin"}, "bin"},
    {"RelocatedPrefix", {"share/vellmora"}, "share/vellmora"},
    {"ConfiguredPrefix", {"data"}, "data"},
    {"BuildTreeBeforeInstalls", {"bin", "share/vellmora", "data"}, "bin"},
    {"RelocatedBeforeConfigured", {"share/vellmora", "data"}, "share/vellmora"},
    {"RelocatedGamesLayout", {"share/games/vellmora"}, "share/games/vellmora"},
    {"ConfiguredBeforeGamesLayout", {"data", "share/games/vellmora"}, "data"},
    {"NowhereStays", {}, "work"},
    {"ExecutableUnknown", {"data"}, "data", false},
    {"ExecutableUnknownNowhere", {}, "work", false},
};

void PrintTo(const FindCase &c, std::ostream *os)
{
    *os << c.name;
}

std::string cwd()
{
    char path[4096];
    return getcwd(path, sizeof path) ? std::string(path) : std::string();
}

class FindData : public ::testing::TestWithParam<FindCase> {
protected:
    std::string home;
    fs::path root;

    void SetUp() override
    {
        home = cwd();
        ASSERT_FALSE(home.empty());
        root = fs::path(::testing::TempDir()) / ("vellmora-finddata-" + std::to_string(getpid()));
        fs::remove_all(root);
        for (const char *dir : {"bin", "share/vellmora", "share/games/vellmora", "data", "work"})
            fs::create_directories(root / dir);
        root = fs::canonical(root);
    }

    void TearDown() override
    {
        EXPECT_EQ(0, chdir(home.c_str()));
        fs::remove_all(root);
    }
};

TEST_P(FindData, ChangesDirectoryOnlyWhenTheWorkingOneLacksTheModule)
{
    const FindCase &c = GetParam();
    for (const char *dir : c.holding) {
        fs::create_directories(root / dir / "xm");
        std::ofstream(root / dir / "xm" / "bg.xm") << "module";
    }
    ASSERT_EQ(0, chdir((root / "work").c_str()));

    platform_finddatafrom(c.exeknown ? (root / "bin").string() : std::string(),
                          (root / "data").string());
    EXPECT_EQ((root / c.landsin).string(), cwd());
}

INSTANTIATE_TEST_SUITE_P(Places, FindData, ::testing::ValuesIn(findcases),
                         [](const ::testing::TestParamInfo<FindCase> &info) {
                             return std::string(info.param.name);
                         });

} // namespace
