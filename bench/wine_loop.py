#!/usr/bin/env python3
"""The statement loop as the real program runs it, against the native build.

Runs the loop benchmark's macro (FOR, INC, IF, SET with a function call:
about four statements a pass) with Vendrix.exe under Wine on a private Xvfb
and with the native program on the simulated desktop, one after the other on
the same machine, and prints both times and their ratio.

  bench/wine_loop.py --native build/linux/vendrix --wine build/win32/Vendrix.exe [--passes N] [--runs K]
                    [--before-native OLD/vendrix] [--before-wine OLD/Vendrix.exe] [--before-passes N]
                    [--empty build/win32/vendrix_empty_program.exe]

Each program runs the macro K times (default 3); the best time of each
counts, so that a busy moment of a shared machine does not decide.  Each
program also runs a one-pass macro, its start and end alone, and the loop's
time without them is shown beside the whole (Wine's start of a process is
far slower than a native one).  With
--before-native and --before-wine, builds of an earlier commit run beside
them in the same session (the Wine one with --before-passes, default
--passes, since an old build may take minutes for a million).  With
--empty, a program that loads the libraries Vendrix.exe loads and ends is
timed too: Wine's floor under any such program's start and end.  The
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
    folder.mkdir(parents=True)
    (folder / "Vendrix.INI").write_bytes(b"[Options]\r\n")
    (folder / "Zemlo.INI").write_bytes(b"[Options]\r\n")
    # The Windows build upper-cases a macro file name given on the command line.
    (folder / "LOOP.MAC").write_bytes(loop_macro(passes))
    (folder / "START.MAC").write_bytes(loop_macro(1))
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
    parser.add_argument("--before-native", type=Path, help="an earlier Linux build, timed beside it")
    parser.add_argument("--before-wine", type=Path, help="an earlier Vendrix.exe, timed beside it")
    parser.add_argument("--empty", type=Path, help="the Windows build's vendrix_empty_program.exe")
    parser.add_argument("--wine-arch", choices=("win32", "win64"), default="win32")
    parser.add_argument("--passes", type=int, default=1000000)
    parser.add_argument("--before-passes", type=int, help="passes for --before-wine (default --passes)")
    parser.add_argument("--runs", type=int, default=3)
    options = parser.parse_args()
    before_passes = options.before_passes or options.passes

    rows = []  # (label, passes, seconds, seconds of a one-pass run)
    empty_s = None  # the empty program's start and end
    with tempfile.TemporaryDirectory(prefix="vendrix-wine-loop-") as temp:
        folder = program_folder(Path(temp), options.passes)
        before_folder = program_folder(Path(temp) / "before", before_passes) if options.before_wine else None

        def timed_native(binary: Path) -> tuple[float, float]:
            def run(macro: str) -> None:
                subprocess.run([str(binary.resolve()), f"--home={folder}", f"-FILE={macro}"], cwd=folder,
                               check=True, stdout=subprocess.DEVNULL, timeout=3600)
            return best_time(lambda: run("LOOP.MAC"), options.runs), best_time(lambda: run("START.MAC"), options.runs)

        with WineSession(Path(temp), options.wine_arch) as session:
            def timed_wine(exe_file: Path, where: Path) -> tuple[float, float]:
                exe = where / "Vendrix.exe"
                exe.write_bytes(exe_file.resolve().read_bytes())

                def run(macro: str) -> None:
                    finished = session.wine([str(exe), f"-FILE={macro}"], timeout=3600, cwd=where)
                    if finished.returncode != 0:
                        raise RuntimeError(f"Vendrix.exe ended with {finished.returncode}")

                run("START.MAC")  # the first start of a prefix pays for loading Wine's libraries
                return best_time(lambda: run("LOOP.MAC"), options.runs), best_time(lambda: run("START.MAC"), options.runs)

            rows.append(("Wine", options.passes, *timed_wine(options.wine, folder)))
            if options.empty:
                empty = folder / "empty.exe"
                empty.write_bytes(options.empty.resolve().read_bytes())
                session.wine([str(empty)], timeout=600, cwd=folder)
                empty_s = best_time(lambda: session.wine([str(empty)], timeout=600, cwd=folder), options.runs)
            if options.before_wine:
                rows.append(("Wine, before", before_passes, *timed_wine(options.before_wine, before_folder)))
        rows.insert(0, ("native", options.passes, *timed_native(options.native)))
        if options.before_native:
            rows.insert(1, ("native, before", options.passes, *timed_native(options.before_native)))

    print(f"best of {options.runs} runs; about 4 statements a pass; 'loop' is the whole less a one-pass run")
    for label, passes, seconds, start_s in rows:
        statements = 2 + 4 * passes
        loop_s = max(seconds - start_s, 1e-9)
        print(f"{label + ':':16} {passes:8} passes {seconds:9.3f} s whole, {start_s:6.3f} s start and end, "
              f"{loop_s:9.3f} s loop  {statements / loop_s / 1e6:8.2f} M statements/s")
    if empty_s is not None:
        print(f"{'empty program:':16} {'':8}        {'':9}          {empty_s:6.3f} s start and end (Wine's floor)")
    by_label = {label: (seconds, start_s) for label, _, seconds, start_s in rows}
    (wine_s, wine_start), (native_s, native_start) = by_label["Wine"], by_label["native"]
    print(f"ratio Wine/native: {wine_s / native_s:.2f} whole, "
          f"{(wine_s - wine_start) / max(native_s - native_start, 1e-9):.2f} loop")
    return 0


if __name__ == "__main__":
    sys.exit(main())
