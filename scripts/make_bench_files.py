#!/usr/bin/env python3
"""Writes 1000 realistic measurement files of 3000 shapes each into a folder, for the
whole-command benchmarks. Oak-like vessels in micrometres (earlywood 150-350, latewood
20-80), scale factor 0.000001; the same files on every run (fixed seed).

    python3 scripts/make_bench_files.py FOLDER
"""
import random
import sys

rng = random.Random(7)


def size():
    return rng.uniform(150, 350) if rng.random() < 0.4 else rng.uniform(20, 80)


def main(folder):
    for f in range(1000):
        lines = [f"Benchmark set {f:04d}", "0.000001", "1000"]
        lines += [f"{size():.1f}" for _ in range(1000)]
        lines.append("1000")
        for _ in range(1000):
            a = size()
            lines.append(f"{a:.1f} {a * rng.uniform(0.6, 0.95):.1f}")
        lines.append("1000")
        for _ in range(1000):
            a = size()
            lines.append(f"{a:.1f} {a * rng.uniform(0.7, 1.15):.1f}")
        with open(f"{folder}/set{f:04d}.dat", "w") as out:
            out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
