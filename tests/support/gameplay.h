// Test support: one whole game driven by key states, with its invariants checked after
// every tick. Used by the long-run tests and the game fuzz target alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Bits of one tick's key byte: the keys held down during that tick.
const unsigned HOLD_UP = 1, HOLD_DOWN = 2, HOLD_LEFT = 4, HOLD_RIGHT = 8, HOLD_SPACE = 16,
               HOLD_ESC = 32;

struct GameRun {
    std::string broken; // the first invariant that failed, with the tick; empty if none
    size_t ticks = 0;   // ticks run, including those after the end
    uint32_t turns = 0; // choices applied
    bool ended = false; // the game set its end flag
    bool byescape = false;
};

// Sets up a game with GameLoop::enter() and runs one tick per key byte through
// GameLoop::logic(), drawing a frame every `drawevery` ticks (0: never). Once the game
// ends, at most two more ticks run, as the rest of a tick batch would. Needs Allegro and
// the back buffer; draws into `buffer`.
GameRun playgame(const unsigned char *keys, size_t ticks, int drawevery);
