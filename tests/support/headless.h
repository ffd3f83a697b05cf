// Test fixture: Allegro without a display, and every game global back at its start value.
#pragma once

#include <gtest/gtest.h>

#include <allegro.h>

#include <ostream>

// Brings Allegro up once per process with the "none" system driver, 32-bit colour,
// the 160x120 back buffer and a 640x480 memory bitmap standing in for the screen.
// Tests press keys by writing key[], queue ticks through speed_count and read pixels.
class Headless : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

void resetglobals();     // every global of the game at its program-start value
void releasekeys();      // every key up (to the latches too), no key press waiting, no button down
int pixel(BITMAP *bmp, int x, int y); // makecol of the pixel, comparable across modes
bool iswhite(int x, int y);           // back-buffer pixel is pure white
bool isblack(int x, int y);           // back-buffer pixel is pure black

// A back-buffer-sized bitmap of the test's own, for building the picture a frame must match.
struct Canvas {
    BITMAP *bmp;
    explicit Canvas(int colour); // filled with the colour
    ~Canvas();
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;
};

// Every pixel equal; on failure says how many differ and where the first one is.
::testing::AssertionResult sameimage(BITMAP *got, BITMAP *want);

// The smallest rectangle holding every pixel of one colour; empty when none has it.
struct Box {
    int x0, y0, x1, y1; // inclusive corners
    bool empty() const { return x1 < x0; }
    Box moved(int dx, int dy) const { return {x0 + dx, y0 + dy, x1 + dx, y1 + dy}; }
    bool operator==(const Box &o) const
    {
        return x0 == o.x0 && y0 == o.y0 && x1 == o.x1 && y1 == o.y1;
    }
};
std::ostream &operator<<(std::ostream &out, const Box &b);
Box inkbox(BITMAP *bmp, int colour, int x0 = 0, int y0 = 0, int x1 = 159, int y1 = 119);
Box glyphbox(const char *text); // the lit pixels of text written with font at (0, 0)
// Whether at(x, y) gives the index of the area holding each point, and -1 off every area,
// over the whole picture and a one-pixel ring around it.
::testing::AssertionResult samehits(const Box *areas, int count, int (*at)(int, int));
