// The committed module, rendered offline the way the game plays it: mono at 11025 Hz.
#include <gtest/gtest.h>

#include <dumb.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

const int RATE = 11025;
const long MAX_SECONDS = 600; // a module that never reaches its end is a fault too

struct Render {
    std::vector<short> frames;
    bool ended = false; // the module reached its end before MAX_SECONDS
};

// Plays the module once from the top to the point where it would loop.
Render render(const char *path)
{
    Render r;
    dumb_register_stdfiles();
    DUH *duh = dumb_load_xm_quick(path);
    if (!duh)
        return r;
    DUH_SIGRENDERER *sr = duh_start_sigrenderer(duh, 0, 1, 0);
    if (sr) {
        dumb_it_set_loop_callback(duh_get_it_sigrenderer(sr), dumb_it_callback_terminate, nullptr);
        short chunk[4096];
        while (static_cast<long>(r.frames.size()) < MAX_SECONDS * RATE) {
            long n = duh_render(sr, 16, 0, 1.0f, 65536.0f / RATE, 4096, chunk);
            r.frames.insert(r.frames.end(), chunk, chunk + n);
            if (n < 4096) {
                r.ended = true;
                break;
            }
        }
        duh_end_sigrenderer(sr);
    }
    unload_duh(duh);
    return r;
}

const Render &committed()
{
    static const Render r = render(VELLMORA_SOURCE_DIR "/xm/bg.xm");
    return r;
}

double dbfs(double level)
{
    return 20.0 * std::log10(level / 32768.0);
}

TEST(MusicModule, PlaysAtLeastAMinuteBeforeItLoops)
{
    const Render &r = committed();
    ASSERT_FALSE(r.frames.empty()) << "the module did not load or render";
    EXPECT_TRUE(r.ended) << "no end within " << MAX_SECONDS << " s";
    double seconds = static_cast<double>(r.frames.size()) / RATE;
    std::printf("length before the loop: %.2f s\n", seconds);
    EXPECT_GE(seconds, 60.0);
}

// Audible throughout, and never against the 16-bit rails.
TEST(MusicModule, LevelsLeaveHeadroomAndNoStretchIsSilent)
{
    const Render &r = committed();
    ASSERT_FALSE(r.frames.empty());
    int peak = 0;
    double sum = 0;
    for (short s : r.frames) {
        peak = std::max(peak, std::abs(static_cast<int>(s)));
        sum += static_cast<double>(s) * s;
    }
    double rms = std::sqrt(sum / r.frames.size());
    std::printf("peak %d (%.1f dBFS), rms %.1f dBFS\n", peak, dbfs(peak), dbfs(rms));
    EXPECT_LT(dbfs(peak), -1.0);
    EXPECT_GT(dbfs(rms), -35.0);

    // Every ten seconds hold some sound: the music does not drop out midway.
    const size_t stretch = 10 * RATE;
    for (size_t start = 0; start + stretch <= r.frames.size(); start += stretch) {
        double part = 0;
        for (size_t i = start; i < start + stretch; ++i)
            part += static_cast<double>(r.frames[i]) * r.frames[i];
        EXPECT_GT(dbfs(std::sqrt(part / stretch)), -45.0) << "from " << start / RATE << " s";
    }
}

// Energy of each frequency band over Hann-windowed stretches spread across the piece.
TEST(MusicModule, EnergyStaysBelow4kHz)
{
    const Render &r = committed();
    const int n = 1024, windows = 24;
    ASSERT_GT(r.frames.size(), static_cast<size_t>(n * windows));
    std::vector<double> cosines(n), sines(n), hann(n);
    for (int i = 0; i < n; ++i) {
        cosines[i] = std::cos(2 * M_PI * i / n);
        sines[i] = std::sin(2 * M_PI * i / n);
        hann[i] = 0.5 - 0.5 * std::cos(2 * M_PI * i / n);
    }
    double below = 0, above = 0;
    const int cutoffbin = 4000 * n / RATE;
    size_t step = (r.frames.size() - n) / (windows - 1);
    for (int w = 0; w < windows; ++w) {
        const short *x = &r.frames[w * step];
        for (int k = 1; k <= n / 2; ++k) {
            double re = 0, im = 0;
            for (int i = 0; i < n; ++i) {
                int j = static_cast<int>((static_cast<long>(k) * i) % n);
                re += x[i] * hann[i] * cosines[j];
                im -= x[i] * hann[i] * sines[j];
            }
            (k <= cutoffbin ? below : above) += re * re + im * im;
        }
    }
    ASSERT_GT(below + above, 0.0);
    double share = below / (below + above);
    std::printf("share of energy below 4 kHz: %.8f (above: %.1f dB under the rest)\n", share,
                above > 0 ? 10.0 * std::log10(below / above) : INFINITY);
    EXPECT_GT(share, 0.98);
}

} // namespace
