// Cutting a line into word and single-character tokens, and joining them again.
#include "distortion/distortion.h"

#include <cctype>

std::vector<std::string> parsestring(const std::string &line)
{
    std::vector<std::string> tokens;
    std::string word;
    for (char c : line) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (std::isalpha(byte)) {
            word += static_cast<char>(std::tolower(byte));
            continue;
        }
        if (!word.empty())
            tokens.push_back(word);
        tokens.push_back(std::string(1, c));
        word.clear();
    }
    if (!word.empty())
        tokens.push_back(word);
    return tokens;
}

std::string reconstitute(const std::vector<std::string> &tokens)
{
    std::string line;
    for (const std::string &token : tokens)
        line += token;
    return line;
}

bool isword(const std::string &token)
{
    return !token.empty() && std::isalpha(static_cast<unsigned char>(token[0]));
}
