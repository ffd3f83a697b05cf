// Test support: the well-formed modules the music tests start from.
#include "support/xmcorpus.h"

#include <cstdio>
#include <stdexcept>

XmModule richxm()
{
    XmModule m;
    m.channels = 4;
    m.speed = 3;
    m.bpm = 200;
    m.orders = {0, 1, 2, 1};
    m.restart = 1;

    XmPattern lead;
    lead.rows = 32;
    lead.cells.resize(32 * 4);
    for (unsigned r = 0; r < 32; r += 2) {
        lead.cells[r * 4] = XmCell{37 + r % 12, 1, 0x40, 0, 0};
        lead.cells[r * 4 + 1] = XmCell{25 + r % 7, 2, 0, 0x0a, 0x02}; // volume slide
    }
    lead.cells[31 * 4] = XmCell{97, 0, 0, 0, 0}; // key-off
    m.patterns.push_back(lead);

    XmPattern plain = lead; // the same tune in the five-byte cell form
    plain.packed = false;
    m.patterns.push_back(plain);

    XmPattern empty;
    empty.rows = 64;
    empty.stored = false;
    m.patterns.push_back(empty);

    XmInstrument square;
    square.samples.push_back(squarewave(true));
    square.samples[0].looptype = 2; // ping-pong
    square.samples.push_back(squarewave(false));
    square.volenvelope = true;
    square.headersize = 243;
    m.instruments.push_back(square);

    XmInstrument once; // an unlooped decaying saw
    XmSample saw;
    for (int k = 0; k < 400; ++k)
        saw.frames.push_back((k % 20) * 6 - 60);
    once.samples.push_back(saw);
    m.instruments.push_back(once);

    XmInstrument silent; // a slot without samples
    silent.headersize = 29;
    m.instruments.push_back(silent);
    return m;
}

static Bytes readfile(const std::string &path)
{
    Bytes data;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return data;
    int c;
    while ((c = fgetc(f)) != EOF)
        data.push_back(static_cast<unsigned char>(c));
    fclose(f);
    return data;
}

std::vector<NamedModule> wellformedmodules()
{
    std::vector<NamedModule> all;
    Bytes shipped = readfile(VELLMORA_SOURCE_DIR "/xm/bg.xm");
    if (!shipped.empty())
        all.push_back({"xm/bg.xm", shipped});
    all.push_back({"simple", writexm(simplexm())});
    all.push_back({"rich", writexm(richxm())});
    XmModule wide = simplexm();
    wide.channels = 32;
    XmSample &tone = wide.instruments[0].samples[0];
    tone = squarewave(true);
    tone.looptype = 0;
    for (int k = 0; k < 6; ++k) // a few hundred frames, so the notes are heard
        tone.frames.insert(tone.frames.end(), tone.frames.begin(), tone.frames.end());
    all.push_back({"32 channels, unlooped 16-bit", writexm(wide)});
    return all;
}

const XmField &fieldnamed(const std::vector<XmField> &fields, const std::string &name)
{
    for (const XmField &f : fields)
        if (f.name == name)
            return f;
    throw std::invalid_argument("no field " + name);
}
