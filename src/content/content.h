// Story content: options, monologues and lexicons, and each game's working copies.
#pragma once

#include <list>
#include <string>

// One option of an option tree; it owns its followups, so copies never share nodes.
struct Conv {
    std::string option;         // the short action shown in the option grid
    std::string response;       // the narration shown when the option is chosen
    std::list<Conv> followups;  // options opened by choosing this one

    Conv(const std::string &option, const std::string &response,
         const std::list<Conv> &followups);
};

typedef std::list<std::string> Lines; // a monologue, or a lexicon

extern std::list<Lines> weatherdescriptions;         // the monologues
extern std::list<Lines> traumadescriptions;          // the lexicons
extern std::list<std::list<Conv>> conversationtree; // the option trees

extern Lines selectedweather;        // this game's monologue, spoken from the front
extern Lines selectedtrauma;         // this game's lexicon
extern std::list<Conv> selectedconv; // the open options

void insertbasicdata();
void selectconversations();
void chooseconv(unsigned int position);
bool canselect(int position);
