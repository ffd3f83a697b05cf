// Shared set-up of the microbenchmarks: headless Allegro and the built-in lines.
#include "micro/benchsupport.h"

#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "distortion/distortion.h"
#include "shell/shell.h"

void benchheadless()
{
    static bool up = false;
    if (up)
        return;
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
        std::fprintf(stderr, "vellmora_bench: cannot start Allegro headless\n");
        std::exit(1);
    }
    set_color_depth(32);
    buffer = create_bitmap(BUFFER_W, BUFFER_H);
    screen = create_bitmap(DISPLAY_W, DISPLAY_H);
    up = true;
}

void benchscreen(int w, int h)
{
    if (screen->w != w || screen->h != h) {
        destroy_bitmap(screen);
        screen = create_bitmap(w, h);
    }
    placement = placeon(w, h);
    clearborders();
}

// The tables are globals the set-up benchmarks rebuild, so keep copies of our own.
static const std::list<Lines> &monologues()
{
    static std::list<Lines> kept;
    if (kept.empty()) {
        insertbasicdata();
        kept = weatherdescriptions;
    }
    return kept;
}

static const std::list<Lines> &lexicons()
{
    static std::list<Lines> kept;
    if (kept.empty()) {
        insertbasicdata();
        kept = traumadescriptions;
    }
    return kept;
}

const Lines &nthmonologue(int n)
{
    return *std::next(monologues().begin(), n);
}

const Lines &nthlexicon(int n)
{
    return *std::next(lexicons().begin(), n);
}

int monologuecount()
{
    return static_cast<int>(monologues().size());
}

int lexiconcount()
{
    return static_cast<int>(lexicons().size());
}

static void addresponses(const std::list<Conv> &options, std::vector<std::string> &into)
{
    for (const Conv &c : options) {
        into.push_back(c.response);
        addresponses(c.followups, into);
    }
}

const std::vector<std::string> &filteredlines()
{
    static std::vector<std::string> lines;
    if (lines.empty()) {
        insertbasicdata();
        for (const Lines &monologue : weatherdescriptions)
            lines.insert(lines.end(), monologue.begin(), monologue.end());
        for (const std::list<Conv> &tree : conversationtree)
            addresponses(tree, lines);
    }
    return lines;
}

const std::string &longestline()
{
    const std::vector<std::string> &lines = filteredlines();
    size_t best = 0;
    for (size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].size() > lines[best].size())
            best = i;
    }
    return lines[best];
}

void uselexicon(int n)
{
    selectedtrauma = nthlexicon(n);
    selectedweather = nthmonologue(0);
    calcmaxscore();
}
