// The built-in content: counts, exact texts, rebuilding and the shape of the option trees.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "content/content.h"

namespace {

template <class List>
const typename List::value_type &at(const List &list, size_t i)
{
    return *std::next(list.begin(), static_cast<long>(i));
}

size_t countconvs(const std::list<Conv> &convs)
{
    size_t n = 0;
    for (const Conv &c : convs)
        n += 1 + countconvs(c.followups);
    return n;
}

TEST(ContentTables, RebuildingReplacesRatherThanAdds)
{
    insertbasicdata();
    insertbasicdata();
    EXPECT_EQ(6u, weatherdescriptions.size());
    EXPECT_EQ(9u, traumadescriptions.size());
    EXPECT_EQ(2u, conversationtree.size());

    size_t lines = 0, words = 0;
    for (const Lines &m : weatherdescriptions)
        lines += m.size();
    for (const Lines &l : traumadescriptions)
        words += l.size();
    EXPECT_EQ(43u, lines);
    EXPECT_EQ(46u, words);
}

TEST(ContentTables, MonologuesHaveTheirGivenLengthsEndsAndForms)
{
    insertbasicdata();
    const size_t lengths[6] = {6, 8, 6, 7, 8, 8};
    const char *firsts[6] = {
        "I remember the trees outside; how they swayed and shook as the ground trembled. ",
        "the air outside is so cool today. ", "i can still feel the warmth of the sun. ",
        "i can't remember where i left my keys. ", "i have to go to the shops later. ",
        "it started snowing outside this morning. "};
    const char *lasts[6] = {"My poor dog, jeff. ", "not until the rain begins to fall again. ",
                            "that's why i stay indoors now. ", "i haven't driven in years. ",
                            "and leaves me alone. ", "if they would survive 'til summer. "};
    for (size_t m = 0; m < 6; ++m) {
        const Lines &mono = at(weatherdescriptions, m);
        ASSERT_EQ(lengths[m], mono.size()) << m;
        EXPECT_EQ(firsts[m], mono.front()) << m;
        EXPECT_EQ(lasts[m], mono.back()) << m;
        size_t i = 0;
        for (const std::string &line : mono) {
            ASSERT_GE(line.size(), 18u) << line;
            char mark = (m == 3 && i == 4) ? '?' : '.';
            EXPECT_EQ(std::string(1, mark) + " ", line.substr(line.size() - 2)) << line;
            size_t capitals = std::count_if(line.begin(), line.end(),
                                            [](char c) { return std::isupper((unsigned char)c); });
            if (m == 0)
                EXPECT_TRUE(std::isupper((unsigned char)line[0])) << line;
            else if (m == 3 && i == 5)
                EXPECT_EQ(1u, capitals) << line;
            else
                EXPECT_EQ(0u, capitals) << line;
            ++i;
        }
    }
    EXPECT_EQ("it hasn't rained in so long. ", at(at(weatherdescriptions, 1), 1));
}

TEST(ContentTables, LexiconsHoldTheirWordsInOrder)
{
    insertbasicdata();
    const std::list<Lines> lexicons = {
        {"fat", "man", "violent", "stranger", "menace"},
        {"violent", "husband", "man", "strike", "defenceless"},
        {"cooling", "sunlit", "honey", "gleam", "standing"},
        {"wretch", "shame", "dishonest", "lies", "deceit", "anger"},
        {"wealthy", "fame", "star", "power", "anger"},
        {"teamwork", "cooperation", "management", "strategy", "mentoring", "empowering"},
        {"heterocentric", "phallic", "labial", "oppression", "patriarchy", "discrimination"},
        {"body", "dirty", "rape", "other"},
        {"handsome", "lovely", "dashing", "love"},
    };
    EXPECT_EQ(lexicons, traumadescriptions);
}

// One row per option, depth first: its place ("1.2" is the second followup of the first
// top-level option), its label and its response.
typedef std::vector<std::string> Row;

void flatten(const std::list<Conv> &convs, const std::string &parent, std::vector<Row> &rows)
{
    int k = 0;
    for (const Conv &c : convs) {
        const std::string id = parent + std::to_string(++k);
        rows.push_back({id, c.option, c.response});
        flatten(c.followups, id + ".", rows);
    }
}

// Trailing spaces are part of the texts: "examine table  " has two, "read letter" none, and
// the two "read the diary" options differ only by one.
TEST(ContentTables, OptionTreesHoldEveryLabelAndResponseExactly)
{
    insertbasicdata();
    const std::vector<std::vector<Row>> trees = {
        {
            {"1", "look around ",
             "the room is large and spacious.  there is a table in the corner. "},
            {"1.1", "examine table  ", "there are many books on it, and a letter. "},
            {"1.1.1", "look at books ", "dusty old volumes; they've not been read in years. "},
            {"1.1.2", "open envelope ", "you break the seal, and pull out the paper inside. "},
            {"1.1.2.1", "read letter", "it's a thank you note, from your sister. "},
            {"2", "go to window", "you walk to the window by the corner; the blinds are drawn. "},
            {"2.1", "pull back curtains", "you pull the curtains back; it is dark outside. "},
            {"2.1.1", "close curtains ", "you close the curtains again. "},
        },
        {
            {"1", "look around ", "you find yourself in a bedroom. "},
            {"1.1", "look at bed ", "the duvet is on the floor. "},
            {"1.1.1", "make the bed ", "you pull the sheets up, and put the duvet back over. "},
            {"1.1.1.1", "look at locker ", "there's a lamp on it, and it has a drawer. "},
            {"1.1.1.1.1", "open drawer ", "there is a diary in the drawer. "},
            {"1.1.1.1.1.1", "read the diary",
             "you've never read someone's diary before; you hesitate. "},
            {"1.1.1.1.1.1.1", "read the diary ", "you open the book, and begin to read. "},
            {"1.2", "leave", "you...you don't feel inclined to leave. "},
        },
    };
    ASSERT_EQ(trees.size(), conversationtree.size());
    size_t t = 0;
    for (const std::list<Conv> &tree : conversationtree) {
        std::vector<Row> rows;
        flatten(tree, "", rows);
        ASSERT_EQ(trees[t].size(), rows.size()) << "tree " << t;
        for (size_t i = 0; i < rows.size(); ++i)
            EXPECT_EQ(trees[t][i], rows[i]) << "tree " << t;
        ++t;
    }
}

TEST(ContentTables, EachTreeHoldsEightOptions)
{
    insertbasicdata();
    for (const std::list<Conv> &tree : conversationtree)
        EXPECT_EQ(8u, countconvs(tree));
}

TEST(ContentTables, EveryResponseAndLineEndsWithItsMarkAndASpace)
{
    insertbasicdata();
    std::function<void(const std::list<Conv> &)> visit = [&](const std::list<Conv> &convs) {
        for (const Conv &c : convs) {
            EXPECT_EQ(". ", c.response.substr(c.response.size() - 2)) << c.response;
            visit(c.followups);
        }
    };
    for (const std::list<Conv> &tree : conversationtree)
        visit(tree);
}

} // namespace
