// The conversation game: its state, its screen and wrapped text output.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/shell.h"

const int NUM_OPENINGLINES = 6;
const int NUM_GAMEKEYS = 5; // Up, Down, Left, Right, Space: the first five controls
const int NUM_BOXES = 4;    // the option grid: two rows of two boxes

extern std::string displaystring;    // the line shown in the text panel
extern int32_t gamestate;            // 0 choosing, 1 monologue, 2 response
extern uint32_t curselected;         // highlighted option; past 3 means no box
extern uint32_t turn;                // choices applied so far in this game
extern bool pressed[NUM_GAMEKEYS];   // game keys down when the previous tick ended
extern bool leave;                   // the game is over

extern const char *const openinglines[NUM_OPENINGLINES]; // shown unfiltered at set-up

// The game screen.
struct GameLoop {
    static void enter();    // a fresh game: content, selection, baseline, opening line
    static bool finished();
    static void logic();    // one 1/30 s tick
    static void draw();     // one frame into the back buffer
};

// Where box 0 (top left) to 3 (bottom right) is drawn, its outline included.
Rect boxrect(int box);
int boxat(int x, int y); // the box drawn at a picture point, or -1

// One line of wrapped text. Line k of a column sits k rows below the first.
struct WrapLine {
    std::string text; // never empty, at most n characters; a lone newline is not drawn
    char consumed;    // the break eaten after the line: '\n', ' ', or 0 for none
};

std::vector<WrapLine> wraplines(const std::string &text, int n);
void wrapprint(const std::string &text, int x, int y, int n);
