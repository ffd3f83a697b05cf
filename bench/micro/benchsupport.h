// Shared set-up of the microbenchmarks: headless Allegro and the built-in lines.
#pragma once

#include <string>
#include <vector>

#include "content/content.h"

// Allegro with the "none" system driver, 32-bit colour, the 160x120 back buffer and a
// 640x480 memory bitmap as the screen; brought up once per process.
void benchheadless();

// A memory screen of this desktop size, the picture placed on it as the game places it.
void benchscreen(int w, int h);

const Lines &nthmonologue(int n); // from the built-in tables, rebuilt on first use
const Lines &nthlexicon(int n);
int monologuecount();
int lexiconcount();

// Every line that passes through the trauma filter: monologue lines and option responses.
const std::vector<std::string> &filteredlines();
const std::string &longestline(); // the longest of them in bytes

// Makes lexicon n this game's lexicon, with monologue 0's baseline against it.
void uselexicon(int n);
