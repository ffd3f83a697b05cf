// Test support: a small Extended Module writer and a map of a module's header fields.
#include "support/xmwriter.h"

#include <cstring>

static void put8(Bytes &b, unsigned v)
{
    b.push_back(static_cast<unsigned char>(v));
}

static void put16(Bytes &b, unsigned v)
{
    put8(b, v & 0xff);
    put8(b, (v >> 8) & 0xff);
}

static void put32(Bytes &b, uint32_t v)
{
    put16(b, v & 0xffff);
    put16(b, v >> 16);
}

static void puttext(Bytes &b, const char *text, size_t width)
{
    for (size_t i = 0; i < width; ++i)
        put8(b, i < strlen(text) ? text[i] : 0);
}

static void writecell(Bytes &b, const XmCell &c, bool packed)
{
    if (!packed) {
        for (unsigned v : {c.note, c.instrument, c.volume, c.effect, c.param})
            put8(b, v);
        return;
    }
    const unsigned values[5] = {c.note, c.instrument, c.volume, c.effect, c.param};
    unsigned flags = 0x80;
    for (int k = 0; k < 5; ++k)
        if (values[k])
            flags |= 1u << k;
    put8(b, flags);
    for (int k = 0; k < 5; ++k)
        if (values[k])
            put8(b, values[k]);
}

static void writepattern(Bytes &b, const XmPattern &p, unsigned channels)
{
    Bytes data;
    if (p.stored) {
        for (size_t i = 0; i < size_t(p.rows) * channels; ++i)
            writecell(data, i < p.cells.size() ? p.cells[i] : XmCell(), p.packed);
    }
    put32(b, 9);
    put8(b, 0);
    put16(b, p.rows);
    put16(b, static_cast<unsigned>(data.size()));
    b.insert(b.end(), data.begin(), data.end());
}

static uint32_t bytesper(const XmSample &s)
{
    return s.sixteen ? 2 : 1;
}

static void writesampledata(Bytes &b, const XmSample &s)
{
    int previous = 0;
    for (int frame : s.frames) {
        const int delta = frame - previous;
        previous = frame;
        if (s.sixteen)
            put16(b, static_cast<unsigned>(delta) & 0xffff);
        else
            put8(b, static_cast<unsigned>(delta) & 0xff);
    }
}

static void writeinstrument(Bytes &b, const XmInstrument &ins)
{
    const size_t start = b.size();
    put32(b, ins.headersize);
    puttext(b, "instrument", 22);
    put8(b, 0);
    put16(b, static_cast<unsigned>(ins.samples.size()));
    if (!ins.samples.empty()) {
        put32(b, 40);
        for (int k = 0; k < 96; ++k)
            put8(b, 0);
        // Volume envelope: attack, hold at the sustain point, decay after key-off.
        const unsigned env[3][2] = {{0, 64}, {10, 48}, {40, 0}};
        for (int k = 0; k < 12; ++k) {
            put16(b, k < 3 ? env[k][0] : 0);
            put16(b, k < 3 ? env[k][1] : 0);
        }
        for (int k = 0; k < 12; ++k)
            put32(b, 0); // panning envelope, unused
        put8(b, ins.volenvelope ? 3 : 0); // volume points
        put8(b, 0);                       // panning points
        put8(b, 1);                       // volume sustain point
        put8(b, 0);                       // volume loop start
        put8(b, 0);                       // volume loop end
        put8(b, 0);
        put8(b, 0);
        put8(b, 0);
        put8(b, ins.volenvelope ? 3 : 0); // volume type: on, sustain
        put8(b, 0);                       // panning type
        put8(b, ins.vibtype);
        put8(b, 0);
        put8(b, 0);
        put8(b, 0);
        put16(b, 0x100); // fadeout
        put16(b, 0);     // reserved
    }
    while (b.size() - start < ins.headersize)
        put8(b, 0);
    for (const XmSample &s : ins.samples) {
        const uint32_t n = bytesper(s);
        put32(b, static_cast<uint32_t>(s.frames.size()) * n);
        put32(b, s.loopstart * n);
        put32(b, s.looplength * n);
        put8(b, s.volume);
        put8(b, 0);                               // finetune
        put8(b, s.looptype | (s.sixteen ? 0x10 : 0));
        put8(b, 0x80);                            // panning
        put8(b, static_cast<unsigned>(s.relnote) & 0xff);
        put8(b, 0);
        puttext(b, "sample", 22);
    }
    for (const XmSample &s : ins.samples)
        writesampledata(b, s);
}

Bytes writexm(const XmModule &m)
{
    Bytes b;
    puttext(b, "Extended Module: ", 17);
    puttext(b, "test", 20);
    put8(b, 0x1a);
    puttext(b, "vellmora tests", 20);
    put16(b, 0x0104);
    put32(b, 276);
    put16(b, static_cast<unsigned>(m.orders.size()));
    put16(b, m.restart);
    put16(b, m.channels);
    put16(b, static_cast<unsigned>(m.patterns.size()));
    put16(b, static_cast<unsigned>(m.instruments.size()));
    put16(b, 1); // linear frequency table
    put16(b, m.speed);
    put16(b, m.bpm);
    for (size_t k = 0; k < 256; ++k)
        put8(b, k < m.orders.size() ? m.orders[k] : 0);
    for (const XmPattern &p : m.patterns)
        writepattern(b, p, m.channels);
    for (const XmInstrument &ins : m.instruments)
        writeinstrument(b, ins);
    return b;
}

XmSample squarewave(bool sixteen)
{
    XmSample s;
    s.sixteen = sixteen;
    const int level = sixteen ? 12000 : 48;
    for (int k = 0; k < 32; ++k)
        s.frames.push_back(k < 16 ? level : -level);
    s.looptype = 1;
    s.loopstart = 0;
    s.looplength = 32;
    return s;
}

XmModule simplexm()
{
    XmModule m;
    XmPattern p;
    p.rows = 16;
    p.cells.resize(16);
    const unsigned notes[4] = {49, 53, 56, 61};
    for (int r = 0; r < 16; r += 4)
        p.cells[r] = XmCell{notes[r / 4], 1, 0, 0, 0};
    m.patterns.push_back(p);
    XmInstrument ins;
    ins.samples.push_back(squarewave(false));
    m.instruments.push_back(ins);
    return m;
}

static uint32_t get(const Bytes &b, size_t at, unsigned width)
{
    uint32_t v = 0;
    for (unsigned k = 0; k < width && at + k < b.size(); ++k)
        v |= uint32_t(b[at + k]) << (8 * k);
    return v;
}

std::vector<XmField> xmfields(const Bytes &m)
{
    std::vector<XmField> f = {
        {58, 2, "version"},   {60, 4, "header size"}, {64, 2, "song length"},
        {66, 2, "restart"},   {68, 2, "channels"},    {70, 2, "patterns"},
        {72, 2, "instruments"}, {74, 2, "flags"},     {76, 2, "speed"},
        {78, 2, "bpm"},       {80, 1, "order 0"},     {81, 1, "order 1"},
    };
    size_t pos = 60 + get(m, 60, 4);
    const unsigned patterns = get(m, 70, 2), instruments = get(m, 72, 2);
    for (unsigned i = 0; i < patterns && pos + 9 <= m.size(); ++i) {
        const std::string p = "pattern " + std::to_string(i) + " ";
        f.push_back({pos, 4, p + "header length"});
        f.push_back({pos + 4, 1, p + "packing"});
        f.push_back({pos + 5, 2, p + "rows"});
        f.push_back({pos + 7, 2, p + "packed size"});
        pos += 9 + get(m, pos + 7, 2);
    }
    for (unsigned i = 0; i < instruments && pos + 29 <= m.size(); ++i) {
        const std::string n = "instrument " + std::to_string(i) + " ";
        const uint32_t hsize = get(m, pos, 4);
        const unsigned samples = get(m, pos + 27, 2);
        f.push_back({pos, 4, n + "header size"});
        f.push_back({pos + 26, 1, n + "type"});
        f.push_back({pos + 27, 2, n + "samples"});
        if (samples > 0) {
            const struct { size_t at; unsigned width; const char *name; } ins[] = {
                {29, 4, "sample header size"}, {33, 1, "keymap 0"}, {80, 1, "keymap 47"},
                {129, 2, "volume x 0"}, {131, 2, "volume y 0"}, {133, 2, "volume x 1"},
                {135, 2, "volume y 1"}, {177, 2, "panning x 0"}, {179, 2, "panning y 0"},
                {225, 1, "volume points"}, {226, 1, "panning points"},
                {227, 1, "volume sustain"}, {228, 1, "volume loop start"},
                {229, 1, "volume loop end"}, {230, 1, "panning sustain"},
                {231, 1, "panning loop start"}, {232, 1, "panning loop end"},
                {233, 1, "volume type"}, {234, 1, "panning type"},
                {235, 1, "vibrato type"}, {236, 1, "vibrato sweep"},
                {237, 1, "vibrato depth"}, {238, 1, "vibrato rate"},
                {239, 2, "fadeout"},
            };
            for (const auto &e : ins)
                f.push_back({pos + e.at, e.width, n + e.name});
        }
        pos += hsize;
        uint64_t data = 0;
        for (unsigned s = 0; s < samples && pos + 40 <= m.size(); ++s, pos += 40) {
            const std::string sn = n + "sample " + std::to_string(s) + " ";
            const struct { size_t at; unsigned width; const char *name; } smp[] = {
                {0, 4, "length"}, {4, 4, "loop start"}, {8, 4, "loop length"},
                {12, 1, "volume"}, {13, 1, "finetune"}, {14, 1, "type"},
                {15, 1, "panning"}, {16, 1, "relative note"}, {17, 1, "reserved"},
            };
            for (const auto &e : smp)
                f.push_back({pos + e.at, e.width, sn + e.name});
            data += get(m, pos, 4);
        }
        pos += data;
    }
    return f;
}

void putfield(Bytes &m, const XmField &field, uint32_t value)
{
    for (unsigned k = 0; k < field.width && field.offset + k < m.size(); ++k)
        m[field.offset + k] = static_cast<unsigned char>(value >> (8 * k));
}

uint32_t fieldvalue(const Bytes &m, const XmField &field)
{
    return get(m, field.offset, field.width);
}
