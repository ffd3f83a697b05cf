// A whole run, headless: intro, title, one game, title, Leave; with the music playing.
#include "support/headless.h"

#include <csignal>
#include <cstdint>
#include <string>
#include <vector>

#include "music/music.h"
#include "shell/platform.h"
#include "shell/shell.h"

namespace {

// The run is driven from the screen's line hook: when the last line of a frame
// reaches the screen, the frame is recorded, the keys for the next tick are set
// and exactly one tick is queued. So every pass runs at most one tick, in order,
// on the main thread, without a timer.
enum Shown { INTRO, TITLE_BEGIN, TITLE_LEAVE, GAME };

struct Frame {
    Shown shown;
    AL_DUH_PLAYER *player;
};

std::vector<Frame> frames;
std::vector<std::vector<int>> script; // keys down at each tick, in order
BITMAP *titlebegin, *titleleave;      // the two title pictures, for recognising frames
uintptr_t (*screenline)(BITMAP *, int);
const size_t MAX_FRAMES = 200;
size_t signalframe = 0; // the signal is raised once this many frames have shown; 0 never
int signalraised = 0;

bool same(BITMAP *a, BITMAP *b)
{
    for (int y = 0; y < BUFFER_H; ++y)
        for (int x = 0; x < BUFFER_W; ++x)
            if (pixel(a, x, y) != pixel(b, x, y))
                return false;
    return true;
}

// The intro is one line of text in one colour at (4,50) on black; anything else is
// either one of the two title pictures or a game.
Shown classify()
{
    if (same(buffer, titlebegin))
        return TITLE_BEGIN;
    if (same(buffer, titleleave))
        return TITLE_LEAVE;
    int ink = -1;
    for (int y = 0; y < BUFFER_H; ++y) {
        for (int x = 0; x < BUFFER_W; ++x) {
            int c = pixel(buffer, x, y);
            if (c == makecol(0, 0, 0))
                continue;
            if ((ink != -1 && c != ink) || x < 4 || x >= 4 + 18 * 8 || y < 50 || y >= 58)
                return GAME;
            ink = c;
        }
    }
    return ink == -1 ? GAME : INTRO;
}

uintptr_t presented(BITMAP *bmp, int line)
{
    uintptr_t address = screenline(bmp, line);
    if (line != DISPLAY_H - 1)
        return address;
    frames.push_back({classify(), dplay});
    if (frames.size() == signalframe)
        std::raise(signalraised);
    size_t tick = frames.size() - 1;
    // Only key[]: the press waiting in the keyboard buffer stays, as it would.
    for (int k = 0; k < KEY_MAX; ++k)
        key[k] = 0;
    if (tick < script.size())
        for (int k : script[tick])
            key[k] = 1;
    if (frames.size() >= MAX_FRAMES)
        quit = true; // a run that never ends is stopped here and fails below
    if (speed_count == 0)
        speed_count = 1;
    return address;
}

class WholeRun : public Headless {
protected:
    void SetUp() override
    {
        Headless::SetUp();
        titlebegin = create_bitmap(BUFFER_W, BUFFER_H);
        titleleave = create_bitmap(BUFFER_W, BUFFER_H);
        for (BITMAP *picture : {titlebegin, titleleave}) {
            TitleLoop::selected = picture == titleleave;
            TitleLoop::draw();
            blit(buffer, picture, 0, 0, 0, 0, BUFFER_W, BUFFER_H);
        }
        resetglobals();
        frames.clear();
        signalframe = 0;
        screenline = reinterpret_cast<uintptr_t (*)(BITMAP *, int)>(screen->write_bank);
        screen->write_bank = reinterpret_cast<void *>(presented);
    }

    void TearDown() override
    {
        screen->write_bank = reinterpret_cast<void *>(screenline);
        stopmusic();
        if (music)
            unload_duh(music);
        music = nullptr;
        remove_sound();
        for (int sig : {SIGINT, SIGTERM, SIGHUP})
            std::signal(sig, SIG_DFL);
        destroy_bitmap(titlebegin);
        destroy_bitmap(titleleave);
        Headless::TearDown();
    }

    // Frames grouped into runs of the same screen, highlight ignored.
    static std::string screens()
    {
        std::string out;
        char last = 0;
        for (const Frame &f : frames) {
            char c = f.shown == INTRO ? 'I' : f.shown == GAME ? 'G' : 'T';
            if (c != last)
                out += c;
            last = c;
        }
        return out;
    }
};

TEST_F(WholeRun, IntroOnceThenTitleAndGameWithTheMusicFromTheFirstTitle)
{
    ASSERT_EQ(0, install_sound(DIGI_AUTODETECT, MIDI_NONE, nullptr)) << allegro_error;
    dumb_register_stdfiles();
    music = loadmusic(VELLMORA_SOURCE_DIR "/xm/bg.xm");
    ASSERT_NE(nullptr, music);

    // A key already waiting ends the intro at its first tick. On the title, Space is
    // released and pressed: a game. In the game, Escape is released and pressed; it
    // is still down when the title returns, where it must do nothing. Then Down, and
    // Space on "Leave".
    simulate_keypress((KEY_A << 8) | 'a');
    script = {
        {},                    // tick 1, intro: ends
        {}, {KEY_SPACE},       // title: Begin
        {}, {KEY_ESC},         // game: leave it
        {KEY_ESC}, {KEY_ESC},  // title: the held Escape does not quit
        {}, {KEY_DOWN}, {}, {KEY_SPACE},
    };

    EXPECT_EQ(0, mainsequence());
    EXPECT_TRUE(quit);
    ASSERT_LT(frames.size(), MAX_FRAMES) << "the run did not end: " << screens();
    EXPECT_EQ("ITGT", screens());

    // Silent intro, then one player from the first title to the end.
    ASSERT_GE(frames.size(), 3u);
    EXPECT_EQ(INTRO, frames[0].shown);
    EXPECT_EQ(INTRO, frames[1].shown) << "the intro ends at its first tick";
    AL_DUH_PLAYER *player = nullptr;
    for (const Frame &f : frames) {
        if (f.shown == INTRO) {
            EXPECT_EQ(nullptr, f.player);
        } else {
            if (!player)
                player = f.player;
            EXPECT_NE(nullptr, f.player);
            EXPECT_EQ(player, f.player);
        }
    }
    EXPECT_EQ(player, dplay);
    EXPECT_EQ(TITLE_LEAVE, frames.back().shown);
}

TEST_F(WholeRun, EscapeOnTheTitleEndsTheRunWithoutAGame)
{
    simulate_keypress((KEY_A << 8) | 'a');
    script = {{}, {}, {KEY_ESC}};
    EXPECT_EQ(0, mainsequence());
    ASSERT_LT(frames.size(), MAX_FRAMES) << "the run did not end: " << screens();
    EXPECT_EQ("IT", screens());
}

// A signal in any screen ends that screen after the pass it came in, and then the run,
// as "Leave" does: no further frame of any screen, and the normal result.
TEST_F(WholeRun, SignalEndsTheRunAfterThePassItCameIn)
{
    const struct {
        int sig;
        size_t frame;
        bool keywaiting; // ends the intro at its first tick
        const char *shown;
    } cases[] = {
        {SIGINT, 3, false, "I"},   {SIGTERM, 3, false, "I"}, {SIGHUP, 3, false, "I"},
        {SIGINT, 4, true, "IT"},   {SIGTERM, 4, true, "IT"}, {SIGHUP, 4, true, "IT"},
        {SIGINT, 8, true, "ITG"},  {SIGTERM, 8, true, "ITG"}, {SIGHUP, 8, true, "ITG"},
    };
    platform_catchsignals();
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "signal " << c.sig << " at frame " << c.frame);
        resetglobals();
        releasekeys();
        frames.clear();
        if (c.keywaiting)
            simulate_keypress((KEY_A << 8) | 'a');
        script = {{}, {}, {KEY_SPACE}};
        signalraised = c.sig;
        signalframe = c.frame;
        EXPECT_EQ(0, mainsequence());
        EXPECT_TRUE(signalled);
        EXPECT_FALSE(quit);
        EXPECT_EQ(c.frame, frames.size());
        EXPECT_EQ(c.shown, screens());
    }
}

} // namespace
