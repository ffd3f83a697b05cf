// Test fixture: Allegro without a display, and every game global back at its start value.
#pragma once

#include <gtest/gtest.h>

#include <allegro.h>

// Brings Allegro up once per process with the "none" system driver, 32-bit colour,
// the 160x120 back buffer and a 640x480 memory bitmap standing in for the screen.
// Tests press keys by writing key[], queue ticks through speed_count and read pixels.
class Headless : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

void resetglobals();     // every global of the game at its program-start value
void releasekeys();      // every entry of key[] up
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
