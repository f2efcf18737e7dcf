#!/usr/bin/env python3
"""The statement loop as the real program runs it, against the native build.

Runs the loop benchmark's macro (FOR, INC, IF, SET with a function call:
about four statements a pass) with Vendrix.exe under Wine on a private Xvfb
and with the native program on the simulated desktop, one after the other on
the same machine, and prints both times and their ratio.

  bench/wine_loop.py --native build/linux/vendrix --wine build/win32/Vendrix.exe [--passes N] [--runs K]

Each program runs the macro K times (default 3); the best time of each
counts, so that a busy moment of a shared machine does not decide.  The
Wine prefix and X server are the end-to-end suite's (tests/e2e/run_e2e.py),
set up once before the timing starts.
"""

from __future__ import annotations

import argparse
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
from run_e2e import WineSession  # noqa: E402  (the suite's Wine set-up)


def loop_macro(passes: int) -> bytes:
    lines = ["DIM %i %n %s", f"FOR %i=1 TO {passes}", "INC %n 2", "IF (> %n 100) SET %n 0",
             "SET %s (len abc)", "NEXT"]
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def program_folder(root: Path, passes: int) -> Path:
    folder = root / "program"
    folder.mkdir()
    (folder / "Vendrix.INI").write_bytes(b"[Options]\r\n")
    (folder / "Zemlo.INI").write_bytes(b"[Options]\r\n")
    # The Windows build upper-cases a macro file name given on the command line.
    (folder / "LOOP.MAC").write_bytes(loop_macro(passes))
    return folder


def best_time(run, runs: int) -> float:
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        run()
        times.append(time.perf_counter() - start)
    return min(times)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--native", type=Path, required=True, help="the Linux build's vendrix")
    parser.add_argument("--wine", type=Path, required=True, help="the Windows build's Vendrix.exe")
    parser.add_argument("--wine-arch", choices=("win32", "win64"), default="win32")
    parser.add_argument("--passes", type=int, default=1000000)
    parser.add_argument("--runs", type=int, default=3)
    options = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="vendrix-wine-loop-") as temp:
        folder = program_folder(Path(temp), options.passes)
        exe = folder / "Vendrix.exe"
        exe.write_bytes(options.wine.resolve().read_bytes())
        native = options.native.resolve()

        def run_native() -> None:
            subprocess.run([str(native), f"--home={folder}", "-FILE=LOOP.MAC"], cwd=folder, check=True,
                           stdout=subprocess.DEVNULL, timeout=3600)

        with WineSession(Path(temp), options.wine_arch) as session:
            def run_wine() -> None:
                finished = session.wine([str(exe), "-FILE=LOOP.MAC"], timeout=3600, cwd=folder)
                if finished.returncode != 0:
                    raise RuntimeError(f"Vendrix.exe ended with {finished.returncode}")

            run_wine()  # the first start of a prefix pays for loading Wine's libraries
            wine_s = best_time(run_wine, options.runs)
        native_s = best_time(run_native, options.runs)

    statements = 2 + 4 * options.passes
    print(f"passes: {options.passes} (about {statements} statements), best of {options.runs} runs")
    print(f"native:  {native_s:9.3f} s  {statements / native_s / 1e6:8.2f} M statements/s")
    print(f"Wine:    {wine_s:9.3f} s  {statements / wine_s / 1e6:8.2f} M statements/s")
    print(f"ratio Wine/native: {wine_s / native_s:.1f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
