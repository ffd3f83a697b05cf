// The built-in content: counts, exact texts, rebuilding and the shape of the option trees.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <iterator>

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
    EXPECT_EQ((Lines{"fat", "man", "violent", "stranger", "menace"}), at(traumadescriptions, 0));
    EXPECT_EQ((Lines{"heterocentric", "phallic", "labial", "oppression", "patriarchy",
                     "discrimination"}),
              at(traumadescriptions, 6));
    EXPECT_EQ((Lines{"handsome", "lovely", "dashing", "love"}), at(traumadescriptions, 8));
    for (const Lines &lexicon : traumadescriptions)
        for (const std::string &word : lexicon)
            EXPECT_TRUE(std::all_of(word.begin(), word.end(),
                                    [](char c) { return c >= 'a' && c <= 'z'; }))
                << word;
}

TEST(ContentTables, OptionTextsKeepTheirTrailingSpaces)
{
    insertbasicdata();
    const std::list<Conv> &study = at(conversationtree, 0);
    const Conv &lookaround = study.front();
    EXPECT_EQ("look around ", lookaround.option);
    EXPECT_EQ("the room is large and spacious.  there is a table in the corner. ",
              lookaround.response);
    const Conv &table = lookaround.followups.front();
    EXPECT_EQ("examine table  ", table.option);
    EXPECT_EQ("read letter", at(table.followups, 1).followups.front().option);
    EXPECT_EQ("go to window", at(study, 1).option);

    const Conv *diary = &at(conversationtree, 1).front();
    for (int depth = 0; depth < 5; ++depth)
        diary = &diary->followups.front();
    EXPECT_EQ("read the diary", diary->option);
    ASSERT_EQ(1u, diary->followups.size());
    EXPECT_EQ("read the diary ", diary->followups.front().option);
    EXPECT_TRUE(diary->followups.front().followups.empty());
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
