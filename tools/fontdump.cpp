// Writes the glyphs of Allegro's built-in 8x8 font, one printable ASCII character a line,
// so the icon and the end-to-end checks draw and read text exactly as the game does.
#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

static const int GLYPH = 8; // the built-in font's cell, in pixels

// One line: the character code, then eight rows of '#' (ink) and '.' (background).
static void dumpglyph(FILE *out, BITMAP *cell, int c)
{
    const int ink = makecol(255, 255, 255);
    const char text[2] = {static_cast<char>(c), '\0'};
    textout_ex(cell, font, text, 0, 0, ink, makecol(0, 0, 0));
    std::fprintf(out, "%d", c);
    for (int y = 0; y < GLYPH; y++) {
        std::fputc(' ', out);
        for (int x = 0; x < GLYPH; x++)
            std::fputc(getpixel(cell, x, y) == ink ? '#' : '.', out);
    }
    std::fputc('\n', out);
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
        return 2;
    }
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
        std::fprintf(stderr, "fontdump: cannot start Allegro without a display\n");
        return 1;
    }
    set_color_depth(32);
    BITMAP *cell = create_bitmap(GLYPH, GLYPH);
    FILE *out = std::fopen(argv[1], "w");
    if (!cell || !out) {
        std::fprintf(stderr, "fontdump: cannot write %s\n", argv[1]);
        return 1;
    }
    for (int c = 32; c < 127; c++)
        dumpglyph(out, cell, c);
    return std::fclose(out) == 0 ? 0 : 1;
}
END_OF_MAIN()
