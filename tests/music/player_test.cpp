// Sound start-up, module loading and the player, with Allegro's driver-less sound.
#include "support/headless.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

#include "music/music.h"
#include "support/heap.h"

namespace {

const char MODULE[] = VELLMORA_SOURCE_DIR "/xm/bg.xm";

class Music : public Headless {
protected:
    std::string home;

    void SetUp() override
    {
        Headless::SetUp();
        char cwd[4096];
        ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
        home = cwd;
    }

    void TearDown() override
    {
        stopmusic();
        if (music)
            unload_duh(music);
        music = nullptr;
        remove_sound();
        reserve_voices(-1, -1);
        EXPECT_EQ(0, chdir(home.c_str()));
        Headless::TearDown();
    }

    // A fresh directory to start in, holding xm/bg.xm with these bytes (or no file).
    static std::string startdir(const char *tag, const std::string *module)
    {
        std::filesystem::path dir = std::filesystem::path(::testing::TempDir())
                                    / ("vellmora-" + std::string(tag) + "-" + std::to_string(getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir / "xm");
        if (module)
            std::ofstream(dir / "xm" / "bg.xm", std::ios::binary) << *module;
        return dir.string();
    }

    static std::string committedbytes()
    {
        std::ifstream in(MODULE, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
};

// Opening a FIFO for reading waits until a writer opens it. Should start-up wait there, this
// writer comes after a long while and lets it go on, so the fault fails the test instead of
// hanging the suite.
class FifoWriter {
public:
    explicit FifoWriter(const std::string &path)
        : thread([this, path] {
              std::unique_lock<std::mutex> lock(mutex);
              while (!done) {
                  if (wake.wait_for(lock, std::chrono::seconds(20)) == std::cv_status::timeout) {
                      const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK);
                      if (fd >= 0) {
                          came = true;
                          close(fd);
                      }
                  }
              }
          })
    {
    }

    // Whether the writer had to come.
    bool finish()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            done = true;
        }
        wake.notify_all();
        thread.join();
        return came;
    }

private:
    std::mutex mutex;
    std::condition_variable wake;
    bool done = false, came = false;
    std::thread thread;
};

TEST_F(Music, StartUpLoadsTheModuleFromTheWorkingDirectory)
{
    std::string bytes = committedbytes();
    ASSERT_FALSE(bytes.empty());
    ASSERT_EQ(0, chdir(startdir("good", &bytes).c_str()));
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    init_sound();
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
    EXPECT_EQ("", testing::internal::GetCapturedStderr());
    EXPECT_NE(nullptr, music);
    EXPECT_EQ(nullptr, dplay); // loaded, not playing: the intro is silent
    EXPECT_EQ(0, get_mixer_quality()); // the plainest mixing, without interpolation
}

enum class Stands { nothing, file, fifo, directory }; // what stands at xm/bg.xm

struct BadModule {
    const char *name;
    Stands stands;
    size_t keep; // bytes of the committed module kept, or 0 for the text below
    const char *text;
};

void PrintTo(const BadModule &c, std::ostream *out)
{
    *out << c.name;
}

class MusicWithoutModule : public Music, public ::testing::WithParamInterface<BadModule> {};

// The game then runs silently, and says nothing about it.
TEST_P(MusicWithoutModule, LeavesMusicNullQuietly)
{
    const BadModule &c = GetParam();
    std::string bytes = c.keep ? committedbytes().substr(0, c.keep) : std::string(c.text);
    const std::string dir = startdir(c.name, c.stands == Stands::file ? &bytes : nullptr);
    ASSERT_EQ(0, chdir(dir.c_str()));
    if (c.stands == Stands::fifo) {
        ASSERT_EQ(0, mkfifo("xm/bg.xm", 0644));
    }
    if (c.stands == Stands::directory) {
        ASSERT_TRUE(std::filesystem::create_directory("xm/bg.xm"));
    }
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    FifoWriter writer(dir + "/xm/bg.xm");
    init_sound();
    EXPECT_FALSE(writer.finish()) << "start-up waited for a writer on the module's path";
    playmusic(0);
    al_poll_duh(dplay);
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
    EXPECT_EQ("", testing::internal::GetCapturedStderr());
    EXPECT_EQ(nullptr, music);
    EXPECT_EQ(nullptr, dplay);
}

INSTANTIATE_TEST_SUITE_P(Files, MusicWithoutModule, ::testing::Values(
    BadModule{"missing", Stands::nothing, 0, ""},
    BadModule{"empty", Stands::file, 0, ""},
    BadModule{"text", Stands::file, 0, "this is not a module\n"},
    BadModule{"headeronly", Stands::file, 336, ""},
    BadModule{"truncated", Stands::file, 20000, ""},
    BadModule{"fifo", Stands::fifo, 0, ""},
    BadModule{"directory", Stands::directory, 0, ""}),
    [](const ::testing::TestParamInfo<BadModule> &info) { return info.param.name; });

// Asking for more voices than the driver-less mixer has makes the driver fail to start.
TEST_F(Music, SoundFailureGivesTheOneMessageAndStartUpGoesOn)
{
    std::string bytes = committedbytes();
    ASSERT_EQ(0, chdir(startdir("nosound", &bytes).c_str()));
    reserve_voices(1000, -1);
    testing::internal::CaptureStdout();
    init_sound();
    std::string shown = testing::internal::GetCapturedStdout();
    ASSERT_NE('\0', allegro_error[0]);
    EXPECT_EQ(std::string("Error initialising sound system\n") + allegro_error + "\n", shown);
    EXPECT_NE(nullptr, music);
}

// Under the driver-less mixer a player still starts and renders, which makes its
// memory visible: a restart must give back what the old player held.
TEST_F(Music, PlayMusicReplacesThePlayerAndStartsFromTheTop)
{
    ASSERT_EQ(0, install_sound(DIGI_AUTODETECT, MIDI_NONE, nullptr)) << allegro_error;
    dumb_register_stdfiles();
    music = loadmusic(MODULE);
    ASSERT_NE(nullptr, music);

    long before = heapinuse();
    playmusic(0);
    ASSERT_NE(nullptr, dplay);
    long one = heapinuse() - before;
    ASSERT_GT(one, 4096) << "a player should hold at least its sample buffer";

    // The player's own settings, read back from the running player: one channel, and one
    // poll renders one buffer of 4096 frames at 11025 Hz, in DUMB's 1/65536 s.
    DUH_SIGRENDERER *renderer = al_duh_get_sigrenderer(dplay);
    ASSERT_NE(nullptr, renderer);
    EXPECT_EQ(1, duh_sigrenderer_get_n_channels(renderer));
    al_poll_duh(dplay);
    const double onebuffer = 4096 * 65536.0 / 11025;
    EXPECT_NEAR(onebuffer, al_duh_get_position(dplay), 1.0);
    EXPECT_NEAR(onebuffer, duh_sigrenderer_get_position(renderer), 1.0);
    playmusic(0);
    ASSERT_NE(nullptr, dplay);
    EXPECT_EQ(0, al_duh_get_position(dplay));

    long settled = heapinuse();
    for (int i = 0; i < 40; ++i) {
        playmusic(0);
        al_poll_duh(dplay);
    }
    EXPECT_LT(heapinuse() - settled, one / 2) << "one player holds " << one << " bytes";

    stopmusic();
    EXPECT_EQ(nullptr, dplay);
    EXPECT_LT(heapinuse() - before, one / 2);
    stopmusic();
    EXPECT_EQ(nullptr, dplay);
}

} // namespace
