#!/usr/bin/env python3
"""Runs vendrix_capture_bench.exe under Wine on a private 1920x1080 Xvfb.

  bench/capture_wine.py build/win32/vendrix_capture_bench.exe [--runs N]

The Wine set-up is the end-to-end suite's, with the screen made full HD so
that the capture reads as many pixels as a common monitor has."""
from __future__ import annotations

import argparse
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "e2e"))
import run_e2e  # noqa: E402  (the suite's Wine set-up)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("bench", type=Path, help="vendrix_capture_bench.exe")
    parser.add_argument("--runs", type=int, default=15)
    args = parser.parse_args()
    run_e2e.SCREEN = (1920, 1080)
    with tempfile.TemporaryDirectory(prefix="vendrix-capture-") as temp:
        with run_e2e.WineSession(Path(temp), "win64" if "win64" in str(args.bench) else "win32") as session:
            finished = session.wine([str(args.bench.resolve()), str(args.runs)], timeout=600)
    sys.stdout.write(finished.stdout.decode("utf-8", "replace"))
    return finished.returncode


if __name__ == "__main__":
    sys.exit(main())
