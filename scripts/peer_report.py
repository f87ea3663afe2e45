#!/usr/bin/env python3
"""A plain-Python peer of `quorvalen-report --json`, for the benchmark: reads the same
measurement data files, circularizes every shape (equal laminar conductance of a circular
tube) and accumulates the same statistics, with the same 32-bit rounding points. It is a
yardstick for speed, not a second implementation to rely on: it reads only well-formed
files and reports no line numbers."""
import json
import math
import struct
import sys

_F32 = struct.Struct("f")
PI = 3.1415926536
PI5 = math.pow(PI, 5.0)
KS = [(k, math.pow(k, 5.0)) for k in range(1, 64, 2)]


def f32(x):
    """Rounds a double to the nearest 32-bit float, as storing it does."""
    try:
        return _F32.unpack(_F32.pack(x))[0]
    except OverflowError:
        return math.copysign(math.inf, x)


def circle(d):
    return d


def ellipse(a, b):
    r = f32(a / b)
    n = 2.0 * a * a * b * b * r
    return f32(math.sqrt(math.sqrt(n / (r * r + 1.0))))


def rectangle(s, t):
    big_r, big_t = s / 2.0, t / 2.0
    series = 0.0
    for k, k5 in KS:
        series += math.tanh((k * PI * big_t) / (2.0 * big_r)) / k5
    f = 1.0 - ((192.0 * big_r) / (PI5 * big_t)) * series
    p = 512.0 * big_t * big_r * big_r * big_r / 9.4247779608 * f
    return f32(math.sqrt(math.sqrt(p)))


def mean_sd(s, q, n):
    mean = s / n if n else math.nan
    if n < 2:
        return mean, math.nan
    v = (q - (s * s) / n) / (n - 1)
    return mean, math.sqrt(v) if v >= 0 else math.nan


class Totals:
    def __init__(self):
        self.counts = dict(filesRead=0, totalElements=0, totalCircles=0, totalEllipses=0, totalRects=0)
        self.sums = {}
        self.narrowest, self.widest = 3.4028234663852886e38, 0.0

    def add(self, name, x):
        s = self.sums.setdefault(name, [0.0, 0.0])
        s[0] += x
        s[1] += x * x


def read_file(path):
    with open(path) as f:
        f.readline()
        tokens = f.read().split()
    scale = f32(float(tokens[0]))
    pos = 1
    groups = []
    for width in (1, 2, 2):
        n = int(tokens[pos])
        pos += 1
        values = [f32(f32(float(v)) * scale) for v in tokens[pos:pos + n * width]]
        pos += n * width
        groups.append([tuple(values[i:i + width]) for i in range(0, n * width, width)])
    return groups


def accumulate(totals, groups):
    circles, ellipses, rects = groups
    values = [circle(d) for (d,) in circles]
    for (d,) in circles:
        totals.add("Circle", d)
    for a, b in ellipses:
        a, b = max(a, b), min(a, b)
        values.append(ellipse(a, b))
        totals.add("Major", a)
        totals.add("Minor", b)
        totals.add("Ecc", math.sqrt(a * a - b * b) / b)
    for r, t in rects:
        values.append(rectangle(r, t))
        long_side, short_side = (t, r) if r < t else (r, t)
        for name, x in (("Radial", r), ("Tangential", t), ("RadTang", r / t),
                        ("Long", long_side), ("Short", short_side), ("LongShort", long_side / short_side)):
            totals.add(name, x)
    c = totals.counts
    c["filesRead"] += 1
    c["totalCircles"] += len(circles)
    c["totalEllipses"] += len(ellipses)
    c["totalRects"] += len(rects)
    c["totalElements"] += len(values)
    sd4 = totals.sums.setdefault("D4", [0.0])
    for d in values:
        totals.add("D", d)
        sd4[0] += ((d * d) * d) * d
        totals.narrowest = min(totals.narrowest, d)
        totals.widest = max(totals.widest, d)


def results(totals):
    c = totals.counts
    out = dict(c)
    out["dataValid"] = 1
    out["narrowestDiameter"], out["widestDiameter"] = totals.narrowest, totals.widest
    groups = [("Diameter", "D", "totalElements"), ("Circle", "Circle", "totalCircles"),
              ("Major", "Major", "totalEllipses"), ("Minor", "Minor", "totalEllipses"),
              ("Eccentricity", "Ecc", "totalEllipses"), ("Radial", "Radial", "totalRects"),
              ("Tangential", "Tangential", "totalRects"), ("RadialTangential", "RadTang", "totalRects"),
              ("Long", "Long", "totalRects"), ("Short", "Short", "totalRects"),
              ("LongShort", "LongShort", "totalRects")]
    for name, key, count in groups:
        s, q = totals.sums.get(key, [0.0, 0.0])
        out["mean" + name], out["sd" + name] = mean_sd(s, q, c[count])
    n = c["totalElements"]
    out["seDiameter"] = out["sdDiameter"] / math.sqrt(n) if n else math.nan
    d4 = totals.sums.get("D4", [0.0])[0]
    m = math.sqrt(math.sqrt(d4)) / math.sqrt(math.sqrt(n)) if n else math.nan
    sd, sd2 = totals.sums.get("D", [0.0, 0.0])
    v = ((sd2 - (2 * m) * sd) + (n * m) * m) / ((n - 1) * n) if n > 1 else math.nan
    out["meanFourthDiameter"] = m
    out["seFourthDiameter"] = math.sqrt(v) if v >= 0 else math.nan
    out["sdFourthDiameter"] = math.sqrt(n) * out["seFourthDiameter"]
    return {k: (v if isinstance(v, int) or math.isfinite(v) else None) for k, v in out.items()}


def main(paths):
    totals = Totals()
    for path in paths:
        accumulate(totals, read_file(path))
    report = results(totals)
    report["messages"] = []
    json.dump(report, sys.stdout, indent=2)
    sys.stdout.write("\n")


if __name__ == "__main__":
    main(sys.argv[1:])
