// Structural check of an Extended Module before DUMB sees it: DUMB trusts what it reads.
#include "music/music.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include <sys/stat.h>
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

// Layout of the module header; offsets from the start of the file.
static const size_t XM_SIGLEN = 17;        // "Extended Module: "
static const size_t XM_VERSION = 58;       // always 0x0104
static const size_t XM_HEADERSIZE = 60;    // counted from this field on: 276
static const size_t XM_SONGLEN = 64;
static const size_t XM_RESTART = 66;
static const size_t XM_CHANNELS = 68;
static const size_t XM_PATTERNS = 70;
static const size_t XM_INSTRUMENTS = 72;
static const size_t XM_SPEED = 76;
static const size_t XM_BPM = 78;
static const size_t XM_ORDERS = 80;

// Layout of an instrument header; offsets from its start.
static const size_t INS_SAMPLES = 27;
static const size_t INS_SAMPLEHEADER = 29;
static const size_t INS_KEYMAP = 33;
static const size_t INS_VOLENV = 129;
static const size_t INS_PANENV = 177;
static const size_t INS_VOLPOINTS = 225;
static const size_t INS_VOLSUSTAIN = 227;
static const size_t INS_VOLTYPE = 233;
static const size_t INS_VIBTYPE = 235;
static const uint32_t INS_EMPTYSIZE = 29;  // header of an instrument without samples
static const uint32_t INS_FULLSIZE = 243;  // header with keymap and envelopes
static const uint32_t INS_MAXSIZE = 263;   // the largest header trackers write

static const size_t XM_MAXFILE = 64u << 20; // far beyond any module this game would ship

static unsigned rd16(const unsigned char *p)
{
    return p[0] | (p[1] << 8);
}

static uint32_t rd32(const unsigned char *p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
}

// True when size bytes from pos lie inside the file; never overflows.
static bool inside(size_t total, size_t pos, uint64_t size)
{
    return pos <= total && size <= total - pos;
}

static bool headerok(const unsigned char *d, size_t size)
{
    if (size < XM_HEADERSIZE + 276 || memcmp(d, "Extended Module: ", XM_SIGLEN) != 0)
        return false;
    if (rd16(d + XM_VERSION) != 0x0104 || rd32(d + XM_HEADERSIZE) != 276)
        return false;
    const unsigned songlen = rd16(d + XM_SONGLEN), channels = rd16(d + XM_CHANNELS);
    const unsigned patterns = rd16(d + XM_PATTERNS);
    if (songlen < 1 || songlen > 256 || rd16(d + XM_RESTART) >= songlen)
        return false;
    if (channels < 1 || channels > 32 || patterns > 256 || rd16(d + XM_INSTRUMENTS) > 128)
        return false;
    // A speed or tempo of 0 divides by zero once playback starts; the tracker's own
    // ranges are 1..31 ticks per row and 32..255 beats per minute.
    const unsigned speed = rd16(d + XM_SPEED), bpm = rd16(d + XM_BPM);
    if (speed < 1 || speed > 31 || bpm < 32 || bpm > 255)
        return false;
    for (unsigned i = 0; i < songlen; ++i)
        if (d[XM_ORDERS + i] >= patterns)
            return false;
    return true;
}

// One pattern's packed cells must decode to exactly rows x channels cells.
static bool cellsok(const unsigned char *p, size_t len, unsigned cells)
{
    size_t pos = 0;
    for (unsigned c = 0; c < cells; ++c) {
        if (pos >= len)
            return false;
        unsigned flags = 0x1f, note;
        if (p[pos] & 0x80) {
            flags = p[pos++];
            note = flags & 1 ? (pos < len ? p[pos] : 0) : 0;
        } else {
            note = p[pos];
        }
        unsigned fields = 0;
        for (int bit = 0; bit < 5; ++bit)
            fields += (flags >> bit) & 1;
        if (!inside(len, pos, fields) || note > 97) // 97 is key-off
            return false;
        pos += fields;
    }
    return pos == len;
}

static bool patternsok(const unsigned char *d, size_t size, size_t &pos)
{
    const unsigned patterns = rd16(d + XM_PATTERNS), channels = rd16(d + XM_CHANNELS);
    for (unsigned i = 0; i < patterns; ++i) {
        if (!inside(size, pos, 9) || rd32(d + pos) != 9 || d[pos + 4] != 0)
            return false;
        const unsigned rows = rd16(d + pos + 5), packed = rd16(d + pos + 7);
        pos += 9;
        if (rows < 1 || rows > 256 || !inside(size, pos, packed))
            return false;
        // An empty pattern is stored without data.
        if (packed != 0 && !cellsok(d + pos, packed, rows * channels))
            return false;
        pos += packed;
    }
    return true;
}

// An envelope in use needs points in time order and indices that name points.
static bool envelopeok(const unsigned char *ins, size_t points, unsigned count,
                       const unsigned char *marks, unsigned type)
{
    if (count > 12)
        return false;
    if (!(type & 1))
        return true;
    if (count < 1 || marks[0] >= count || marks[1] >= count || marks[2] >= count ||
        marks[1] > marks[2])
        return false;
    for (unsigned k = 0; k < count; ++k) {
        const unsigned x = rd16(ins + points + 4 * k), y = rd16(ins + points + 4 * k + 2);
        if (y > 64 || (k > 0 && x <= rd16(ins + points + 4 * (k - 1))))
            return false;
    }
    return true;
}

static bool instrumentheaderok(const unsigned char *ins, uint32_t hsize, unsigned samples)
{
    if (samples == 0)
        return true;
    if (hsize < INS_FULLSIZE || rd32(ins + INS_SAMPLEHEADER) != 40)
        return false;
    for (size_t k = 0; k < 96; ++k)
        if (ins[INS_KEYMAP + k] >= samples)
            return false;
    // Volume then panning: point counts at 225/226, sustain/loop marks at 227..232,
    // types at 233/234.
    if (!envelopeok(ins, INS_VOLENV, ins[INS_VOLPOINTS], ins + INS_VOLSUSTAIN,
                    ins[INS_VOLTYPE]))
        return false;
    if (!envelopeok(ins, INS_PANENV, ins[INS_VOLPOINTS + 1], ins + INS_VOLSUSTAIN + 3,
                    ins[INS_VOLTYPE + 1]))
        return false;
    return ins[INS_VIBTYPE] < 4;
}

// The sample headers that follow an instrument header, then their data.
static bool samplesok(const unsigned char *d, size_t size, size_t &pos, unsigned samples)
{
    if (!inside(size, pos, uint64_t(samples) * 40))
        return false;
    uint64_t data = 0;
    for (unsigned s = 0; s < samples; ++s, pos += 40) {
        const unsigned char *h = d + pos;
        const uint64_t length = rd32(h), loopstart = rd32(h + 4), looplength = rd32(h + 8);
        const unsigned volume = h[12], type = h[14];
        if (volume > 64 || (type & ~0x13u) != 0 || (type & 3) == 3)
            return false;
        if ((type & 0x10) && (length % 2 || loopstart % 2 || looplength % 2))
            return false;
        if ((type & 3) && (loopstart > length || looplength > length - loopstart))
            return false;
        data += length;
    }
    if (!inside(size, pos, data))
        return false;
    pos += data;
    return true;
}

static bool instrumentsok(const unsigned char *d, size_t size, size_t &pos)
{
    const unsigned instruments = rd16(d + XM_INSTRUMENTS);
    for (unsigned i = 0; i < instruments; ++i) {
        if (!inside(size, pos, INS_EMPTYSIZE))
            return false;
        const uint32_t hsize = rd32(d + pos);
        const unsigned samples = rd16(d + pos + INS_SAMPLES);
        // A header size out of this range made the loader skip for a very long time.
        if (hsize < INS_EMPTYSIZE || hsize > INS_MAXSIZE || !inside(size, pos, hsize))
            return false;
        if (samples > 16 || !instrumentheaderok(d + pos, hsize, samples))
            return false;
        pos += hsize;
        if (!samplesok(d, size, pos, samples))
            return false;
    }
    return true;
}

bool xmwellformed(const unsigned char *data, size_t size)
{
    if (!data || !headerok(data, size))
        return false;
    size_t pos = XM_HEADERSIZE + 276;
    return patternsok(data, size, pos) && instrumentsok(data, size, pos);
}

// Opens the path only when it names a regular file. A FIFO would hold the open until
// some writer came, a device might never end and a directory has no bytes: none of them
// is a module, so none is read, and nothing opened here ever waits.
static FILE *openregular(const char *path)
{
    struct stat st;
#ifndef _WIN32
    const int fd = open(path, O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return nullptr;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return nullptr;
    }
    FILE *f = fdopen(fd, "rb");
    if (!f)
        close(fd);
    return f;
#else
    if (stat(path, &st) != 0 || (st.st_mode & S_IFMT) != S_IFREG)
        return nullptr;
    return fopen(path, "rb");
#endif
}

bool xmfilewellformed(const char *path)
{
    FILE *f = openregular(path);
    if (!f)
        return false;
    std::vector<unsigned char> data;
    unsigned char chunk[16384];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, f)) > 0 && data.size() <= XM_MAXFILE)
        data.insert(data.end(), chunk, chunk + got);
    const bool readall = !ferror(f) && data.size() <= XM_MAXFILE;
    fclose(f);
    return readall && xmwellformed(data.data(), data.size());
}
