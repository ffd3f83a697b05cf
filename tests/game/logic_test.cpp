// The game tick: fresh presses, the highlight over the grid and the phases of a turn.
#include "support/headless.h"

#include <initializer_list>
#include <vector>

#include "content/content.h"
#include "distortion/distortion.h"
#include "game/game.h"
#include "shell/shell.h"

namespace {

const uint32_t NOBOX = 0xFFFFFFFFu;

// Options "a", "b", ... answered by "(0) ", "(1) ", ...: no letters, so the filter gives
// the responses back unchanged below turn 7 and the expected texts stay exact.
std::list<Conv> leaves(int count)
{
    std::list<Conv> list;
    for (int i = 0; i < count; ++i)
        list.push_back(Conv(std::string(1, char('a' + i)), "(" + std::to_string(i) + ") ", {}));
    return list;
}

std::vector<std::string> labels()
{
    std::vector<std::string> out;
    for (const Conv &conv : selectedconv)
        out.push_back(conv.option);
    return out;
}

// One tick with exactly these keys down.
void tick(std::initializer_list<int> down)
{
    releasekeys();
    for (int k : down)
        key[k] = 1;
    GameLoop::logic();
}

class GameInput : public Headless {};

struct PhaseCase {
    const char *name;
    int32_t state;
    int monologue;
    int options;
    uint32_t selected;
    int keycode;
    int32_t wantstate;
    std::string wantdisplay;
    uint32_t wantturn;
    bool wantleave;
    Lines wantmonologue;
    size_t wantoptions;
};

const PhaseCase phasecases[] = {
    {"ChoosingToMonologue", 0, 2, 2, 1, KEY_SPACE, 1, "1 ", 3, false, {"2 "}, 2},
    {"ChoosingSkipsUsedUpMonologue", 0, 0, 2, 1, KEY_SPACE, 2, "(1) ", 3, false, {}, 2},
    {"MonologueToResponse", 1, 1, 2, 1, KEY_SPACE, 2, "(1) ", 3, false, {"1 "}, 2},
    {"ResponseAppliesChoice", 2, 1, 2, 1, KEY_SPACE, 0, "", 4, false, {"1 "}, 1},
    {"ResponseLastChoiceEnds", 2, 1, 1, 0, KEY_SPACE, 0, "", 4, true, {"1 "}, 0},
    {"EscapeWhileChoosing", 0, 1, 2, 1, KEY_ESC, 0, "old", 3, true, {"1 "}, 2},
    {"EscapeInMonologue", 1, 1, 2, 1, KEY_ESC, 1, "old", 3, true, {"1 "}, 2},
    {"EscapeInResponse", 2, 1, 2, 1, KEY_ESC, 2, "old", 3, true, {"1 "}, 2},
};

void PrintTo(const PhaseCase &c, std::ostream *os)
{
    *os << c.name;
}

class Phase : public Headless, public ::testing::WithParamInterface<PhaseCase> {};

TEST_P(Phase, OneFreshKeyOneStep)
{
    const PhaseCase &c = GetParam();
    gamestate = c.state;
    for (int i = 0; i < c.monologue; ++i)
        selectedweather.push_back(std::to_string(i + 1) + " ");
    selectedconv = leaves(c.options);
    curselected = c.selected;
    turn = 3;
    displaystring = "old";

    tick({c.keycode});
    EXPECT_EQ(c.wantstate, gamestate);
    EXPECT_EQ(c.wantdisplay, displaystring);
    EXPECT_EQ(c.wantturn, turn);
    EXPECT_EQ(c.wantleave, leave);
    EXPECT_EQ(c.wantmonologue, selectedweather);
    EXPECT_EQ(c.wantoptions, selectedconv.size());
}

INSTANTIATE_TEST_SUITE_P(Table, Phase, ::testing::ValuesIn(phasecases),
                         [](const ::testing::TestParamInfo<PhaseCase> &info) {
                             return std::string(info.param.name);
                         });

TEST_F(GameInput, BothLinesOfATurnAreFilteredWithItsTurn)
{
    // From turn 7 every word gives way to its nearest lexicon word.
    selectedtrauma = {"zz"};
    selectedweather = {"It rains. "};
    selectedconv = {Conv("sit", "You sit. ", {})};
    turn = 7;
    tick({KEY_SPACE});
    EXPECT_EQ("zz zz. ", displaystring);
    tick({});
    tick({KEY_SPACE});
    EXPECT_EQ("zz zz. ", displaystring);
    // The stored texts are untouched.
    EXPECT_EQ("You sit. ", selectedconv.front().response);
}

TEST_F(GameInput, HoldingSpaceAdvancesOnePhase)
{
    selectedweather = {"1 "};
    selectedconv = leaves(2);
    for (int i = 0; i < 5; ++i)
        tick({KEY_SPACE});
    EXPECT_EQ(1, gamestate);
    tick({});
    tick({KEY_SPACE});
    EXPECT_EQ(2, gamestate);
}

TEST_F(GameInput, SpaceAndEscapeTogetherStepAndEnd)
{
    selectedweather = {"1 "};
    selectedconv = leaves(2);
    tick({KEY_SPACE, KEY_ESC});
    EXPECT_EQ(1, gamestate);
    EXPECT_EQ("1 ", displaystring);
    EXPECT_TRUE(leave);
}

TEST_F(GameInput, OnlyTheFirstArrowActsAndTheOthersAreRecorded)
{
    selectedconv = leaves(4);
    tick({KEY_UP, KEY_LEFT});
    EXPECT_EQ(2u, curselected);
    tick({KEY_LEFT}); // still held from the tick before
    EXPECT_EQ(2u, curselected);
    tick({});
    tick({KEY_LEFT});
    EXPECT_EQ(3u, curselected);
}

TEST_F(GameInput, ArrowMovesBeforeSpaceTakesTheOption)
{
    selectedconv = leaves(4);
    tick({KEY_RIGHT, KEY_SPACE});
    EXPECT_EQ(1u, curselected);
    EXPECT_EQ(2, gamestate);
    EXPECT_EQ("(1) ", displaystring);
}

struct MoveCase {
    int options;
    uint32_t from;
    int keycode;
    uint32_t to;
};

const MoveCase movecases[] = {
    // Four options: every box reachable.
    {4, 0, KEY_UP, 2}, {4, 0, KEY_DOWN, 2}, {4, 2, KEY_UP, 0}, {4, 1, KEY_DOWN, 3},
    {4, 3, KEY_UP, 1}, {4, 0, KEY_LEFT, 1}, {4, 0, KEY_RIGHT, 1}, {4, 1, KEY_LEFT, 0},
    {4, 2, KEY_RIGHT, 3}, {4, 3, KEY_LEFT, 2},
    // Three: box 3 is empty.
    {3, 1, KEY_DOWN, 1}, {3, 1, KEY_UP, 1}, {3, 2, KEY_LEFT, 2}, {3, 2, KEY_RIGHT, 2},
    {3, 0, KEY_DOWN, 2}, {3, 2, KEY_UP, 0}, {3, 0, KEY_RIGHT, 1},
    // Two: one row.
    {2, 0, KEY_UP, 0}, {2, 0, KEY_DOWN, 0}, {2, 1, KEY_DOWN, 1}, {2, 0, KEY_RIGHT, 1},
    {2, 1, KEY_LEFT, 0},
    // One: nowhere to go.
    {1, 0, KEY_UP, 0}, {1, 0, KEY_DOWN, 0}, {1, 0, KEY_LEFT, 0}, {1, 0, KEY_RIGHT, 0},
    // None, as after the last choice.
    {0, NOBOX, KEY_UP, NOBOX}, {0, NOBOX, KEY_LEFT, NOBOX},
    // Six: options past the fourth are out of reach.
    {6, 3, KEY_DOWN, 1}, {6, 3, KEY_RIGHT, 2}, {6, 2, KEY_RIGHT, 3},
};

void PrintTo(const MoveCase &c, std::ostream *os)
{
    *os << c.options << " options, from " << c.from << ", key " << c.keycode;
}

class Move : public Headless, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(Move, StaysAmongOpenOptions)
{
    const MoveCase &c = GetParam();
    selectedconv = leaves(c.options);
    curselected = c.from;
    tick({c.keycode});
    EXPECT_EQ(c.to, curselected);
}

INSTANTIATE_TEST_SUITE_P(Table, Move, ::testing::ValuesIn(movecases));

struct ChoiceCase {
    const char *name;
    std::list<Conv> options;
    uint32_t chosen;
    std::vector<std::string> left;
    uint32_t highlight;
};

Conv leaf(const char *label)
{
    return Conv(label, "(r) ", {});
}

const ChoiceCase choicecases[] = {
    {"NextMovesUp", {leaf("a"), leaf("b"), leaf("c")}, 1, {"a", "c"}, 1},
    {"LastGoneMovesBack", {leaf("a"), leaf("b"), leaf("c")}, 2, {"a", "b"}, 1},
    {"SecondOfTwo", {leaf("a"), leaf("b")}, 1, {"a"}, 0},
    {"FollowupFillsTheBox", {Conv("a", "(r) ", {leaf("a1")})}, 0, {"a1"}, 0},
    {"FollowupsJoinTheEnd", {leaf("a"), Conv("b", "(r) ", {leaf("b1"), leaf("b2")})}, 1,
     {"a", "b1", "b2"}, 1},
    {"NothingLeft", {leaf("a")}, 0, {}, NOBOX},
};

void PrintTo(const ChoiceCase &c, std::ostream *os)
{
    *os << c.name;
}

class Choice : public Headless, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(Choice, HighlightStaysOnAnOpenOption)
{
    const ChoiceCase &c = GetParam();
    selectedconv = c.options;
    curselected = c.chosen;
    gamestate = 2;
    tick({KEY_SPACE});
    EXPECT_EQ(c.left, labels());
    EXPECT_EQ(c.highlight, curselected);
    EXPECT_EQ(c.left.empty(), leave);
}

INSTANTIATE_TEST_SUITE_P(Table, Choice, ::testing::ValuesIn(choicecases),
                         [](const ::testing::TestParamInfo<ChoiceCase> &info) {
                             return std::string(info.param.name);
                         });

TEST_F(GameInput, UsedUpMonologueSkipsItsPhaseInLaterTurns)
{
    selectedweather = {"1 "};
    selectedconv = leaves(3);
    std::vector<int32_t> states;
    for (int press = 0; press < 5; ++press) {
        tick({KEY_SPACE});
        states.push_back(gamestate);
        tick({});
    }
    EXPECT_EQ((std::vector<int32_t>{1, 2, 0, 2, 0}), states);
    EXPECT_EQ(2u, turn);
}

TEST_F(GameInput, ArrowsOutsideChoosingAreLost)
{
    selectedweather = {"1 "};
    selectedconv = leaves(4);
    tick({KEY_SPACE});
    tick({KEY_RIGHT});
    tick({KEY_SPACE});
    EXPECT_EQ("(0) ", displaystring);
    tick({KEY_DOWN});
    // Down still held when the choice is applied: it must be pressed again.
    tick({KEY_DOWN, KEY_SPACE});
    ASSERT_EQ(0, gamestate);
    tick({KEY_DOWN});
    EXPECT_EQ(0u, curselected);
    tick({});
    tick({KEY_DOWN});
    EXPECT_EQ(2u, curselected);
}

TEST_F(GameInput, KeysHeldIntoANewGameWaitForRelease)
{
    key[KEY_SPACE] = 1;
    GameLoop::enter();
    const std::string opening = displaystring;
    const size_t lines = selectedweather.size();
    for (int i = 0; i < 3; ++i)
        tick({KEY_SPACE, KEY_RIGHT, KEY_ESC});
    EXPECT_EQ(0, gamestate);
    EXPECT_EQ(0u, curselected);
    EXPECT_EQ(opening, displaystring);
    EXPECT_EQ(lines, selectedweather.size());
    EXPECT_FALSE(leave);
    tick({});
    tick({KEY_SPACE});
    EXPECT_EQ(1, gamestate);
    EXPECT_EQ(lines - 1, selectedweather.size());
}

// After the last choice the rest of the tick batch still runs: whatever keys come,
// nothing may reach for an option in the empty list.
class AfterTheEnd : public Headless, public ::testing::WithParamInterface<int> {};

TEST_P(AfterTheEnd, LaterTicksReadNoOption)
{
    for (int i = 0; i < GetParam(); ++i)
        selectedweather.push_back("1 ");
    selectedconv = leaves(1);
    gamestate = 2;
    tick({KEY_SPACE});
    ASSERT_TRUE(leave);
    for (int i = 0; i < 4; ++i) {
        tick({});
        tick({KEY_SPACE});
        tick({KEY_RIGHT, KEY_DOWN, KEY_SPACE});
    }
    EXPECT_EQ(0, gamestate);
    EXPECT_EQ("", displaystring);
    EXPECT_EQ(1u, turn);
    EXPECT_TRUE(selectedconv.empty());
    EXPECT_GT(curselected, 3u);
    EXPECT_EQ(static_cast<size_t>(GetParam()), selectedweather.size());
    EXPECT_TRUE(leave);
}

// With and without monologue lines left.
INSTANTIATE_TEST_SUITE_P(Monologue, AfterTheEnd, ::testing::Values(0, 2));

} // namespace
