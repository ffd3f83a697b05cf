// Wrapped text: where lines break, which breaks are eaten, and where each line is drawn.
#include "support/headless.h"

#include <vector>

#include "game/game.h"
#include "shell/shell.h"

namespace {

struct Line {
    std::string text;
    char consumed;
};

struct WrapCase {
    const char *name;
    std::string text;
    int n;
    std::vector<Line> lines; // line k has its top 10k pixels below the first
};

const WrapCase wrapcases[] = {
    {"TrailingSpaceStaysOnLastLine", "look around ", 9, {{"look", ' '}, {"around ", 0}}},
    {"LastSpaceInReach", "i feel so, so pensive today...", 19,
     {{"i feel so, so", ' '}, {"pensive today...", 0}}},
    {"ExactlyNIsOneLine", "ab cd efg", 9, {{"ab cd efg", 0}}},
    {"SpaceRightAtN", "abcdefghi j", 9, {{"abcdefghi", ' '}, {"j", 0}}},
    {"NewlineRightAtN", "abcdefghi\nj", 9, {{"abcdefghi", '\n'}, {"j", 0}}},
    {"LongWordIsCut", "abcdefghij", 9, {{"abcdefghi", 0}, {"j", 0}}},
    {"LoneNewlineTakesARow", "ab\n\n\ncd", 9, {{"ab", '\n'}, {"\n", '\n'}, {"cd", 0}}},
    {"NewlineFirstIsNoBreak", "ab\n\ncd", 9, {{"ab", '\n'}, {"\ncd", 0}}},
    {"TrailingLoneNewline", "ab\n\n", 9, {{"ab", '\n'}, {"\n", 0}}},
    {"EmptyText", "", 9, {}},
    {"WidthZero", "abc", 0, {}},
    {"NewlineBeatsEndOfText", "ab\ncd", 9, {{"ab", '\n'}, {"cd", 0}}},
    // The second space starts a line that must be cut, as no other space is in its reach.
    {"OnlyOneSpaceEaten", "abcdefghi  jklmnopqrs", 9,
     {{"abcdefghi", ' '}, {" jklmnopq", 0}, {"rs", 0}}},
    {"NewlineAfterCutWord", "abcdefghijk\nl", 5,
     {{"abcde", 0}, {"fghij", 0}, {"k", '\n'}, {"l", 0}}},
};

void PrintTo(const WrapCase &c, std::ostream *os)
{
    *os << c.name;
}

class Wrap : public Headless, public ::testing::WithParamInterface<WrapCase> {};

TEST_P(Wrap, BreaksAndRejoins)
{
    const WrapCase &c = GetParam();
    std::vector<WrapLine> got = wraplines(c.text, c.n);
    ASSERT_EQ(c.lines.size(), got.size());
    std::string rejoined;
    for (size_t k = 0; k < got.size(); ++k) {
        EXPECT_EQ(c.lines[k].text, got[k].text) << "line " << k;
        EXPECT_EQ(c.lines[k].consumed, got[k].consumed) << "line " << k;
        rejoined += got[k].text;
        if (got[k].consumed)
            rejoined += got[k].consumed;
    }
    // Nothing is laid out at width 0; otherwise the lines and their breaks are the text.
    if (c.n > 0) {
        EXPECT_EQ(c.text, rejoined);
    }
}

TEST_P(Wrap, DrawsEachLineAtItsRow)
{
    const WrapCase &c = GetParam();
    // A grey ground shows every opaque cell, even one with an empty glyph.
    const int grey = makecol(90, 90, 90);
    const int x = 84, y = 40;
    clear_to_color(buffer, grey);
    wrapprint(c.text, x, y, c.n);

    Canvas want(grey);
    for (size_t k = 0; k < c.lines.size(); ++k) {
        if (c.lines[k].text == "\n")
            continue;
        textout_ex(want.bmp, font, c.lines[k].text.c_str(), x, y + 10 * static_cast<int>(k),
                   makecol(255, 255, 255), makecol(0, 0, 0));
    }
    EXPECT_TRUE(sameimage(buffer, want.bmp));
}

INSTANTIATE_TEST_SUITE_P(Cases, Wrap, ::testing::ValuesIn(wrapcases),
                         [](const ::testing::TestParamInfo<WrapCase> &info) {
                             return std::string(info.param.name);
                         });

} // namespace
