// Hostile modules: damaged copies of every well-formed module are either refused by the
// check or loaded and played by DUMB in a child process without crash or stall.
#include <gtest/gtest.h>

#include <random>

#include "music/music.h"
#include "support/sandbox.h"
#include "support/xmcorpus.h"

// A quarter of a second of sound is enough to run every row of the first pattern
// through the player at the module's tempo, which is where bad values divide or index.
static const long RENDER_FRAMES = 2756;

static bool accepted(const Bytes &m)
{
    return xmwellformed(m.data(), m.size());
}

// Plays the accepted mutants; failures name the base module and the mutant's index.
// Returns how many of them DUMB loaded.
static size_t expectsafe(const std::string &base, const std::vector<Bytes> &accepted)
{
    const SandboxRun run = sandboxplay(accepted, RENDER_FRAMES);
    EXPECT_FALSE(run.failed) << base << ": " << describe(run);
    for (size_t i : run.slow)
        std::cout << "note: " << base << " mutant " << i << " took "
                  << run.cases[i].seconds << " s to load and render\n";
    size_t loaded = 0;
    for (const SandboxCase &c : run.cases)
        loaded += c.loaded;
    return loaded;
}

TEST(XmCorpus, EveryTruncationIsRefused)
{
    for (const NamedModule &m : wellformedmodules()) {
        std::vector<Bytes> survivors;
        for (size_t cut = 0; cut < m.bytes.size(); ++cut) {
            // The check sees exactly `cut` bytes: anything past them is out of its reach.
            if (xmwellformed(m.bytes.data(), cut))
                survivors.emplace_back(m.bytes.begin(), m.bytes.begin() + cut);
        }
        EXPECT_TRUE(survivors.empty()) << m.name << ": " << survivors.size()
                                       << " truncations accepted";
        expectsafe(m.name, survivors);
    }
}

TEST(XmCorpus, HeaderFieldsAtZeroOneAndMaximumAreSafe)
{
    for (const NamedModule &m : wellformedmodules()) {
        std::vector<Bytes> survivors;
        for (const XmField &f : xmfields(m.bytes)) {
            const uint32_t max = f.width == 4 ? 0xffffffffu : (1u << (8 * f.width)) - 1;
            for (uint32_t v : {0u, 1u, max}) {
                Bytes bad = m.bytes;
                putfield(bad, f, v);
                if (accepted(bad))
                    survivors.push_back(bad);
            }
        }
        expectsafe(m.name, survivors);
    }
}

// Values that tend to sit on the edge of a check.
static uint32_t interesting(std::mt19937 &rng, uint32_t old)
{
    static const uint32_t edges[] = {0, 1, 2, 0x7f, 0x80, 0xff, 0x100, 0x7fff, 0x8000,
                                     0xffff, 0x10000, 0x7fffffff, 0x80000000u, 0xffffffffu};
    switch (rng() % 4) {
    case 0:
        return old + 1;
    case 1:
        return old - 1;
    case 2:
        return rng();
    default:
        return edges[rng() % (sizeof edges / sizeof edges[0])];
    }
}

// One to four changes: a header field set to an edge value, a byte set or a bit
// flipped anywhere, or a byte inserted or removed to shift everything behind it.
static Bytes mutate(const Bytes &base, const std::vector<XmField> &fields, std::mt19937 &rng)
{
    Bytes m = base;
    const int changes = 1 + static_cast<int>(rng() % 4);
    for (int c = 0; c < changes && !m.empty(); ++c) {
        const size_t at = rng() % m.size();
        switch (rng() % 6) {
        case 0:
        case 1: {
            const XmField &f = fields[rng() % fields.size()];
            putfield(m, f, interesting(rng, fieldvalue(m, f)));
            break;
        }
        case 2:
            m[at] = static_cast<unsigned char>(rng());
            break;
        case 3:
            m[at] ^= static_cast<unsigned char>(1u << (rng() % 8));
            break;
        case 4:
            m.insert(m.begin() + static_cast<long>(at), static_cast<unsigned char>(rng()));
            break;
        default:
            m.erase(m.begin() + static_cast<long>(at));
            break;
        }
    }
    return m;
}

TEST(XmCorpus, RandomMutationsAreSafe)
{
    const int MUTANTS = 3000; // per well-formed module
    for (const NamedModule &m : wellformedmodules()) {
        std::mt19937 rng(20240611);
        const std::vector<XmField> fields = xmfields(m.bytes);
        std::vector<Bytes> survivors;
        for (int i = 0; i < MUTANTS; ++i) {
            Bytes bad = mutate(m.bytes, fields, rng);
            if (accepted(bad))
                survivors.push_back(bad);
        }
        const size_t loaded = expectsafe(m.name, survivors);
        std::cout << m.name << ": " << survivors.size() << " of " << MUTANTS
                  << " mutants passed the check, " << loaded << " of them loaded\n";
    }
}
