#!/usr/bin/env python3
"""Looks at a few pixels of an X server's screen memory as fast as it can, until told to stop
(SIGTERM): exits 1 as soon as they are all white, 0 when stopped without having seen that.
A separate process, so that a frame shown for only a moment is still caught.

  watchframe.py FRAMEBUFFER X,Y..."""
import signal
import sys

from session import FrameBuffer

WHITE = 0xFFFFFF


def main():
    fb = FrameBuffer(sys.argv[1])
    spots = [tuple(map(int, a.split(","))) for a in sys.argv[2:]]
    looks = 0

    def stop(signum, frame):
        print("looked %d times" % looks, flush=True)
        sys.exit(0)

    signal.signal(signal.SIGTERM, stop)
    print("watching", flush=True)
    while True:
        looks += 1
        if all(fb.pixel(x, y) == WHITE for x, y in spots):
            print("seen after %d looks" % looks, flush=True)
            sys.exit(1)


if __name__ == "__main__":
    main()
