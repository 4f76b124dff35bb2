"""Screenshots of one screen rectangle at a steady rate, each with the moments
it was asked for and received, until the rectangle shows an expected picture
(and a little after), the program ends, or a time limit passes.

    grab_window.py OUT_DIR X Y W H FINAL.png [--rate HZ] [--limit SECS] [--after SECS]

Writes OUT_DIR/grabs.rgb (every grab, W*H*3 bytes of RGB, in order) and
OUT_DIR/grabs.csv (index, start and end of the grab in seconds of the
monotonic clock, whether it equals FINAL.png). Runs under wine_run.sh's
--during, which sets DISPLAY. The grabs are kept in memory and written at
the end, so that the disk stays quiet while the show plays."""

import argparse
import os
import sys
import time

try:
    from PIL import Image, ImageGrab
except ImportError:
    if os.path.realpath(sys.executable) != os.path.realpath("/usr/bin/python3") and os.path.exists("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    raise


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("x", type=int)
    parser.add_argument("y", type=int)
    parser.add_argument("w", type=int)
    parser.add_argument("h", type=int)
    parser.add_argument("final")
    parser.add_argument("--rate", type=float, default=10.0)
    parser.add_argument("--limit", type=float, default=120.0)
    parser.add_argument("--after", type=float, default=1.0)
    parser.add_argument("--pid", type=int, default=0)
    args = parser.parse_args()

    display = os.environ.get("DISPLAY")
    if not display:
        sys.exit("grab_window: DISPLAY is not set")
    final = Image.open(args.final).convert("RGB")
    if final.size != (args.w, args.h):
        sys.exit("grab_window: %s is %dx%d, the rectangle %dx%d" % (args.final, final.size[0], final.size[1], args.w, args.h))
    final_bytes = final.tobytes()
    box = (args.x, args.y, args.x + args.w, args.y + args.h)

    period = 1.0 / args.rate
    grabs = []
    times = []
    start = time.monotonic()
    stop_at = start + args.limit
    next_at = start
    seen_final_at = None
    while True:
        now = time.monotonic()
        if now < next_at:
            time.sleep(next_at - now)
        asked = time.monotonic()
        try:
            picture = ImageGrab.grab(bbox=box, xdisplay=display).convert("RGB").tobytes()
        except OSError:
            picture = None  # the X server went away: the run is over
        got = time.monotonic()
        if picture is None:
            break
        equal = picture == final_bytes
        grabs.append(picture)
        times.append((asked, got, equal))
        if equal and seen_final_at is None:
            seen_final_at = got
        if seen_final_at is not None and got - seen_final_at >= args.after:
            break
        if got > stop_at:
            break
        if args.pid and not os.path.exists("/proc/%d" % args.pid):
            break
        # A steady rate: the next grab is due one period after this one was,
        # and grabs that fell behind are skipped rather than bunched.
        next_at += period
        while next_at < got:
            next_at += period

    os.makedirs(args.out, exist_ok=True)
    with open(os.path.join(args.out, "grabs.rgb"), "wb") as f:
        for picture in grabs:
            f.write(picture)
    with open(os.path.join(args.out, "grabs.csv"), "w") as f:
        f.write("index,asked,got,final\n")
        for i, (asked, got, equal) in enumerate(times):
            f.write("%d,%.6f,%.6f,%d\n" % (i, asked - start, got - start, 1 if equal else 0))
    if seen_final_at is None:
        sys.exit("grab_window: the rectangle never showed %s (%d grabs)" % (args.final, len(grabs)))


main()
