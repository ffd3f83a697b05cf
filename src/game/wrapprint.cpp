// Word-wrapped white-on-black text in the back buffer.
#include <allegro.h>

#include <algorithm>

#include "game/game.h"
#include "shell/shell.h"

static const int LINE_PITCH = 10; // pixels from the top of one line to the top of the next

// Breaks are searched only after a line's first character, so a line is never empty.
// A newline in reach wins, then the end of the text, then the last space in reach;
// a word with no break in reach is cut after n characters.
std::vector<WrapLine> wraplines(const std::string &text, int n)
{
    std::vector<WrapLine> lines;
    if (n <= 0)
        return lines;
    const size_t width = static_cast<size_t>(n);
    const size_t length = text.size();
    size_t p = 0;
    while (p < length) {
        const size_t reach = std::min(p + width, length - 1); // last position looked at
        const size_t newline = text.find('\n', p + 1);
        if (newline != std::string::npos && newline <= reach) {
            lines.push_back({text.substr(p, newline - p), '\n'});
            p = newline + 1;
            continue;
        }
        if (length - p <= width) {
            lines.push_back({text.substr(p), 0});
            break;
        }
        const size_t space = text.rfind(' ', reach);
        if (space != std::string::npos && space > p) {
            lines.push_back({text.substr(p, space - p), ' '});
            p = space + 1;
            continue;
        }
        lines.push_back({text.substr(p, width), 0});
        p += width;
    }
    return lines;
}

void wrapprint(const std::string &text, int x, int y, int n)
{
    int top = y;
    for (const WrapLine &line : wraplines(text, n)) {
        // A newline left alone between two breaks still takes its row.
        if (line.text != "\n") {
            textout_ex(buffer, font, line.text.c_str(), x, top, makecol(255, 255, 255),
                       makecol(0, 0, 0));
        }
        top += LINE_PITCH;
    }
}
