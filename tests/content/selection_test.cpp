// Per-game selection and branching of the open options.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <iterator>
#include <vector>

#include "content/content.h"

namespace {

std::vector<std::string> options(const std::list<Conv> &convs)
{
    std::vector<std::string> out;
    for (const Conv &c : convs)
        out.push_back(c.option);
    return out;
}

class Selection : public ::testing::Test {
protected:
    void SetUp() override
    {
        insertbasicdata();
        selectedweather.clear();
        selectedtrauma.clear();
        selectedconv.clear();
    }
    // Open options of the tree at position `tree` as a game would start with them.
    void opentree(size_t tree) { selectedconv = *std::next(conversationtree.begin(), tree); }
};

TEST_F(Selection, SameSeedSameWorkingListsAndEachDrawPicksItsTable)
{
    srand(99);
    selectconversations();
    Lines weather = selectedweather, trauma = selectedtrauma;
    std::vector<std::string> conv = options(selectedconv);

    selectedweather = {"stale"};
    selectedtrauma = {"stale"};
    selectedconv.clear();
    srand(99);
    selectconversations();
    EXPECT_EQ(weather, selectedweather);
    EXPECT_EQ(trauma, selectedtrauma);
    EXPECT_EQ(conv, options(selectedconv));

    srand(99);
    unsigned r1 = rand(), r2 = rand(), r3 = rand();
    EXPECT_EQ(*std::next(weatherdescriptions.begin(), r1 % 6), selectedweather);
    EXPECT_EQ(*std::next(traumadescriptions.begin(), r2 % 9), selectedtrauma);
    EXPECT_EQ(options(*std::next(conversationtree.begin(), r3 % 2)), options(selectedconv));
}

TEST_F(Selection, ChoicesInTheCopyLeaveTheTableWhole)
{
    opentree(0);
    chooseconv(0);
    chooseconv(0);
    EXPECT_EQ(2u, conversationtree.front().size());
    EXPECT_EQ(1u, conversationtree.front().front().followups.size());
    EXPECT_EQ(2u, conversationtree.front().front().followups.front().followups.size());
}

struct BranchCase {
    size_t tree;
    std::vector<unsigned> choices;
    std::vector<std::string> open;
};

TEST_F(Selection, BranchingTable)
{
    const BranchCase cases[] = {
        // Followups join at the end, behind every option already open.
        {1, {0}, {"look at bed ", "leave"}},
        {1, {0, 0}, {"leave", "make the bed "}},
        // "leave" is a leaf: it goes and nothing comes.
        {1, {0, 1}, {"look at bed "}},
        {0, {0}, {"go to window", "examine table  "}},
        {0, {0, 1}, {"go to window", "look at books ", "open envelope "}},
        // A leaf in the middle: the options behind it move up.
        {0, {0, 1, 1}, {"go to window", "open envelope "}},
        // The diary pair differ only by a trailing space and stay two options.
        {1, {0, 1, 0, 0, 0, 0}, {"read the diary"}},
        {1, {0, 1, 0, 0, 0, 0, 0}, {"read the diary "}},
        {1, {0, 1, 0, 0, 0, 0, 0, 0}, {}},
    };
    for (const BranchCase &c : cases) {
        opentree(c.tree);
        for (unsigned choice : c.choices)
            chooseconv(choice);
        EXPECT_EQ(c.open, options(selectedconv)) << "tree " << c.tree << ", "
                                                 << c.choices.size() << " choices";
    }
}

TEST_F(Selection, FollowupsAreMovedNotCopied)
{
    opentree(1);
    const Conv *bed = &selectedconv.front().followups.front();
    const Conv *leaveoption = &selectedconv.front().followups.back();
    chooseconv(0);
    ASSERT_EQ(2u, selectedconv.size());
    EXPECT_EQ(bed, &selectedconv.front());
    EXPECT_EQ(leaveoption, &selectedconv.back());
}

TEST_F(Selection, EveryOrderOfChoicesEndsAfterEightAndKeepsTheGridEnough)
{
    const size_t mostopen[2] = {3, 2};
    for (size_t tree = 0; tree < 2; ++tree) {
        size_t widest = 0, games = 0;
        std::function<void(std::list<Conv>, int)> explore = [&](std::list<Conv> open, int depth) {
            widest = std::max(widest, open.size());
            if (open.empty()) {
                EXPECT_EQ(8, depth);
                ++games;
                return;
            }
            for (unsigned i = 0; i < open.size(); ++i) {
                selectedconv = open;
                chooseconv(i);
                explore(selectedconv, depth + 1);
            }
        };
        explore(*std::next(conversationtree.begin(), tree), 0);
        EXPECT_EQ(mostopen[tree], widest) << "tree " << tree;
        EXPECT_GT(games, 1u);
    }
}

TEST_F(Selection, CanSelectOnlyPositionsOfOpenOptions)
{
    opentree(0);
    const struct {
        int position;
        bool valid;
    } cases[] = {{-1, false}, {-2147483647 - 1, false}, {0, true}, {1, true}, {2, false}};
    for (const auto &c : cases)
        EXPECT_EQ(c.valid, canselect(c.position)) << c.position;
    selectedconv.clear();
    EXPECT_FALSE(canselect(0));
}

} // namespace
