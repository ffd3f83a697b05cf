// Text distortion: tokens, edit distance, nearest lexicon word and the trauma filter.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

const uint32_t NOMATCH = 10000; // distance reported when no lexicon word was found

extern uint32_t maxscore; // this game's baseline distance between monologue and lexicon

std::vector<std::string> parsestring(const std::string &line);
std::string reconstitute(const std::vector<std::string> &tokens);
bool isword(const std::string &token);

uint32_t levenshteindistance(const std::string &a, const std::string &b);
uint32_t minleven(const std::string &text, std::string &nearest);
void calcmaxscore();

std::string traumafilter(std::string line, uint32_t turn);
