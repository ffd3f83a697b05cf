#!/usr/bin/env python3
"""Runs one end-to-end case against a vellmora binary. Exit status 0 when the case passes,
1 when it fails, 77 when it cannot apply on this machine."""
import argparse
import os
import sys
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from picture import Font  # noqa: E402
from session import Failure, Run, Wine  # noqa: E402
import cases  # noqa: E402

SKIPPED = 77


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("case", choices=sorted(cases.CASES))
    ap.add_argument("--binary", help="the vellmora executable to start")
    ap.add_argument("--glyphs", required=True, help="the font dump the build wrote")
    ap.add_argument("--workdir", required=True, help="where logs and screenshots go")
    ap.add_argument("--display", type=int, default=91,
                    help="the X display number to use; others are tried in steps of 100 when "
                         "it is taken")
    ap.add_argument("--source", default=None, help="the source tree")
    ap.add_argument("--datadir", default=None,
                    help="where the build was configured to install the music")
    ap.add_argument("--wine", metavar="PREFIX", default=None,
                    help="run the binary, a Windows build, under Wine with this prefix")
    ap.add_argument("--browser", metavar="RELEASE", default=None,
                    help="play the browser release unpacked in this directory instead")
    ap.add_argument("--engine", choices=sorted(cases.browser.ENGINES), default="chromium",
                    help="the browser engine that plays it")
    args = ap.parse_args()
    if args.wine and args.case not in cases.WINE_CASES:
        ap.error("under Wine the cases are %s" % ", ".join(cases.WINE_CASES))
    if (args.browser is not None) != (args.case in cases.WEB_CASES):
        ap.error("the browser cases are %s, and they need --browser"
                 % ", ".join(cases.WEB_CASES))
    if args.browser is None and args.binary is None:
        ap.error("--binary is needed")

    scale = float(os.environ.get("VELLMORA_E2E_TIME_SCALE", "1"))
    displays = [args.display + 100 * i for i in range(20) if args.display + 100 * i < 65536]
    run = Run(os.path.abspath(args.workdir), displays, scale)
    start = time.monotonic()
    try:
        wine = Wine(os.path.abspath(args.wine)) if args.wine else None
        binary = os.path.abspath(args.binary) if args.binary else None
        web = os.path.abspath(args.browser) if args.browser else None
        setup = cases.Setup(run, binary, Font(args.glyphs), args.source, args.datadir, wine,
                            web, args.engine)
        cases.CASES[args.case](setup)
    except cases.Skip as e:
        print("SKIPPED: %s" % e)
        return SKIPPED
    except Failure as e:
        print("FAILED %s: %s" % (args.case, e))
        return 1
    except Exception:
        traceback.print_exc()
        print("FAILED %s: the harness itself broke" % args.case)
        return 1
    finally:
        run.close()
    print("PASSED %s in %.1f s" % (args.case, time.monotonic() - start))
    return 0


if __name__ == "__main__":
    sys.exit(main())
