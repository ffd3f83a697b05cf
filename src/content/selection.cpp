// Each game's random choice of monologue, lexicon and option tree, and the branching.
#include "content/content.h"

#include <cstdlib>
#include <iterator>

// The tables are filled just before a selection, so they are never empty here;
// an empty one still leaves the working list empty rather than dividing by zero.
template <class Table, class Entry>
static void pick(const Table &table, Entry &into)
{
    unsigned int r = static_cast<unsigned int>(rand());
    if (table.empty()) {
        into.clear();
        return;
    }
    into = *std::next(table.begin(), r % table.size());
}

void selectconversations()
{
    pick(weatherdescriptions, selectedweather);
    pick(traumadescriptions, selectedtrauma);
    pick(conversationtree, selectedconv);
}

void chooseconv(unsigned int position)
{
    std::list<Conv>::iterator chosen = std::next(selectedconv.begin(), position);
    selectedconv.splice(selectedconv.end(), chosen->followups);
    selectedconv.erase(chosen);
}

bool canselect(int position)
{
    return static_cast<unsigned int>(position) < selectedconv.size();
}
