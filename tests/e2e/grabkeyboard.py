#!/usr/bin/env python3
"""Holds the keyboard of an X display until standard input closes, as a screen locker or an
open menu does: while it holds it, no other client can take the keyboard for itself. With
--pointer it holds the pointer too.

    grabkeyboard.py :N [--pointer]   prints "grabbed" once the grabs hold, or fails with
                                     status 1"""
import ctypes
import ctypes.util
import sys

GRAB_SUCCESS, GRAB_MODE_ASYNC, CURRENT_TIME = 0, 1, 0
POINTER_EVENTS = (1 << 2) | (1 << 3) | (1 << 6)  # button press and release, pointer motion


def main():
    name = ctypes.util.find_library("X11")
    if not name:
        print("no libX11", flush=True)
        return 1
    x = ctypes.CDLL(name)
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XDefaultRootWindow.restype = ctypes.c_ulong
    x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x.XGrabKeyboard.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                ctypes.c_int, ctypes.c_ulong]
    x.XGrabPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_uint,
                               ctypes.c_int, ctypes.c_int, ctypes.c_ulong, ctypes.c_ulong,
                               ctypes.c_ulong]
    x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    display = x.XOpenDisplay(sys.argv[1].encode())
    if not display:
        print("cannot open display %s" % sys.argv[1], flush=True)
        return 1
    root = x.XDefaultRootWindow(display)
    result = x.XGrabKeyboard(display, root, 1, GRAB_MODE_ASYNC, GRAB_MODE_ASYNC, CURRENT_TIME)
    x.XSync(display, 0)
    if result != GRAB_SUCCESS:
        print("grab refused (%d)" % result, flush=True)
        return 1
    if "--pointer" in sys.argv[2:]:
        result = x.XGrabPointer(display, root, 1, POINTER_EVENTS, GRAB_MODE_ASYNC,
                                GRAB_MODE_ASYNC, 0, 0, CURRENT_TIME)
        x.XSync(display, 0)
        if result != GRAB_SUCCESS:
            print("pointer grab refused (%d)" % result, flush=True)
            return 1
    print("grabbed", flush=True)
    sys.stdin.read()  # the grab ends with the connection, when this process ends
    return 0


if __name__ == "__main__":
    sys.exit(main())
