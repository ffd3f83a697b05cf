#!/usr/bin/env python3
"""Plays one short scripted run of the game on a virtual screen and keeps what it showed and
played: a screenshot of each stage, an animated GIF of the whole run and a WAV of the music.

  demo.py --binary B --glyphs G --out DIR"""
import argparse
import array
import os
import subprocess
import sys
import time
import wave

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from picture import Font  # noqa: E402
from session import CONVERT, Capture, Failure, Player, Run, XServer  # noqa: E402
import play  # noqa: E402

GIF_SCALE = "50%"  # 320x240: each pixel of the game's picture stays a 2x2 block


class Film:
    """Screenshots with how long each stays up in the GIF."""

    def __init__(self, run):
        self.run = run
        self.frames = []

    def keep(self, shot, seconds):
        name = self.run.path("frame-%03d.png" % len(self.frames))
        shot.save_png(name, CONVERT)
        self.frames.append((name, seconds))

    def gif(self, path):
        cmd = [CONVERT]
        for name, seconds in self.frames:
            cmd += ["-delay", str(int(round(seconds * 100))), name]
        cmd += ["-filter", "point", "-resize", GIF_SCALE, "-layers", "Optimize", "-loop", "0",
                path]
        subprocess.run(cmd, check=True)


def wav(raw_path, wav_path):
    """Allegro's unsigned 16-bit stereo samples at 44100 Hz as a signed WAV file."""
    with open(raw_path, "rb") as f:
        data = f.read()
    samples = array.array("H")
    samples.frombytes(data[:len(data) // 4 * 4])
    if sys.byteorder == "big":
        samples.byteswap()
    signed = array.array("h", (s - 0x8000 for s in samples))
    if sys.byteorder == "big":
        signed.byteswap()
    with wave.open(wav_path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(44100)
        w.writeframes(signed.tobytes())


def perform(run, binary, font, out):
    x = XServer(run)
    capture = Capture(run)
    config = run.path("allegro-config")
    os.makedirs(config)
    with open(os.path.join(config, "allegro.cfg"), "w") as f:
        # Small sound fragments keep the file sink to the pace of a real sound card.
        f.write("[sound]\nalsa_fragsize = 441\n")
    player = Player(run, binary, x=x, capture=capture, env={"ALLEGRO": config})
    eye = play.Eye(run, x, font, player)
    film = Film(run)

    play.intro(eye)
    eye.last.save_png(os.path.join(out, "intro.png"), CONVERT)
    for _ in range(8):
        time.sleep(0.1)
        play.intro(eye)
        film.keep(eye.last, 0.1)
    x.hold("a")
    play.title(eye)
    eye.last.save_png(os.path.join(out, "title.png"), CONVERT)
    film.keep(eye.last, 1.5)
    for key, selected in (("Down", 1), ("Up", 0)):
        play.title(eye, selected, key)
        film.keep(eye.last, 0.6)
    x.hold("space")
    game = play.opening(eye)
    film.keep(eye.last, 2.0)

    pause = {"move": 0.6, "monologue": 2.5, "response": 2.5, "next": 1.0}

    def stage(name, t):
        film.keep(eye.last, pause[name])
        if name == "response" and t in (0, 7):
            eye.last.save_png(os.path.join(out, "early-turn.png" if t == 0 else "late-turn.png"),
                              CONVERT)

    plan = {1: ["Right"], 3: ["Down"], 5: ["Right"]}
    going_on = True
    while going_on:
        going_on, _ = play.turn(eye, game, plan.get(game.turn, []), stage)
    film.keep(eye.last, 2.0)
    run.log("a whole game played; back on the title")
    eye.leave("Escape")
    film.gif(os.path.join(out, "demo.gif"))
    wav(capture.file, os.path.join(out, "demo.wav"))


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--binary", required=True)
    ap.add_argument("--glyphs", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--display", type=int, default=99)
    args = ap.parse_args()
    out = os.path.abspath(args.out)
    os.makedirs(out, exist_ok=True)
    run = Run(os.path.join(out, "work"), list(range(args.display, args.display + 200)), 1.0)
    try:
        perform(run, os.path.abspath(args.binary), Font(args.glyphs), out)
    except Failure as e:
        print("demo: %s" % e, file=sys.stderr)
        return 1
    finally:
        run.close()
    for name in ("intro.png", "title.png", "early-turn.png", "late-turn.png", "demo.gif",
                 "demo.wav"):
        print(os.path.join(out, name))
    return 0


if __name__ == "__main__":
    sys.exit(main())
