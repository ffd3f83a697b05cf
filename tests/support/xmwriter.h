// Test support: a small Extended Module writer and a map of a module's header fields.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

struct XmCell {
    unsigned note = 0, instrument = 0, volume = 0, effect = 0, param = 0;
};

struct XmPattern {
    unsigned rows = 16;
    std::vector<XmCell> cells; // rows x channels, row by row; missing cells are empty
    bool packed = true;        // false writes every cell in the five-byte form
    bool stored = true;        // false writes the pattern without data (all empty)
};

struct XmSample {
    std::vector<int> frames;  // signed frames: -128..127, or -32768..32767 when sixteen
    bool sixteen = false;
    unsigned looptype = 0;    // 0 none, 1 forward, 2 ping-pong
    unsigned loopstart = 0, looplength = 0; // in frames
    unsigned volume = 64;
    int relnote = 0;
};

struct XmInstrument {
    std::vector<XmSample> samples;
    uint32_t headersize = 263;  // 243 or 263 with samples; 29 or 33 without
    bool volenvelope = false;   // a three-point volume envelope with a sustain point
    unsigned vibtype = 0;
};

struct XmModule {
    unsigned channels = 1;
    unsigned speed = 6, bpm = 125;
    unsigned restart = 0;
    std::vector<unsigned> orders{0};
    std::vector<XmPattern> patterns;
    std::vector<XmInstrument> instruments;
};

Bytes writexm(const XmModule &m);

XmSample squarewave(bool sixteen);  // one looped cycle of a square wave
XmModule simplexm();                // one channel, one instrument, a short tune

// One header field of a written module: where it sits and how wide it is.
struct XmField {
    size_t offset;
    unsigned width; // 1, 2 or 4 bytes, little-endian
    std::string name;
};

// Every header field of a module laid out as the writer lays it out (module header,
// pattern headers, instrument headers, sample headers), found by walking the file.
std::vector<XmField> xmfields(const Bytes &module);

void putfield(Bytes &module, const XmField &field, uint32_t value);
uint32_t fieldvalue(const Bytes &module, const XmField &field);
