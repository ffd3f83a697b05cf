// Test support: one whole game driven by key states, with its invariants checked.
#include "support/gameplay.h"

#include <allegro.h>

#include <list>

#include "content/content.h"
#include "game/game.h"
#include "shell/shell.h"

static size_t treesize(const std::list<Conv> &options)
{
    size_t n = 0;
    for (const Conv &c : options)
        n += 1 + treesize(c.followups);
    return n;
}

static bool sametree(const std::list<Conv> &a, const std::list<Conv> &b)
{
    if (a.size() != b.size())
        return false;
    for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j)
        if (i->option != j->option || i->response != j->response ||
            !sametree(i->followups, j->followups))
            return false;
    return true;
}

static bool sametables(const std::list<Lines> &weather, const std::list<Lines> &trauma,
                       const std::list<std::list<Conv>> &trees)
{
    if (weather != weatherdescriptions || trauma != traumadescriptions ||
        trees.size() != conversationtree.size())
        return false;
    for (auto i = trees.cbegin(), j = conversationtree.cbegin(); i != trees.cend(); ++i, ++j)
        if (!sametree(*i, *j))
            return false;
    return true;
}

static void holdkeys(unsigned char held)
{
    key[KEY_UP] = (held & HOLD_UP) != 0;
    key[KEY_DOWN] = (held & HOLD_DOWN) != 0;
    key[KEY_LEFT] = (held & HOLD_LEFT) != 0;
    key[KEY_RIGHT] = (held & HOLD_RIGHT) != 0;
    key[KEY_SPACE] = (held & HOLD_SPACE) != 0;
    key[KEY_ESC] = (held & HOLD_ESC) != 0;
}

// The state after one tick, or what is wrong with it.
static std::string checktick(size_t tree, bool wasended, bool escfresh, GameRun &run)
{
    if (gamestate < 0 || gamestate > 2)
        return "phase " + std::to_string(gamestate);
    // The highlight names an open option, or no box at all.
    if (curselected >= selectedconv.size() && curselected <= 3)
        return "highlight " + std::to_string(curselected) + " with " +
               std::to_string(selectedconv.size()) + " options";
    if (turn > tree)
        return "turn " + std::to_string(turn) + " in a tree of " + std::to_string(tree);
    if (turn == tree && !leave)
        return "every option chosen and the game goes on";
    if (leave && !wasended) {
        run.ended = true;
        run.byescape = escfresh;
        if (!escfresh && (turn != tree || !selectedconv.empty()))
            return "ended without Escape after " + std::to_string(turn) + " choices";
    }
    return "";
}

GameRun playgame(const unsigned char *keys, size_t ticks, int drawevery)
{
    GameRun run;
    GameLoop::enter();
    const std::list<Lines> weather = weatherdescriptions, trauma = traumadescriptions;
    const std::list<std::list<Conv>> trees = conversationtree;
    const size_t tree = treesize(selectedconv);
    size_t after = 0; // ticks run since the end
    for (size_t t = 0; t < ticks && after < 3; ++t) {
        holdkeys(keys[t]);
        const bool escfresh = key[KEY_ESC] && !escpressed;
        const bool wasended = leave;
        GameLoop::logic();
        if (drawevery > 0 && t % static_cast<size_t>(drawevery) == 0)
            GameLoop::draw();
        ++run.ticks;
        after += leave;
        run.broken = checktick(tree, wasended, escfresh, run);
        if (!run.broken.empty()) {
            run.broken = "tick " + std::to_string(t) + ": " + run.broken;
            break;
        }
    }
    run.turns = turn;
    if (run.broken.empty() && !sametables(weather, trauma, trees))
        run.broken = "the content tables changed during the game";
    holdkeys(0);
    return run;
}
