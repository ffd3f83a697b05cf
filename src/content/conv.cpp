// The option value type and the content globals.
#include "content/content.h"

Conv::Conv(const std::string &option, const std::string &response,
           const std::list<Conv> &followups)
    : option(option), response(response), followups(followups)
{
}

std::list<Lines> weatherdescriptions;
std::list<Lines> traumadescriptions;
std::list<std::list<Conv>> conversationtree;

Lines selectedweather;
Lines selectedtrauma;
std::list<Conv> selectedconv;
