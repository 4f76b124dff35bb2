"""The show-clock measurements against the emulated desktop's clock.

    analyse.py report [--data DIR] [--timer-resolution MS] [--markdown]
        per drawing: the drawing time measured under Wine (every run) and the
        one the emulated clock gives, from the window's placement to the
        finished picture and to each quarter of the strokes; the acceptance
        line says whether every figure is within 15%.
    analyse.py fit [--data DIR]
        fits the call prices of platform/emu/clock_model.h to each drawing's
        fastest run, and says how well they do.

Reads DIR/runs.csv and DIR/NAME-R.csv (measure.sh); plays each drawing on the
emulated desktop with build/bin/show_timeline (QC_BIN to use another)."""

import argparse
import atexit
import csv
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
BIN = os.environ.get("QC_BIN", os.path.join(ROOT, "build", "bin"))
TOLERANCE = 0.15
# The calls that the clock prices, in the order of clock_model.h.
CALLS = ["ticks", "message_looks", "line_points", "pixel_writes", "pixel_reads", "area_pixels"]


def read_runs(data):
    with open(os.path.join(data, "runs.csv")) as f:
        runs = list(csv.DictReader(f))
    if not runs:
        sys.exit("analyse: no runs in %s/runs.csv" % data)
    return runs


class Measured:
    """One run: screenshot times (the middle of each grab) and progress."""

    def __init__(self, path):
        self.times, self.progress = [], []
        placed_before = None
        with open(path) as f:
            for row in csv.DictReader(f):
                t = (float(row["asked"]) + float(row["got"])) / 2
                if row["placed"] != "1":
                    placed_before = t
                    continue
                if not self.times:
                    if placed_before is None:
                        sys.exit("analyse: %s: the window was placed before the first screenshot" % path)
                    self.place = (placed_before + t) / 2
                self.times.append(t - self.place)
                self.progress.append(int(row["k_lo"]) + float(row["fraction"]))
        if not self.times:
            sys.exit("analyse: %s: the window was never placed" % path)
        self.strokes = int(self.progress[-1])

    def time_at(self, stroke):
        """When `stroke` strokes were on the screen, between two screenshots."""
        before_t, before_p = 0.0, 0.0
        for t, p in zip(self.times, self.progress):
            if p >= stroke:
                if p == before_p:
                    return t
                return before_t + (t - before_t) * (stroke - before_p) / (p - before_p)
            before_t, before_p = t, p
        return None


class Model:
    """The emulated show: when each tick ended, and the calls up to then."""

    def __init__(self, drawing, resolution_ms=0):
        command = [os.path.join(BIN, "show_timeline"), "model", drawing]
        if resolution_ms:
            command += ["--timer-resolution", str(resolution_ms)]
        out = subprocess.run(command, check=True, capture_output=True, text=True).stdout
        rows = list(csv.DictReader(out.splitlines()))
        self.end = [int(r["end_ns"]) / 1e9 for r in rows]
        self.waited = [int(r["waited_ns"]) / 1e9 for r in rows]
        self.counts = [[int(r[c]) for c in CALLS] for r in rows]

    def time_at(self, stroke):
        k = int(stroke)
        t = self.end[k] - self.end[0]
        if stroke > k and k + 1 < len(self.end):
            t += (stroke - k) * (self.end[k + 1] - self.end[k])
        return t

    def waited_at(self, stroke):
        k = int(stroke)
        t = self.waited[k] - self.waited[0]
        if stroke > k and k + 1 < len(self.waited):
            t += (stroke - k) * (self.waited[k + 1] - self.waited[k])
        return t

    def calls_at(self, stroke):
        k = int(stroke)
        base = self.counts[0]
        at = [c - b for c, b in zip(self.counts[k], base)]
        if stroke > k and k + 1 < len(self.counts):
            at = [a + (stroke - k) * (n - c) for a, n, c in zip(at, self.counts[k + 1], self.counts[k])]
        return at


def drawing_path(name, generated):
    sample = os.path.join(ROOT, "samples", name + ".qcs")
    return sample if os.path.exists(sample) else os.path.join(generated, name + ".qcs")


def load(data, resolution_ms=0):
    runs = read_runs(data)
    generated = tempfile.mkdtemp(prefix="show_clock_")
    atexit.register(shutil.rmtree, generated, True)
    subprocess.run([sys.executable, os.path.join(HERE, "make_drawings.py"), generated], check=True)
    names = []
    for r in runs:
        if r["name"] not in names:
            names.append(r["name"])
    drawings = []
    for name in names:
        measured = [Measured(os.path.join(data, "%s-%s.csv" % (name, r["run"]))) for r in runs if r["name"] == name]
        drawings.append((name, Model(drawing_path(name, generated), resolution_ms), measured))
    return drawings, generated


def fastest(measured):
    """The least disturbed run: other work on the machine only ever slows
    the player down, so the fastest run is the nearest to a quiet one."""
    return min(measured, key=lambda m: m.time_at(m.strokes))


def quarters(strokes):
    return [max(1, (strokes * j + 3) // 4) for j in (1, 2, 3, 4)]


def markdown(drawings, generated):
    """The table of the README's pace section."""
    print("| drawing | strokes | runs | under Wine: fastest run (slowest) | clock | clock / Wine at 1/4, 1/2, 3/4, "
          "all strokes | clock on Windows' 15.625 ms tick |")
    print("|---|---|---|---|---|---|---|")
    for name, model, measured in drawings:
        strokes = measured[0].strokes
        times = sorted(m.time_at(strokes) for m in measured)
        best = fastest(measured)
        ratios = [model.time_at(q) / best.time_at(q) for q in quarters(strokes)]
        windows = Model(drawing_path(name, generated), 15.625).time_at(strokes)
        print("| %s | %d | %d | %.2f s (%.2f s) | %.2f s | %s | %.2f s |" % (
            name, strokes, len(times), times[0], times[-1], model.time_at(strokes),
            " ".join("%.2f" % r for r in ratios), windows))


def report(args):
    drawings, generated = load(args.data, args.timer_resolution)
    if args.markdown:
        markdown(drawings, generated)
        return 0
    print("Drawing time from the window's placement, measured under Wine (each run) and on the emulated clock,")
    print("and model / measured for the fastest run; then the same ratio for the time at which each quarter")
    print("of the strokes was on the screen.")
    print()
    print("%-11s %7s  %-28s %8s %7s   %s" % ("drawing", "strokes", "measured, each run (s)", "model", "ratio", "quarters: model / fastest"))
    failures = 0
    spreads = []
    best_two = []
    for name, model, measured in drawings:
        strokes = measured[0].strokes
        per_run = [m.time_at(strokes) for m in measured]
        best = fastest(measured)
        ordered = sorted(per_run)
        spreads.append((name, max(per_run) / min(per_run) - 1))
        if len(ordered) > 1:
            best_two.append((name, ordered[1] / ordered[0] - 1))
        modelled = model.time_at(strokes)
        ratios = []
        for q in quarters(strokes):
            seen = best.time_at(q)
            ratios.append(model.time_at(q) / seen if seen > 0 else float("inf"))
        bad = [r for r in ratios if abs(r - 1) > TOLERANCE]
        failures += 1 if bad else 0
        print("%-11s %7d  %-28s %8.2f %7.2f   %s%s" % (
            name, strokes, " ".join("%.2f" % t for t in per_run), modelled, modelled / min(per_run),
            " ".join("%.2f" % r for r in ratios), "  OUTSIDE 15%" if bad else ""))
    print()
    worst = max(spreads, key=lambda s: s[1])
    print("repeats: the slowest run of a drawing took up to %.0f%% longer than its fastest (%s); median %.0f%%" %
          (100 * worst[1], worst[0], 100 * sorted(s for _, s in spreads)[len(spreads) // 2]))
    if best_two:
        worst_two = max(best_two, key=lambda s: s[1])
        print("the two fastest runs of a drawing differ by %s; at most %.0f%% (%s)" % (
            ", ".join("%s %.0f%%" % (n, 100 * d) for n, d in best_two), 100 * worst_two[1], worst_two[0]))
    loads = [float(r["load_before"].split()[0]) for r in read_runs(args.data)]
    print("load average (1 min) before the runs: %.2f to %.2f" % (min(loads), max(loads)))
    period = 1000 / float(read_runs(args.data)[0]["rate_hz"])
    print("precision: each moment, the placement too, lies between two screenshots %.0f ms apart: a time from"
          " the placement is good to %.0f ms either way" % (period, period))
    print("acceptance (every drawing, every quarter within 15%%): %s" %
          ("met" if failures == 0 else "NOT met for %d drawing(s)" % failures))
    return 0 if failures == 0 else 1


def solve(a, b):
    """Gaussian elimination with partial pivoting; a is square."""
    n = len(b)
    m = [row[:] + [b[i]] for i, row in enumerate(a)]
    for c in range(n):
        p = max(range(c, n), key=lambda r: abs(m[r][c]))
        m[c], m[p] = m[p], m[c]
        if abs(m[c][c]) < 1e-30:
            raise ZeroDivisionError("singular")
        for r in range(n):
            if r != c:
                f = m[r][c] / m[c][c]
                m[r] = [x - f * y for x, y in zip(m[r], m[c])]
    return [m[i][n] / m[i][i] for i in range(n)]


def nonnegative_least_squares(rows, targets, weights):
    """Weighted least squares; prices that come out negative are held at zero."""
    free = list(range(len(rows[0])))
    while True:
        a = [[sum(w * r[i] * r[j] for r, w in zip(rows, weights)) for j in free] for i in free]
        b = [sum(w * r[i] * y for r, y, w in zip(rows, targets, weights)) for i in free]
        x = solve(a, b)
        if all(v >= 0 for v in x):
            break
        free = [f for f, v in zip(free, x) if v >= 0]
    prices = [0.0] * len(rows[0])
    for f, v in zip(free, x):
        prices[f] = v
    return prices


def fit(args):
    """The prices that keep the worst relative error at the quarters of the
    strokes smallest. Each drawing's fastest run gives four points: the time
    at which a quarter, half, three quarters and all of its strokes were on
    the screen, each = the model's waiting (timer intervals) + the calls made
    by then x their prices. A least-squares fit relative to each time starts
    it; Lawson's reweighting then moves the weight to the worst points until
    the largest error stops shrinking (the minimax fit of a linear model)."""
    drawings, _ = load(args.data)
    rows, targets, labels = [], [], []
    for name, model, measured in drawings:
        m = fastest(measured)
        for q in quarters(m.strokes):
            t = m.time_at(q)
            rows.append([c / t for c in model.calls_at(q)])
            targets.append((t - model.waited_at(q)) / t)
            labels.append((name, q, t))
    weights = [1.0] * len(rows)
    best = None
    for _ in range(200):
        prices = nonnegative_least_squares(rows, targets, weights)
        errors = [abs(y - sum(p * c for p, c in zip(prices, r))) for r, y in zip(rows, targets)]
        worst = max(errors)
        if best is None or worst < best[0] - 1e-6:
            best = (worst, prices)
        total = sum(w * e for w, e in zip(weights, errors))
        weights = [w * e / total for w, e in zip(weights, errors)]
    worst, prices = best
    print("fitted on the quarters of %d drawings (their fastest runs); worst error %.1f%%" % (len(drawings), 100 * worst))
    order = ["tick", "messageLook", "linePoint", "pixelWrite", "pixelRead", "areaKilopixel"]
    for key, call, price in zip(order, CALLS, prices):
        scale = 1024e9 if call == "area_pixels" else 1e9
        print("  /*%s*/ %d," % (key, round(price * scale)))
    print("what they give, model / fastest run, at each quarter:")
    for name, model, measured in drawings:
        m = fastest(measured)
        ratios = []
        for q in quarters(m.strokes):
            predicted = model.waited_at(q) + sum(c * p for c, p in zip(model.calls_at(q), prices))
            ratios.append(predicted / m.time_at(q))
        print("  %-11s %s" % (name, " ".join("%.2f" % r for r in ratios)))
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("command", choices=["report", "fit"])
    parser.add_argument("--data", default=os.path.join(HERE, "data"))
    parser.add_argument("--timer-resolution", type=float, default=0)
    parser.add_argument("--markdown", action="store_true", help="report: the README's table")
    args = parser.parse_args()
    return report(args) if args.command == "report" else fit(args)


sys.exit(main())
