// The module check: well-formed modules pass, each kind of damage is refused.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "music/music.h"
#include "support/sandbox.h"
#include "support/xmcorpus.h"

TEST(XmCheck, WellFormedModulesAreAcceptedAndPlay)
{
    std::vector<NamedModule> modules = wellformedmodules();
    std::vector<Bytes> batch;
    for (const NamedModule &m : modules) {
        EXPECT_TRUE(xmwellformed(m.bytes.data(), m.bytes.size())) << m.name;
        batch.push_back(m.bytes);
    }
    // About two seconds of each.
    const SandboxRun run = sandboxplay(batch, 22050);
    ASSERT_FALSE(run.failed) << describe(run);
    for (size_t i = 0; i < modules.size(); ++i) {
        EXPECT_TRUE(run.cases[i].loaded) << modules[i].name;
        EXPECT_GT(run.cases[i].peak, 1000) << modules[i].name << " renders silence";
    }
}

// One field of the rich module set to a value the check must refuse.
struct Damage {
    const char *field;
    uint32_t value;
};

TEST(XmCheck, DamagedFieldsAreRefused)
{
    const Bytes good = writexm(richxm());
    ASSERT_TRUE(xmwellformed(good.data(), good.size()));
    const std::vector<XmField> fields = xmfields(good);
    const uint32_t packed0 = fieldvalue(good, fieldnamed(fields, "pattern 0 packed size"));
    const uint32_t length0 =
        fieldvalue(good, fieldnamed(fields, "instrument 0 sample 0 length"));
    const Damage table[] = {
        {"version", 0x0103},
        {"header size", 275},
        {"header size", 277},
        {"song length", 0},
        {"song length", 257},
        {"restart", 4}, // the song is four orders long
        {"channels", 0},
        {"channels", 33},
        {"patterns", 257},
        {"patterns", 2}, // the order list plays pattern 2
        {"instruments", 129},
        {"speed", 0},
        {"speed", 32},
        {"bpm", 0},
        {"bpm", 31},
        {"bpm", 256},
        {"order 0", 3}, // no such pattern
        {"pattern 0 header length", 8},
        {"pattern 0 packing", 1},
        {"pattern 0 rows", 0},
        {"pattern 0 rows", 33}, // the data holds 32 rows
        {"pattern 0 rows", 257},
        {"pattern 0 packed size", packed0 - 1},
        {"pattern 0 packed size", packed0 + 1},
        {"pattern 0 packed size", 0xffff},
        {"instrument 0 header size", 0},
        {"instrument 0 header size", 28},
        {"instrument 0 header size", 242},
        {"instrument 0 header size", 264},
        {"instrument 0 header size", 0xfffffff0u},
        {"instrument 2 header size", 28},
        {"instrument 0 samples", 17},
        {"instrument 0 sample header size", 39},
        {"instrument 0 keymap 47", 2}, // the instrument has two samples
        {"instrument 0 volume points", 13},
        {"instrument 0 volume points", 0}, // the envelope is on
        {"instrument 0 volume sustain", 3},
        {"instrument 0 volume loop start", 3},
        {"instrument 0 volume x 1", 0}, // two points at one time
        {"instrument 0 volume y 0", 65},
        {"instrument 0 vibrato type", 4},
        {"instrument 0 sample 0 length", length0 + 2},
        {"instrument 0 sample 0 length", 0xfffffffe},
        {"instrument 0 sample 0 length", length0 - 1}, // odd for 16-bit frames
        {"instrument 0 sample 0 loop start", length0 + 2},
        {"instrument 0 sample 0 loop length", length0 + 2},
        {"instrument 0 sample 0 loop length", 0xfffffffe},
        {"instrument 0 sample 0 type", 0x13},
        {"instrument 0 sample 0 type", 0x30},
        {"instrument 0 sample 0 volume", 65},
    };
    for (const Damage &d : table) {
        Bytes bad = good;
        putfield(bad, fieldnamed(fields, d.field), d.value);
        EXPECT_FALSE(xmwellformed(bad.data(), bad.size())) << d.field << " = " << d.value;
    }
}

TEST(XmCheck, DamagedPatternsAndSignaturesAreRefused)
{
    XmModule highnote = simplexm();
    highnote.patterns[0].cells[4].note = 98; // past key-off
    const Bytes bad = writexm(highnote);
    EXPECT_FALSE(xmwellformed(bad.data(), bad.size()));

    Bytes unsigned_ = writexm(simplexm());
    unsigned_[9] = 'm';
    EXPECT_FALSE(xmwellformed(unsigned_.data(), unsigned_.size()));

    EXPECT_FALSE(xmwellformed(nullptr, 0));
    const Bytes shorter(unsigned_.begin(), unsigned_.begin() + 300);
    EXPECT_FALSE(xmwellformed(shorter.data(), shorter.size()));
}

// The game's loader goes through the file check: a refused file gives no module, as a
// missing one does.
TEST(XmCheck, FileCheckGuardsTheLoader)
{
    dumb_register_stdfiles();
    const std::string path = testing::TempDir() + "xmcheck_test.xm";
    Bytes stopped = writexm(richxm());
    // DUMB loads this one, then divides by its tempo as soon as it plays.
    putfield(stopped, fieldnamed(xmfields(stopped), "bpm"), 0);
    const Bytes good = writexm(richxm());
    const struct {
        const Bytes &bytes;
        size_t length;
        bool accepted;
    } table[] = {
        {good, good.size(), true},
        {good, good.size() - 1, false},
        {good, 0, false},
        {stopped, stopped.size(), false},
    };
    for (const auto &t : table) {
        FILE *f = fopen(path.c_str(), "wb");
        ASSERT_NE(nullptr, f);
        fwrite(t.bytes.data(), 1, t.length, f);
        fclose(f);
        EXPECT_EQ(t.accepted, xmfilewellformed(path.c_str())) << t.length << " bytes";
        DUH *duh = loadmusic(path.c_str());
        EXPECT_EQ(t.accepted, duh != nullptr) << t.length << " bytes";
        if (duh)
            unload_duh(duh);
    }
    remove(path.c_str());
    EXPECT_FALSE(xmfilewellformed(path.c_str()));
    EXPECT_EQ(nullptr, loadmusic(path.c_str()));
}
