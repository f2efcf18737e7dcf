#!/usr/bin/env python3
"""Vendrix end to end: runs the built program the way a user does.

Each case gets a program folder of its own (Vendrix.INI, Zemlo.INI and the
macro files, all Shift-JIS), runs the program there with -FILE=..., answers
its message boxes and checks the texts of the boxes, the exit code and the
files the macro wrote.

  run_e2e.py --native BUILD/vendrix      the Linux build on the simulated
                                         desktop: answers come from the
                                         desktop description, boxes and the
                                         step display from the trace
  run_e2e.py --wine BUILD/Vendrix.exe    the Windows build under Wine on a
                                         private Xvfb: a driver program finds
                                         and answers the real message boxes,
                                         starts the programs a macro drives
                                         (Wine's notepad) and reads back what
                                         the macro did to them
  --package BUILD/vendrix_*.deb          also the packages: each is unpacked
  --package BUILD/Vendrix-*-win32.zip    into a fresh folder, its listing is
                                         compared with tests/package/, and its
                                         program runs the samples from there
                                         (a zip needs --wine: its Wine session)

Both may be given.  The last line printed is "N passed, N failed"; the exit
status is non-zero when anything failed.  Only the standard library is used.
"""

from __future__ import annotations

import argparse
import contextlib
import dataclasses
import errno
import json
import os
import re
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import threading
import time
import zipfile
from pathlib import Path
from typing import Callable, Optional

CAPTION = "Vendrix V0.74a"
ESCAPE = 27
SHIFT, CONTROL, ALT = 16, 17, 18
KEYEVENTF_KEYUP = 2
# Every wait is on a condition with a deadline, so a long deadline costs a
# passing run nothing; they are long enough for a busy two-core machine.
BOX_TIMEOUT_S = 60
EXIT_TIMEOUT_S = 60
TEXT_TIMEOUT_S = 30
# A whole run of the program, or a short command of the driver.
RUN_TIMEOUT_S = 180
COMMAND_TIMEOUT_S = 120
SCREEN = (1024, 768)
# Places of the notepads a case starts (left, top, width, height): side by
# side, since Wine brings a window to the front without raising it.
NOTEPAD_PLACES = [(0, 0, 500, 360), (512, 0, 500, 360)]

# ---------------------------------------------------------------------------
# Cases
# ---------------------------------------------------------------------------


@dataclasses.dataclass
class Box:
    """A message box the program must show next, and the button to press.

    `text` may hold "{folder}", the program folder as the program spells it.
    `window`, when given, is the step display expected while the box is up:
    {"rect": [left, top, width, height], "lines": [...]}."""
    text: str
    press: str = "OK"
    buttons: Optional[list[str]] = None
    window: Optional[dict] = None
    caption: str = CAPTION


@dataclasses.dataclass
class Input:
    """An input dialog the program must show next (caption ASCII, so the
    driver can name it), and what the user types: None presses Cancel."""
    caption: str
    prompt: str
    initial: str
    typed: Optional[str] = None


@dataclasses.dataclass
class Key:
    """The user pressing (down=True) or releasing a key."""
    vk: int
    down: bool


@dataclasses.dataclass
class BreakTimed:
    """Under Wine: after `after_ms` of the macro's loop the user presses the
    break key and keeps it down; the break box must exist within `limit_ms`.
    The time is printed: the figure that matters is well under the limit,
    which leaves room for a busy machine."""
    vk: int
    limit_ms: float
    after_ms: int = 300


@dataclasses.dataclass
class Document:
    """A notepad a macro opened shows this text.  Then `written` files exist
    and `not_written` ones do not yet; with `close`, the notepad is closed."""
    text: str
    written: list[str] = dataclasses.field(default_factory=list)
    not_written: list[str] = dataclasses.field(default_factory=list)
    close: bool = False


@dataclasses.dataclass
class HeldThenGo:
    """The keys the macro holds are down (under Wine as GetAsyncKeyState sees
    them); then GO.TXT lets the macro go on (see WAIT_FOR_GO).  Natively the
    file is there from the start."""
    vks: list[int]


@dataclasses.dataclass
class MenuKey:
    """Under Wine: the menu is open; the user presses a key, and with `hold`
    keeps it down.  With `char`, the key that types that character instead
    (with Shift if it needs it): '[' and ']' sit on different keys per
    keyboard layout."""
    vk: int = 0
    hold: bool = False
    char: str = ""


@dataclasses.dataclass
class FileDialog:
    """Under Wine: the program's open-file dialog is up and lists `filters`;
    the user types `typed` ("{folder}" is the program folder as Windows
    spells it) and presses OK, or presses Cancel when it is None."""
    filters: list[str]
    typed: Optional[str] = None


@dataclasses.dataclass
class TrayIcon:
    """Under Wine: the program's icon is in the tray, next to the driver's;
    `colour` covers a whole small icon there (`shown`) or no pixel of any."""
    colour: tuple[int, int, int]
    shown: bool


@dataclasses.dataclass
class Ended:
    """The program has ended, with the case's exit code."""


@dataclasses.dataclass
class Resident:
    """The resident program is at rest: its hotkeys are registered."""


@dataclasses.dataclass
class Chord:
    """The user presses these keys together; then `file` reads `text`."""
    vks: list[int]
    file: str
    text: str


@dataclasses.dataclass
class TrayClick:
    """The resident program's icon gets this mouse message (as Wine's tray
    would send it)."""
    mouse_message: int


@dataclasses.dataclass
class SecondStart:
    """A second Vendrix.exe with these arguments shows `box` and ends with 0."""
    args: list[str]
    box: "Box"


@dataclasses.dataclass
class BlockLifted:
    """Under Wine, whose BlockInput blocks nothing but can log each call
    with the time: the macro has blocked input for `seconds` and keeps
    running statements without a pause; the watchdog's call that lifts the
    block must come `seconds` after the call that made it, on its last tick
    and not one tick early.  Then GO.TXT lets the macro end, which lifts
    the block again but never blocks anew."""
    seconds: int


@dataclasses.dataclass
class Case:
    name: str
    macro: Optional[str] = None            # TEST.MAC; None: no such file
    args: list[str] = dataclasses.field(default_factory=lambda: ["-FILE=TEST.MAC"])
    steps: list = dataclasses.field(default_factory=list)  # Box, Input and Key, in order
    exit_code: int = 0
    options: str = ""                      # extra lines of [Options]
    zemlo: bool = True                     # write Zemlo.INI
    files: dict[str, str] = dataclasses.field(default_factory=dict)  # more input files
    expect_files: dict[str, str] = dataclasses.field(default_factory=dict)  # written by the macro
    held_keys: list[int] = dataclasses.field(default_factory=list)  # native: held from t=0
    subfolder: str = ""                    # program folder below the temporary one
    modes: tuple[str, ...] = ("native", "wine")
    simulated: bool = False                # under Wine too: --sim, checked by its trace
    resident_elsewhere: bool = False       # Wine: another process holds the resident mutex
    # Wine: notepads started before the run, in this order, each with this
    # title and a place of its own (none overlaps another); the last is in
    # front.
    notepads: list[str] = dataclasses.field(default_factory=list)
    expect_text: dict[str, str] = dataclasses.field(default_factory=dict)  # notepad title: its text
    expect_clipboard: Optional[str] = None  # the clipboard's text after the run
    holds: list[int] = dataclasses.field(default_factory=list)  # keys the macro holds with "++"
    helper: bool = False                   # Wine: the driver beside Vendrix.exe, for EXEC
    check_folder: Optional[Callable[[Path], list[str]]] = None  # more checks of what was written
    binary_files: dict[str, bytes] = dataclasses.field(default_factory=dict)  # written as they are
    picture: bool = False                  # Wine: the driver shows PICTURE meanwhile
    block_calls: bool = False              # Wine: log the program's BlockInput calls (see BlockLifted)
    desktop: dict = dataclasses.field(default_factory=dict)  # native: more of the desktop description


def crlf(*lines: str) -> str:
    return "".join(line + "\r\n" for line in lines)


ABORT = "マクロを中断します"
CONTINUE = "マクロを継続しますか？"
EMPTY = "マクロが１行もありません。終了します"
BROKEN = "マクロの実行を中断します"

# Titles the driver gives the notepads: "ソ" and "表" end in the byte of a
# backslash.
NOTEPAD = "ソ表の窓 - 試験"
OTHER_NOTEPAD = "前の窓"
PASTED = "貼り付けソ表示ｶﾀｶﾅ、ABC"
DRIVER = "vendrix_e2e_driver.exe"
GO_FILE = "GO.TXT"
# Macro lines that wait until the suite lets the macro go on.
WAIT_FOR_GO = (":WAIT", "DELAY 20", f"IF (not (fileexists {GO_FILE})) GOTO :WAIT")
HOLD_KEYS = "KEY [SHIFT]++ [CTRL]++ [ALT]++ Q++ [F8]++"
HELD = [SHIFT, CONTROL, ALT, ord("Q"), 119]
CLIPBOARD_READ = "CLIP.JSON"
# Reading the clipboard takes milliseconds; Wine makes a program that opens
# it wait 5 s for an owner that answers no messages.
CLIPBOARD_READ_LIMIT_MS = 2000


def check_clipboard_read(folder: Path) -> list[str]:
    """What the driver, run by EXEC, read from the clipboard and how long it took."""
    path = folder / CLIPBOARD_READ
    if not path.exists():
        return [f"{CLIPBOARD_READ} was not written"]
    read = json.loads(path.read_text(encoding="utf-8"))
    problems = []
    if read["unicode"] != PASTED or read["ansi"] != PASTED.encode("cp932").hex():
        problems.append(f"the program read {read['unicode']!r} and CF_TEXT {read['ansi']}")
    if read["ms"] > CLIPBOARD_READ_LIMIT_MS:
        problems.append(f"reading the clipboard took the program {read['ms']} ms")
    return problems

# Images.  The driver paints PICTURE (left, top, width, height) on the
# screen: left half red, right half blue, and at PATCH_AT in it a patch of
# colours found nowhere else.  A capture's second corner is exclusive.
PICTURE = (200, 150, 96, 64)
PATCH_AT = (20, 28)
PATCH_SIZE = 8
CAPTURED = (205, 155, 291, 205)  # 86 pixels wide: BMP rows of 258 bytes, padded to 260
TRAY_MESSAGE = 0x0464
WM_RBUTTONDOWN = 0x0204
F7 = 118


def patch_colour(x: int, y: int) -> tuple[int, int, int]:
    return (0x10 + 0x1C * x, 0x20 + 0x1A * y, 0x80 ^ (x * 8 + y))


def picture_colour(x: int, y: int) -> tuple[int, int, int]:
    """The colour at (x, y) of the painted window."""
    px, py = x - PATCH_AT[0], y - PATCH_AT[1]
    if 0 <= px < PATCH_SIZE and 0 <= py < PATCH_SIZE:
        return patch_colour(px, py)
    return (255, 0, 0) if x < PICTURE[2] // 2 else (0, 0, 255)


def screen_colour(x: int, y: int) -> Optional[tuple[int, int, int]]:
    """The colour at screen point (x, y), if the picture covers it."""
    left, top, width, height = PICTURE
    if left <= x < left + width and top <= y < top + height:
        return picture_colour(x - left, y - top)
    return None


def colour_text(rgb: tuple[int, int, int]) -> str:
    """A colour as Vendrix writes it: 0xBBGGRR in lower-case hex."""
    red, green, blue = rgb
    return format(blue << 16 | green << 8 | red, "x")


def bmp_bytes(width: int, height: int, colour: Callable[[int, int], tuple[int, int, int]]) -> bytes:
    """A bottom-up 24-bit BMP file."""
    stride = (width * 3 + 3) // 4 * 4
    rows = []
    for y in reversed(range(height)):
        row = b"".join(bytes((b, g, r)) for r, g, b in (colour(x, y) for x in range(width)))
        rows.append(row + b"\0" * (stride - len(row)))
    pixels = b"".join(rows)
    header = (b"BM" + (54 + len(pixels)).to_bytes(4, "little") + bytes(4) + (54).to_bytes(4, "little")
              + (40).to_bytes(4, "little") + width.to_bytes(4, "little") + height.to_bytes(4, "little")
              + (1).to_bytes(2, "little") + (24).to_bytes(2, "little") + bytes(24))
    return header + pixels


def read_bmp(path: Path) -> tuple[Optional[list[list[tuple[int, int, int]]]], str]:
    """The rows (top first) of a 24-bit uncompressed BMP file, or why not."""
    if not path.exists():
        return None, f"{path.name} was not written"
    data = path.read_bytes()
    if len(data) < 54 or data[:2] != b"BM":
        return None, f"{path.name} is no BMP file ({len(data)} bytes)"

    def field(at: int, size: int) -> int:
        return int.from_bytes(data[at:at + size], "little", signed=True)

    offset, width, height, bits, compression = field(10, 4), field(18, 4), field(22, 4), field(28, 2), field(30, 4)
    if field(2, 4) != len(data):
        return None, f"{path.name} says it has {field(2, 4)} bytes, has {len(data)}"
    if bits != 24 or compression != 0 or width <= 0 or height == 0:
        return None, f"{path.name}: {width}x{height}, {bits} bits, compression {compression}"
    stride = (width * 3 + 3) // 4 * 4
    if len(data) != offset + stride * abs(height):
        return None, f"{path.name} holds {len(data)} bytes, expected {offset + stride * abs(height)}"
    rows = []
    for row in range(abs(height)):
        start = offset + row * stride
        rows.append([(data[start + 3 * x + 2], data[start + 3 * x + 1], data[start + 3 * x])
                     for x in range(width)])
    return (rows[::-1] if height > 0 else rows), ""


def check_bmp(path: Path, left: int, top: int, width: int, height: int) -> list[str]:
    """A capture of the screen from (left, top), as large as given, shows the
    picture wherever it covers."""
    rows, note = read_bmp(path)
    if rows is None:
        return [note]
    if (len(rows[0]), len(rows)) != (width, height):
        return [f"{path.name} is {len(rows[0])}x{len(rows)}, expected {width}x{height}"]
    wrong = [(left + x, top + y, pixel, screen_colour(left + x, top + y))
             for y, row in enumerate(rows) for x, pixel in enumerate(row)
             if screen_colour(left + x, top + y) not in (None, pixel)]
    return [f"{path.name}: {len(wrong)} pixels differ, first at {wrong[0][:2]}: "
            f"{wrong[0][2]}, expected {wrong[0][3]}"] if wrong else []


def check_captures(folder: Path) -> list[str]:
    x1, y1, x2, y2 = CAPTURED
    problems = check_bmp(folder / "PART.bmp", x1, y1, x2 - x1, y2 - y1)
    problems += check_bmp(folder / "SCREEN.bmp", 0, 0, *SCREEN)
    jpeg = folder / "PART.jpg"
    if not jpeg.exists():
        problems.append("PART.jpg was not written")
    elif jpeg.read_bytes()[:3] != b"\xff\xd8\xff":
        problems.append(f"PART.jpg starts {jpeg.read_bytes()[:3].hex()}")
    return problems


def capture_macro_and_log() -> tuple[str, str]:
    """The image macro and the lines it must log."""
    red = (PICTURE[0] + 10, PICTURE[1] + 10)
    blue = (PICTURE[0] + PICTURE[2] - 16, PICTURE[1] + PICTURE[3] - 14)
    patched = (PICTURE[0] + PATCH_AT[0] + 3, PICTURE[1] + PATCH_AT[1] + 5)
    lines, logged = [], []
    for x, y in (red, blue, patched):
        for flag in ("", " TRUE"):
            lines.append(f"LOG OUT.TXT (getpixel {x},{y}{flag})")
            logged.append(colour_text(screen_colour(x, y)))
    x1, y1, x2, y2 = CAPTURED
    lines += [f"CAPTURE PART.bmp {x1},{y1} {x2},{y2}", "CAPTURESCREEN SCREEN.bmp",
              "OPENGRAPH 1 SCREEN.bmp", "OPENGRAPH 2 PATCH.BMP", "LOG OUT.TXT (searchgraph 1 2)",
              f"LOG OUT.TXT (getgraphpixel 1 {patched[0]},{patched[1]})",
              f"CAPTUREJPG PART {x1},{y1} {x2},{y2}"]
    logged += [f"{PICTURE[0] + PATCH_AT[0]},{PICTURE[1] + PATCH_AT[1]}",
               colour_text(screen_colour(*patched))]
    return crlf(*lines), crlf(*logged)


CAPTURE_MACRO, CAPTURE_LOG = capture_macro_and_log()
# Menu mode: entries whose captions start with characters of their own.
MENU_FILE = crlf("; picked by their first characters", ":Log line", "__LOG OUT.TXT picked",
                 ":Macro file", "PICK.MAC", ":Other", "__LOG OUT.TXT other")
# The default window is no taller than its menu bar (no client area); one
# case has room below the bar, so both ways of being painted are covered.
TALL_MENU_OPTIONS = crlf("menu_height=40")
# The file types the dialogs of the fixed items "[ 切替" and "] 編集" list.
SWITCH_FILTERS = ["メニューorマクロファイル (*.MNU,*.MAC)"]
EDIT_FILTERS = ["メニュー or マクロファイル (*.MAC;*.MNU)"]
# A second menu file: its "Log line" must replace the first file's.
OTHER_MENU = "別.MNU"
OTHER_MENU_FILE = crlf(":Log line", "__LOG OUT.TXT 別のメニュー")
# Zemlo.INI with keys the program must keep when it writes menufile.
ZEMLO_WITH_MORE = crlf("[Options]", "menufile=Vendrix.MNU", "keep=この行", "[Other]", "menufile=other")
EDITED = "編集.MAC"
EDITED_TEXT = crlf("; 編集するだけで実行しない", "LOG OUT.TXT 実行した")


def check_switched_menu_file(folder: Path) -> list[str]:
    """Zemlo.INI names the menu file switched to, for the recorder, and keeps
    the rest."""
    expected = crlf("[Options]", f"menufile={OTHER_MENU}", "keep=この行", "[Other]", "menufile=other")
    path = folder / "Zemlo.INI"
    if not path.exists():
        return ["Zemlo.INI is gone"]
    found = path.read_bytes()
    return [] if found == expected.encode("cp932") else [
        f"Zemlo.INI holds {found.decode('cp932', 'replace')!r}, expected {expected!r}"]


# Resident mode's icon file: colours found in no built-in icon, one in a
# small 24-bit image and another in a large 32-bit one.  The tray shows the
# small image, not the large one shrunk.
ICON_COLOUR = (0x2D, 0x9F, 0xC7)
LARGE_ICON_COLOUR = (0xC7, 0x4B, 0x2D)
SMALL_ICON_PIXELS = 16 * 16


def ico_bytes(images: list[tuple[int, int, tuple[int, int, int]]]) -> bytes:
    """An .ICO file of square one-colour images, each (side, bits 24 or 32, colour)."""
    entries, blobs = b"", b""
    offset = 6 + 16 * len(images)
    for side, bits, (red, green, blue) in images:
        pixel = bytes((blue, green, red, 255)[:bits // 8])
        stride = (side * bits // 8 + 3) // 4 * 4
        row = pixel * side
        colour_rows = (row + bytes(stride - len(row))) * side
        mask_rows = bytes((side + 31) // 32 * 4 * side)  # all opaque
        header = (struct.pack("<IiiHHI", 40, side, side * 2, 1, bits, 0)
                  + struct.pack("<IiiII", len(colour_rows) + len(mask_rows), 0, 0, 0, 0))
        blob = header + colour_rows + mask_rows
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, bits, len(blob), offset)
        blobs += blob
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + entries + blobs


PROGRAM_ICON = ico_bytes([(16, 24, ICON_COLOUR), (32, 32, LARGE_ICON_COLOUR)])
RESIDENT_FILES = {"Vendrix.hot": crlf("hotkey=[F7] CTRL ALT count", "INC %0", "LOG OUT.TXT %0"),
                  "Vendrix.MNU": MENU_FILE}


def nothing_logged(folder: Path) -> list[str]:
    return ["OUT.TXT was written"] if (folder / "OUT.TXT").exists() else []


CASES = [
    Case("normal end",
         macro=crlf("; counts to three", "DIM %a", "SET %a 1", "INC %a", "INC %a")),
    Case("undeclared SET is fatal",
         macro=crlf("SET abc 1", "SET abc 2"),
         steps=[Box("Err：不正な変数です：SET abc 1"), Box(ABORT)],
         exit_code=1),
    Case("missing macro file, stop",
         macro=None, args=["-FILE=NOFILE.MAC"],
         steps=[Box("Err：NOFILE.MAC が存在しません"), Box(CONTINUE, "NO", ["YES", "NO"])],
         exit_code=1),
    Case("missing macro file, go on",
         macro=None, args=["-FILE=NOFILE.MAC"],
         steps=[Box("Err：NOFILE.MAC が存在しません"), Box(CONTINUE, "YES", ["YES", "NO"]),
                Box(EMPTY)],
         exit_code=0),
    # Linux file names are case-sensitive, so only Windows upper-cases them.
    Case("file name is upper-cased",
         macro=None, args=["-file=nofile.mac"],
         steps=[Box("Err：NOFILE.MAC が存在しません"), Box(CONTINUE, "NO")],
         exit_code=1, modes=("wine",)),
    Case("only comments",
         macro=crlf("; nothing but comments", "   ", "\t; indented comment", ""),
         steps=[Box(EMPTY)]),
    Case("missing Zemlo.INI is fatal before the macro",
         macro=crlf("SET abc 1"), zemlo=False,
         steps=[Box("Err：{folder}Vendrix.INI 又は Zemlo.INI が存在しません"), Box(ABORT)],
         exit_code=1),
    # "ソ" ends in the byte of a backslash; the folder must survive both
    # directions of the conversion.
    Case("Japanese program folder",
         macro=crlf("DIM %a", 'MESSAGE %a "ソフト"'), subfolder="ソフト表示",
         steps=[Box("ソフト", "CANCEL")]),
    Case("Japanese program folder in a message",
         macro=crlf("SET abc 1"), zemlo=False, subfolder="ソフト表示",
         steps=[Box("Err：{folder}Vendrix.INI 又は Zemlo.INI が存在しません"), Box(ABORT)],
         exit_code=1),
    Case("MESSAGE answered YES",
         macro=crlf("DIM %a %b", 'MESSAGE %a "続けますか？"', "MESSAGE %b %a"),
         steps=[Box("続けますか？", "YES", ["YES", "NO", "CANCEL"]), Box("YES", "CANCEL")]),
    Case("MESSAGE answered NO",
         macro=crlf("DIM %a %b", 'MESSAGE %a "続けますか？"', "MESSAGE %b %a"),
         steps=[Box("続けますか？", "NO"), Box("NO", "CANCEL")]),
    Case("break key ends the run",
         macro=crlf(":LOOP", "DELAY 20", "GOTO :LOOP"),
         held_keys=[ESCAPE],
         steps=[Key(ESCAPE, True), Box(BROKEN), Key(ESCAPE, False)]),
    # A loop of pure statements looks at the break key by time, not after
    # every statement.  The paced loop beside it looks after every DELAY: the
    # difference between the two is the cost of looking by time (the rest is
    # making the box).  Measured on a busy 2-core machine: 45-131 ms for the
    # tight loop, 29-79 ms for the paced one (docs/testing.md).
    *[Case(f"break key ends a {kind} under Wine promptly",
           macro=crlf("DIM %a %n", 'MESSAGE %a "go"', ":LOOP", *body, "GOTO :LOOP"),
           steps=[Box("go", "CANCEL"), BreakTimed(ESCAPE, limit_ms=2000), Box(BROKEN), Key(ESCAPE, False)],
           modes=("wine",))
      for kind, body in (("tight GOTO loop", ["INC %n"]), ("loop paced by DELAY 1", ["DELAY 1"]))],
    # The watchdog is a window timer: it ticks only where the program lets
    # messages through, which a loop of pure statements does by time.
    Case("the watchdog lifts an input block on time during a tight loop",
         macro=crlf("DIM %n", "BLOCKINPUT 2", ":LOOP", "INC %n", f"IF (not (fileexists {GO_FILE})) GOTO :LOOP"),
         steps=[BlockLifted(2)], block_calls=True, modes=("wine",)),
    Case("preset /%0 reaches the macro",
         macro=crlf("DIM %a", "MESSAGE %a %0", "IF (= %0 HELLO) END", "SET abc 1"),
         args=["-FILE=TEST.MAC", "/%0=hello"],
         steps=[Box("HELLO", "CANCEL")]),
    Case("INCLUDE reads a second file",
         macro=crlf("DIM %a", "INCLUDE SUB.MAC", "MESSAGE %a %a"),
         files={"SUB.MAC": crlf("; the included part", 'MESSAGE %a "サブ"')},
         steps=[Box("サブ", "YES"), Box("YES", "CANCEL")]),
    Case("STEP ON shows the step display",
         macro=crlf("STEP ON 0 0", "DIM %a", 'MESSAGE %a "見て"'),
         options=crlf("step_left=10", "step_top=20", "step_width=300", "step_height=200"),
         steps=[Box("見て", "CANCEL",
                    window={"rect": [10, 20, 300, 200],
                            "lines": ["STEP ON 0 0", 'MESSAGE %a "見て"']})]),
    Case("simulated desktop in the Windows build",
         macro=crlf("DIM %a", 'MESSAGE %a "シミュレーション"', "SET abc 1"),
         simulated=True, modes=("wine",),
         steps=[Box("シミュレーション", "NO"), Box("Err：不正な変数です：SET abc 1"), Box(ABORT)],
         exit_code=1),
    Case("inputbox typed text reaches MESSAGE",
         macro=crlf("DIM %a %b", 'SET %a (inputbox "Vendrix input" "名前を入れてください" "既定値")',
                    "MESSAGE %b %a"),
         steps=[Input("Vendrix input", "名前を入れてください", "既定値", "ソフト表示"),
                Box("ソフト表示", "CANCEL")]),
    Case("inputbox cancelled keeps the initial text",
         macro=crlf("DIM %b", 'MESSAGE %b (inputbox "Vendrix input" "二行の\\n質問" "既定値")'),
         steps=[Input("Vendrix input", "二行の\r\n質問", "既定値", None), Box("既定値", "CANCEL")]),
    Case("a resident instance refuses a second start",
         macro=crlf("SET abc 1"), resident_elsewhere=True, modes=("wine",),
         steps=[Box("既に常駐しています", caption="vendrix")]),
    Case("--help shows the usage", macro=None, args=["--help"],
         steps=[Box("Usage: vendrix*")], modes=("wine",)),
    # Files: the statements and functions on the real file system.
    Case("LOG writes Shift-JIS lines",
         macro=crlf('LOG LOG.TXT "日本語の行です"', "LOG LOG.TXT (& 二行目 ソ表)"),
         expect_files={"LOG.TXT": crlf("日本語の行です", "二行目ソ表")}),
    Case("READ and WRITE copy a file line by line",
         macro=crlf("DIM %line", "OPEN IN.TXT input 1", "OPEN OUT.TXT OUTPUT 2", ":loop",
                    "IF (eof 1) GOTO :done", "READ 1 %line", "WRITE 2 %line", "GOTO :loop", ":done",
                    "CLOSE 1", "CLOSE 2"),
         files={"IN.TXT": "一行目\r\nsecond\rthird\nlast"},
         expect_files={"OUT.TXT": crlf("一行目", "second", "third", "last")}),
    Case("after a fatal file error earlier WRITE lines are in the file",
         macro=crlf("BLOCKINPUT 30", "OPEN OUT.TXT OUTPUT 1", 'WRITE 1 "書いた行"', "WRITE 1 second",
                    "OPEN NODIR/X.TXT OUTPUT 2", "WRITE 1 never"),
         steps=[Box("Err：OPEN できません : NODIR/X.TXT (*"), Box(ABORT)],
         exit_code=1,
         expect_files={"OUT.TXT": crlf("書いた行", "second")}),
    Case("a file left open is written out when the program ends",
         macro=crlf("OPEN OUT.TXT APPEND 3", "WRITE 3 appended"),
         files={"OUT.TXT": crlf("before")},
         expect_files={"OUT.TXT": crlf("before", "appended")}),
    Case("WRITEINI and readini, SAVEINI and loadini",
         macro=crlf("DIM %a", "(createdir SUB)", "WRITEINI SUB/A.INI 節 鍵 値", "SAVEINI 回数 3",
                    "MESSAGE %a (& (readini SUB/A.INI 節 鍵) (loadini 回数))"),
         steps=[Box("値3", "CANCEL")],
         expect_files={"SUB/A.INI": crlf("[節]", "鍵=値")}),
    Case("file functions",
         macro=crlf("DIM %a", "MESSAGE %a (& (copyfile A.TXT B.TXT) (comparefile A.TXT B.TXT) "
                    "(copyfile A.TXT B.TXT) (getfilesize B.TXT) (fileexists B.TXT) (direxists SUB) "
                    "(createdir SUB) (direxists SUB) (movefile B.TXT SUB/C.TXT) (deletefile SUB/C.TXT) "
                    "(deletedir SUB) (getenv VENDRIX_NO_SUCH_VARIABLE))"),
         files={"A.TXT": "12345"},
         steps=[Box("TrueTrueFalse5TrueFalseTrueTrueTrueTrueTrueFalse", "CANCEL")]),
    Case("MESSAGE answered CANCEL",
         macro=crlf("DIM %a %b", 'MESSAGE %a "続けますか？"', "MESSAGE %b %a"),
         steps=[Box("続けますか？", "CANCEL"), Box("CANCEL", "CANCEL")]),
    # Each answer takes its own branch of a block IF.
    *[Case(f"MESSAGE answered {answer} takes its branch",
           macro=crlf("DIM %a", 'MESSAGE %a "保存しますか？"', "IF (= %a YES) THEN",
                      "LOG BRANCH.TXT はい", "ELSEIF (= %a NO)", "LOG BRANCH.TXT いいえ", "ELSE",
                      "LOG BRANCH.TXT 取消", "ENDIF"),
           steps=[Box("保存しますか？", answer, ["YES", "NO", "CANCEL"])],
           expect_files={"BRANCH.TXT": crlf(branch)})
      for answer, branch in (("YES", "はい"), ("NO", "いいえ"), ("CANCEL", "取消"))],
    # Driving the desktop.  Under Wine these work on real notepads; the
    # driver reads their text and the clipboard back.
    *[Case(f"ACTIVATE-WINDOW of a missing window, {answer} to the question",
           macro=crlf('ACTIVATE-WINDOW "無い窓"', "LOG AFTER.TXT 続けた"),
           steps=[Box("Activate-Window で [ 無い窓 ] が見つかりません。*", answer, ["YES", "NO"])],
           exit_code=exit_code, expect_files=files)
      for answer, exit_code, files in (("YES", 1, {}), ("NO", 0, {"AFTER.TXT": crlf("続けた")}))],
    # The window's own thread completes the activation; until it has, no
    # window is in front and the title reads empty (the one of the window
    # before would fail the case).
    Case("ACTIVATE-WINDOW brings a window to the front, GETTITLE reads its title",
         macro=crlf("DIM %t %a %n", f'ACTIVATE-WINDOW "{NOTEPAD}"', ":TITLE", "GETTITLE %t",
                    "INC %n", 'IF (and (= %t "") (< %n 500)) THEN', "DELAY 10", "EXITIF",
                    "GOTO :TITLE", "ENDIF", "LOG TITLE.TXT %t", "MESSAGE %a %t"),
         notepads=[NOTEPAD, OTHER_NOTEPAD], steps=[Box(NOTEPAD, "CANCEL")],
         expect_files={"TITLE.TXT": crlf(NOTEPAD)}, modes=("wine",)),
    # A title is only a text, whatever it looks like: used as an argument
    # it is never run.
    Case("a window title that reads like a call is only a text",
         macro=crlf("DIM %t %a", "GETTITLE %t", "LOG FOUND.TXT (pos Notepad %t)",
                    'MESSAGE %a (& "[" %t "] " (fileexists VICTIM.TXT))'),
         desktop={"windows": [{"id": 100, "title": '(deletefile "VICTIM.TXT") - Browser',
                               "rect": [0, 0, 400, 300]}]},
         files={"VICTIM.TXT": "keep"},
         steps=[Box('[(deletefile "VICTIM.TXT") - Browser] True', "CANCEL")],
         expect_files={"VICTIM.TXT": "keep", "FOUND.TXT": crlf("0")}, modes=("native",)),
    Case("GETTITLE reads the title of the window in front",
         macro=crlf("DIM %t %a", "GETTITLE %t TRUE", "LOG TITLE.TXT %t", "MESSAGE %a %t"),
         notepads=[NOTEPAD, OTHER_NOTEPAD], steps=[Box(OTHER_NOTEPAD, "CANCEL")],
         expect_files={"TITLE.TXT": crlf(OTHER_NOTEPAD)}, modes=("wine",)),
    # Letters go without Shift; "++" holds a key, "--" lets it go.  Only
    # symbols that US and Japanese keyboards share.
    Case("KEY types capitals and shifted symbols between [SHIFT]++ and [SHIFT]--",
         macro=crlf("DIM %k", "SET %k vendrix",
                    "KEY [SHIFT]++ %k [SHIFT]-- 2026 [SHIFT]++ 1 [SHIFT]-- [ENTER]",
                    "KEY a++ a-- [SHIFT]++ b [SHIFT]-- [SPACE] [SHIFT]++ 345 [SHIFT]--"),
         notepads=[NOTEPAD], expect_text={NOTEPAD: "VENDRIX2026!\r\naB #$%"}, modes=("wine",)),
    *[Case(f"PASTE of Japanese text through the clipboard, {how}",
           macro=crlf(*setup, f'PASTE "{PASTED}"'),
           notepads=[NOTEPAD], expect_text={NOTEPAD: PASTED}, expect_clipboard=PASTED,
           modes=("wine",))
      for how, setup in (("Shift+Insert", ()),
                         ("a key text", ('PASTEKEY "[CTRL]++ v [CTRL]--"',)),
                         ("WM_PASTE at the caret", ("PASTEKEY API-CARET",)),
                         # The notepad's edit lies under this point (NOTEPAD_PLACES).
                         ("WM_PASTE under the pointer", ("PASTEKEY API-MOUSE", "MOVETO 250,200")))],
    # The edit control turns WM_IME_CHAR into a WM_CHAR it posts to itself,
    # while WM_CHAR is handled as it is sent: a one-byte character sent after
    # a two-byte one may overtake it.  So each kind comes in a run of its own.
    Case("SEND types into the window under the caret",
         macro=crlf('SEND "xyz" CHAR', 'SEND "!" 1', 'SEND "abcｶﾅソ表漢字"', 'SEND "かなｶﾅ" IMECHAR',
                    'SEND "語" 2'),
         notepads=[NOTEPAD], expect_text={NOTEPAD: "xyz!abcｶﾅソ表漢字かなｶﾅ語"}, modes=("wine",)),
    # The first program is still asleep when the macro looks; the second has
    # ended, since EXEC waited for it.
    Case("EXEC with TRUE goes on only after the program has ended",
         macro=crlf("DIM %a %b", f'EXEC "{DRIVER} sleep --ms 1000 --touch NOWAIT.TXT"',
                    "SET %a (fileexists NOWAIT.TXT)",
                    f'EXEC "{DRIVER} sleep --ms 1000 --touch WAITED.TXT" TRUE',
                    "SET %b (fileexists WAITED.TXT)", 'LOG EXEC.TXT (& %a "," %b)'),
         helper=True, expect_files={"EXEC.TXT": crlf("False,True")}, modes=("wine",)),
    Case("EXEC with TRUE waits for a program that reads the clipboard",
         macro=crlf(f'CLIPBRD "{PASTED}"', f'EXEC "{DRIVER} clipboard --out {CLIPBOARD_READ}" TRUE',
                    f"LOG AFTER.TXT (fileexists {CLIPBOARD_READ})"),
         helper=True, expect_files={"AFTER.TXT": crlf("True")}, check_folder=check_clipboard_read,
         modes=("wine",)),
    # SHELL without TRUE goes on at once; with TRUE it waits until the
    # program it opened the document in has ended.
    Case("SHELL opens documents, and with TRUE waits until their program has ended",
         macro=crlf("SHELL 一つ目.TXT", "LOG AFTER1.TXT 続けた", "SHELL 二つ目.TXT TRUE",
                    "LOG AFTER2.TXT 続けた"),
         files={"一つ目.TXT": "一つ目の文書", "二つ目.TXT": "二つ目の文書"},
         steps=[Document("一つ目の文書"),
                Document("二つ目の文書", written=["AFTER1.TXT"], not_written=["AFTER2.TXT"],
                         close=True),
                Document("一つ目の文書", close=True)],
         expect_files={"AFTER2.TXT": crlf("続けた")}, modes=("wine",)),
    Case("EXEC of a missing program asks to continue",
         macro=crlf("EXEC no-such-program-vendrix.exe", "LOG AFTER.TXT 続けた"),
         steps=[Box("Err：実行できません：EXEC no-such-program-vendrix.exe"), Box(CONTINUE, "YES")],
         expect_files={"AFTER.TXT": crlf("続けた")}),
    # However a run ends, no key the macro held stays down.  Each macro holds
    # keys, waits until the suite has seen them down, then ends its way.
    *[Case(f"held keys are released: {how}",
           macro=crlf(HOLD_KEYS, *WAIT_FOR_GO, *ending),
           steps=[HeldThenGo(HELD)] + steps, holds=HELD, exit_code=exit_code)
      for how, ending, steps, exit_code in (
          ("after the last line", ("DELAY 1",), [], 0),
          ("at END", ("END", "SET abc 1"), [], 0),
          ("at a fatal error", ("SET abc 1",),
           [Box("Err：不正な変数です：SET abc 1"), Box(ABORT)], 1),
          ("after No to the continue question", ("NOSUCHSTATEMENT",),
           [Box("Err：不正なコマンドです : NOSUCHSTATEMENT"), Box(CONTINUE, "NO")], 1),
          ("after a failed file operation", ("OPEN NODIR/X.TXT OUTPUT 1",),
           [Box("Err：OPEN できません : NODIR/X.TXT (*"), Box(ABORT)], 1))],
    Case("held keys are released: at the break key",
         macro=crlf(HOLD_KEYS, *WAIT_FOR_GO, ":LOOP", "DELAY 20", "GOTO :LOOP"),
         held_keys=[ESCAPE], holds=HELD,
         steps=[HeldThenGo(HELD), Key(ESCAPE, True), Box(BROKEN), Key(ESCAPE, False)]),
    # Images on the real screen: the driver's picture, captured and searched.
    Case("CAPTURE, getpixel, CAPTURESCREEN, searchgraph and CAPTUREJPG on the screen",
         macro=CAPTURE_MACRO, picture=True,
         binary_files={"PATCH.BMP": bmp_bytes(PATCH_SIZE, PATCH_SIZE, patch_colour)},
         expect_files={"OUT.TXT": CAPTURE_LOG}, check_folder=check_captures, modes=("wine",)),
    # Menu mode: the menu drops open by itself and picks by first character.
    *[Case(f"menu mode runs the entry picked by its first character: {caption}",
           macro=None, args=[], files={"Vendrix.MNU": MENU_FILE, "PICK.MAC": crlf("LOG OUT.TXT ファイル")},
           options=options, steps=[MenuKey(ord(caption[0]))],
           expect_files={"OUT.TXT": crlf(logged)}, modes=("wine",))
      for caption, logged, options in (("Log line", "picked", ""),
                                       ("Macro file", "ファイル", TALL_MENU_OPTIONS))],
    Case("menu mode: Escape closes the menu and ends the program",
         macro=None, args=[], files={"Vendrix.MNU": MENU_FILE},
         steps=[MenuKey(ESCAPE, hold=True), Ended(), Key(ESCAPE, False)],
         check_folder=nothing_logged, modes=("wine",)),
    # "[ 切替" with a menu file: its entries replace the menu, which drops
    # open again; Zemlo.INI learns its name.
    Case("menu mode: Switch loads the chosen menu file and drops it open",
         macro=None, args=[],
         files={"Vendrix.MNU": MENU_FILE, OTHER_MENU: OTHER_MENU_FILE, "Zemlo.INI": ZEMLO_WITH_MORE},
         steps=[MenuKey(char="["), FileDialog(SWITCH_FILTERS, "{folder}" + OTHER_MENU),
                MenuKey(ord("L"))],
         expect_files={"OUT.TXT": crlf("別のメニュー")}, check_folder=check_switched_menu_file,
         modes=("wine",)),
    # A macro file (in any case) runs instead, and the program ends.
    Case("menu mode: Switch to a macro file runs it",
         macro=None, args=[],
         files={"Vendrix.MNU": MENU_FILE, "切替.mac": crlf("LOG OUT.TXT 切替で実行")},
         steps=[MenuKey(char="["), FileDialog(SWITCH_FILTERS, "{folder}切替.mac")],
         expect_files={"OUT.TXT": crlf("切替で実行")}, modes=("wine",)),
    # Cancel leaves the program waiting; the break key still ends it.
    Case("menu mode: Switch cancelled, then Escape ends the program",
         macro=None, args=[], files={"Vendrix.MNU": MENU_FILE},
         steps=[MenuKey(char="["), FileDialog(SWITCH_FILTERS, None), Key(ESCAPE, True), Ended(),
                Key(ESCAPE, False)],
         check_folder=nothing_logged, modes=("wine",)),
    # "] 編集" opens the chosen file in the default editor, Notepad, and
    # ends; the macro in it does not run.
    Case("menu mode: Edit opens the chosen file in Notepad",
         macro=None, args=[], files={"Vendrix.MNU": MENU_FILE, EDITED: EDITED_TEXT},
         steps=[MenuKey(char="]"), FileDialog(EDIT_FILTERS, "{folder}" + EDITED),
                Document(EDITED_TEXT, close=True)],
         check_folder=nothing_logged, modes=("wine",)),
    Case("menu mode: Edit cancelled ends the program",
         macro=None, args=[], files={"Vendrix.MNU": MENU_FILE, EDITED: EDITED_TEXT},
         steps=[MenuKey(char="]"), FileDialog(EDIT_FILTERS, None), Ended()],
         check_folder=nothing_logged, modes=("wine",)),
    # Resident mode: the variables live from one hotkey run to the next; No
    # to the icon's question keeps the program resident.
    Case("resident mode runs hotkeys until the icon's question is answered Yes",
         macro=None, args=["/TSR"],
         # The menu file too: the resident program builds its menu at start-up.
         files=RESIDENT_FILES,
         steps=[Resident(),
                Chord([CONTROL, ALT, F7], "OUT.TXT", crlf("1")),
                Chord([CONTROL, ALT, F7], "OUT.TXT", crlf("1", "2")),
                SecondStart([], Box("既に常駐しています", caption="vendrix")),
                TrayClick(WM_RBUTTONDOWN), Box("終了します", "NO", ["YES", "NO"]),
                Chord([CONTROL, ALT, F7], "OUT.TXT", crlf("1", "2", "3")),
                TrayClick(WM_RBUTTONDOWN), Box("終了します", "YES", ["YES", "NO"])],
         modes=("wine",)),
    # The icon's question comes while a hotkey's macro spins in a loop of
    # pure statements: the loop still lets the window's messages through.
    Case("resident mode: the icon's question comes during a tight loop",
         macro=None, args=["/TSR"],
         files={"Vendrix.hot": crlf("hotkey=[F7] CTRL ALT spin", "LOG OUT.TXT started", ":SPIN", "INC %0",
                                    "GOTO :SPIN"),
                "Vendrix.MNU": MENU_FILE},
         steps=[Resident(), Chord([CONTROL, ALT, F7], "OUT.TXT", crlf("started")),
                TrayClick(WM_RBUTTONDOWN), Box("終了します", "YES", ["YES", "NO"])],
         modes=("wine",)),
    # Wine's tray draws the icon the program hands the shell: Vendrix.ICO's
    # small image is there with the file, and its colour nowhere without it;
    # the large image is never shrunk into the tray.
    *[Case(f"resident mode: the tray icon {how}",
           macro=None, args=["/TSR"], files=RESIDENT_FILES, binary_files=icon,
           steps=[Resident(), TrayIcon(ICON_COLOUR, shown=bool(icon)),
                  TrayIcon(LARGE_ICON_COLOUR, shown=False),
                  TrayClick(WM_RBUTTONDOWN), Box("終了します", "YES", ["YES", "NO"])],
           modes=("wine",))
      for how, icon in (("comes from Vendrix.ICO", {"Vendrix.ICO": PROGRAM_ICON}),
                        ("is the built-in one without Vendrix.ICO", {}))],
]


def write_case_folder(case: Case, folder: Path) -> None:
    def write(name: str, text: str) -> None:
        (folder / name).write_bytes(text.encode("cp932"))

    write("Vendrix.INI", "[Options]\r\n" + case.options)
    if case.zemlo:
        write("Zemlo.INI", crlf("[Options]", "menufile=Vendrix.MNU"))
    if case.macro is not None:
        write("TEST.MAC", case.macro)
    for name, text in case.files.items():
        write(name, text)
    for name, data in case.binary_files.items():
        (folder / name).write_bytes(data)


# ---------------------------------------------------------------------------
# Results
# ---------------------------------------------------------------------------


class Results:
    def __init__(self) -> None:
        self.passed = 0
        self.failed = 0

    def record(self, label: str, problems: list[str]) -> None:
        if problems:
            self.failed += 1
            print(f"FAIL {label}", flush=True)
            for problem in problems:
                print(f"     {problem}", flush=True)
        else:
            self.passed += 1
            print(f"ok   {label}", flush=True)

    def not_run(self, label: str, reason: str) -> None:
        """A suite this machine cannot run: said plainly, counted neither way."""
        print(f"SKIP {label}: {reason}", flush=True)


def text_matches(expected: str, actual: str) -> bool:
    """Exact, or a prefix when `expected` ends with "*"."""
    if expected.endswith("*"):
        return actual.startswith(expected[:-1])
    return actual == expected


def check_files(case: Case, folder: Path) -> list[str]:
    problems = case.check_folder(folder) if case.check_folder else []
    for name, text in case.expect_files.items():
        path = folder / name
        if not path.exists():
            problems.append(f"{name} was not written")
        elif path.read_bytes() != text.encode("cp932"):
            problems.append(f"{name} holds {path.read_bytes()!r}, expected {text.encode('cp932')!r}")
    return problems


# ---------------------------------------------------------------------------
# Native: the Linux build on the simulated desktop
# ---------------------------------------------------------------------------


def write_desktop(case: Case, folder: Path) -> None:
    """The simulated user: answers to the boxes in order, keys held from the start."""
    boxes = [step for step in case.steps if isinstance(step, Box)]
    desktop = {
        "answers": [box.press for box in boxes],
        "inputs": [step.typed for step in case.steps if isinstance(step, Input)],
        "keys": [{"vk": vk, "down": 0} for vk in case.held_keys],
        "screen": {"width": SCREEN[0], "height": SCREEN[1]},
        **case.desktop,
    }
    (folder / "desktop.json").write_text(json.dumps(desktop), encoding="utf-8")


def run_simulated(binary: Path, folder: Path, desktop: Path, trace_path: Path,
                  args: list[str], home: bool = True) -> Optional[subprocess.CompletedProcess]:
    """Runs the Linux build in `folder`, with it as its program folder unless
    `home` is False (then the program's own folder); None when it did not
    end within RUN_TIMEOUT_S."""
    command = [str(binary), f"--sim={desktop}", f"--trace={trace_path}"]
    command += [f"--home={folder}"] if home else []
    command += args
    try:
        return subprocess.run(command, cwd=folder, capture_output=True, timeout=RUN_TIMEOUT_S)
    except subprocess.TimeoutExpired:
        return None


# Where --keep-traces puts a copy of every native run's trace, or None.
KEPT_TRACES: Optional[Path] = None


def keep_trace(name: str, trace_path: Path, folder: Path) -> None:
    """Copies a run's trace for tools/compare-traces, with the run's temporary
    folder written as {folder} so that two runs compare byte for byte."""
    if KEPT_TRACES is None or not trace_path.exists():
        return
    slug = re.sub(r"[^A-Za-z0-9]+", "-", name).strip("-")
    text = trace_path.read_bytes().replace(str(folder).encode(), b"{folder}")
    (KEPT_TRACES / f"{slug}.jsonl").write_bytes(text)


def run_native_case(binary: Path, case: Case, folder: Path) -> list[str]:
    write_desktop(case, folder)
    if any(isinstance(step, HeldThenGo) for step in case.steps):
        (folder / GO_FILE).write_bytes(b"")
    trace_path = folder / "trace.jsonl"
    finished = run_simulated(binary, folder, folder / "desktop.json", trace_path, case.args)
    keep_trace(case.name, trace_path, folder)
    if finished is None:
        return [f"did not end within {RUN_TIMEOUT_S} s"]
    problems = check_trace(case, trace_path, str(folder) + "/")
    if finished.returncode != case.exit_code:
        stderr = finished.stderr.decode("utf-8", "replace").strip()[-300:]
        problems.append(f"exit code {finished.returncode}, expected {case.exit_code} {stderr}")
    return problems + check_files(case, folder)


def read_trace(trace_path: Path) -> tuple[list[dict], list[str]]:
    """The simulated desktop's calls, and a problem for each line that is no JSON."""
    trace, problems = [], []
    if trace_path.exists():
        for number, line in enumerate(trace_path.read_text(encoding="utf-8").splitlines(), 1):
            try:
                trace.append(json.loads(line))
            except json.JSONDecodeError:
                problems.append(f"trace line {number} is no JSON: {line[:80]}")
    return trace, problems


def check_trace(case: Case, trace_path: Path, folder_text: str) -> list[str]:
    """The boxes and step display that the simulated desktop recorded."""
    boxes = [step for step in case.steps if isinstance(step, Box)]
    trace, problems = read_trace(trace_path)
    shown = [(i, entry) for i, entry in enumerate(trace) if entry.get("call") == "MessageBoxA"]
    for index, box in enumerate(boxes):
        if index >= len(shown):
            problems.append(f"box {index + 1} never shown: expected {box.text!r}")
            break
        position, entry = shown[index]
        expected = box.text.replace("{folder}", folder_text)
        if not text_matches(expected, entry.get("text", "")):
            problems.append(f"box {index + 1} reads {entry.get('text')!r}, expected {expected!r}")
        if entry.get("caption") != box.caption:
            problems.append(f"box {index + 1} caption {entry.get('caption')!r}")
        if entry.get("answer") != box.press:
            problems.append(f"box {index + 1} answered {entry.get('answer')!r}, not {box.press}")
        if box.window is not None:
            problems += check_native_window(trace[:position], box.window)
    if len(shown) > len(boxes):
        extra = [entry.get("text") for _, entry in shown[len(boxes):]]
        problems.append(f"unexpected boxes: {extra!r}")
    problems += check_native_inputs(case, trace)
    return problems + check_released(case.holds, native_key_events(trace))


def native_key_events(trace: list[dict]) -> list[tuple[int, str]]:
    """The key events the program injected, as (vk, "down" or "up")."""
    events = []
    for entry in trace:
        keyboard = entry.get("call") == "keybd_event" or (
            entry.get("call") == "SendInput" and entry.get("type") == "keyboard")
        if keyboard:
            up = entry.get("flags", 0) & KEYEVENTF_KEYUP
            events.append((entry.get("vk"), "up" if up else "down"))
    return events


def check_released(holds: list[int], events: list[tuple[int, str]]) -> list[str]:
    """Each held key was pressed, and its last event lets it go."""
    problems = []
    for vk in holds:
        kinds = [kind for code, kind in events if code == vk]
        if "down" not in kinds:
            problems.append(f"key {vk} was never pressed")
        elif kinds[-1] != "up":
            problems.append(f"key {vk} was left down: {kinds}")
    return problems


def check_native_inputs(case: Case, trace: list[dict]) -> list[str]:
    """The input dialogs the simulated desktop recorded.  Its prompt keeps
    the program's lone CR, which Windows' static control shows as CR LF."""
    inputs = [step for step in case.steps if isinstance(step, Input)]
    shown = [entry for entry in trace if entry.get("call") == "InputBox"]
    problems = []
    if len(shown) != len(inputs):
        problems.append(f"{len(shown)} input dialogs, expected {len(inputs)}")
    for index, (step, entry) in enumerate(zip(inputs, shown), 1):
        seen = (entry.get("caption"), entry.get("prompt"), entry.get("initial"))
        expected = (step.caption, step.prompt.replace("\r\n", "\r"), step.initial)
        if seen != expected:
            problems.append(f"input dialog {index} shows {seen!r}, expected {expected!r}")
    return problems


def check_native_window(trace: list[dict], window: dict) -> list[str]:
    shows = [entry for entry in trace if entry.get("call") == "ShowStepDisplay"]
    if not shows:
        return ["the step display was never shown"]
    rect = [shows[-1].get(key) for key in ("left", "top", "width", "height")]
    lines = [entry.get("line") for entry in trace if entry.get("call") == "AppendStepLine"]
    problems = []
    if rect != window["rect"]:
        problems.append(f"step display at {rect}, expected {window['rect']}")
    if lines != window["lines"]:
        problems.append(f"step lines {lines!r}, expected {window['lines']!r}")
    return problems


def selected(name: str, only: list[str]) -> bool:
    """No -k: every case; else the cases whose name holds one of the texts."""
    return not only or any(text in name for text in only)


def run_native(binary: Path, results: Results, only: list[str]) -> None:
    for case in CASES:
        if "native" not in case.modes or not selected(case.name, only):
            continue
        with tempfile.TemporaryDirectory(prefix="vendrix-e2e-") as temp:
            folder = Path(temp) / case.subfolder
            folder.mkdir(exist_ok=True)
            write_case_folder(case, folder)
            results.record(f"native: {case.name}", run_native_case(binary, case, folder))
    for example in EXAMPLES:
        if selected(example.name, only):
            results.record(f"native: {example.name}", run_example(binary, example))
    for dry in DRY_RUNS:
        if selected(dry.name, only):
            with tempfile.TemporaryDirectory(prefix="vendrix-dry-") as temp:
                results.record(f"native: {dry.name}", run_dry_run(binary, dry, Path(temp)))
    if selected("--version", only):
        results.record("native: --version", version_problems(run_version(binary), "Linux"))
    for check in CHECK_CASES:
        if selected(check.name, only):
            results.record(f"native: {check.name}", run_native_check(binary, check))
    run_native_sample_checks(binary, results, only)


# ---------------------------------------------------------------------------
# --check: the same findings and exit codes from both builds


@dataclasses.dataclass
class CheckCase:
    """A folder of Shift-JIS files, `--check` with `args` run in it (the
    folder is the program folder too), and what it must print and return.
    In `output`, {folder} is the program folder with its separator."""
    name: str
    files: dict[str, str]
    args: list[str]
    exit_code: int
    output: list[str] = dataclasses.field(default_factory=list)


CHECK_CASES = [
    CheckCase("--check: a clean macro", {
        "a.mac": crlf("DIM %i %name", "INCLUDE \"sub.mac\" loads only the quoted name",
                      "FOR %i=1 TO 3", "  IF (= %i 2) THEN", "    KEY abc;; [ENTER] ; a comment",
                      "  ELSE SET %name \"x\"", "  ENDIF done", "NEXT", "GOTO :the end", ":The End"),
        "sub.mac": crlf(":sub", "BEEP 440 10"),
    }, ["-FILE=a.mac"], 0),
    CheckCase("--check: findings in a macro and its INCLUDE", {
        "a.mac": crlf("DIM %x %y", "MESAGE %x \"hi\"", "LCLICK %x,%y", "KEY (date \"yyyy\")",
                      "IF (= %x 1) THEN", "  BEEP", "INCLUDE inc.mac", "GOTO :終わり", "(getcaret)",
                      "INCLUDE missing.mac", "SET %a 1 2 3"),
        "inc.mac": crlf("KEY [ENTR] a;b", "NEXT"),
    }, ["-FILE=a.mac"], 2, [
        "a.mac:2: error V001: unknown statement `MESAGE`",
        "a.mac:3: error V035: LCLICK %x,%y: variables inside x,y are not evaluated, so the point is 0,0; "
        "write (& %x \",\" %y)",
        "a.mac:4: warning V032: KEY types `(date \"yyyy\")` character by character: it does not evaluate it "
        "(PASTE or SEND deliver a value)",
        "a.mac:5: warning V011: IF ... THEN is never closed by ENDIF; when its condition fails, the rest of the "
        "macro is skipped",
        "a.mac:8: error V020: GOTO: no line reads `:終わり`; the run stops here",
        "a.mac:9: error V002: the line's first word `getcaret)` is no function, so the run refuses it; write a "
        "space before the \")\"",
        "a.mac:10: error V040: INCLUDE: the file missing.mac does not exist",
        "a.mac:11: error V019: SET stores into `%a`, which is no declared variable; the run stops here "
        "(declare it with DIM)",
        "a.mac:11: warning V031: SET reads 2 operands; `2 3` is ignored",
        "inc.mac:1: warning V034: the \";\" in this KEY text starts a comment and cuts the text short; "
        "write \";;\" or [Semicolon] for the key, or a space before a comment",
        "inc.mac:1: error V030: KEY: `[ENTR]` names no key",
        "inc.mac:2: error V014: NEXT without FOR; the run reports an error here",
    ]),
    CheckCase("--check: a macro that does not exist", {}, ["-FILE=none.mac"], 1),
    CheckCase("--check: a hotkey file", {
        "keys.hot": crlf("; hotkeys", "hotkey=[F5] CTRL ALT date", "KEY (date \"yyyy/mm/dd\")",
                         "hotkey=[f5] alt ctrl again", "BEEP", "hotkey=[F99] SHIFT", "BEEP"),
    }, ["-TSR", "-FILE=keys.hot"], 2, [
        "keys.hot:3: warning V032: KEY types `(date \"yyyy/mm/dd\")` character by character: it does not "
        "evaluate it (PASTE or SEND deliver a value)",
        "keys.hot:4: error V051: hotkey=[f5] alt ctrl again: the same key and modifiers as line 2; its "
        "registration fails",
        "keys.hot:6: error V050: hotkey=[F99]: the key name names no key; the hotkey is not registered",
    ]),
    CheckCase("--check: menu mode", {
        "Vendrix.MNU": crlf(":Hello", "hello.mac", ":Gone", "gone.mac", ":Beep", "__BEEP 880 100"),
        "hello.mac": crlf("BEEP", "ENDIF"),
    }, [], 2, [
        "{folder}Vendrix.MNU:4: error V052: the menu item Gone runs {folder}gone.mac, which does not exist",
        "{folder}hello.mac:2: warning V010: ENDIF has no open IF or UNLESS block above it; the run ignores it",
    ]),
]


def write_check_folder(case: CheckCase, folder: Path) -> None:
    for name, text in case.files.items():
        (folder / name).write_bytes(text.encode("cp932"))


def check_output_problems(case: CheckCase, finished: Optional[subprocess.CompletedProcess],
                          folder_text: str) -> list[str]:
    if finished is None:
        return [f"--check did not end within {RUN_TIMEOUT_S} s"]
    problems = []
    if finished.returncode != case.exit_code:
        problems.append(f"exit code {finished.returncode}, expected {case.exit_code}")
    if case.exit_code == 1:
        return problems
    lines = finished.stdout.decode("utf-8", "replace").replace("\r\n", "\n").splitlines()
    expected = [line.replace("{folder}", folder_text) for line in case.output]
    if lines != expected:
        problems.append("printed:\n       " + "\n       ".join(lines) +
                        "\n     expected:\n       " + "\n       ".join(expected))
    return problems


def run_native_check(binary: Path, case: CheckCase) -> list[str]:
    with tempfile.TemporaryDirectory(prefix="vendrix-check-") as temp:
        folder = Path(temp)
        write_check_folder(case, folder)
        try:
            finished = subprocess.run([str(binary), "--check", f"--home={folder}"] + case.args,
                                      cwd=folder, capture_output=True, timeout=RUN_TIMEOUT_S)
        except subprocess.TimeoutExpired:
            finished = None
        return check_output_problems(case, finished, f"{folder}/")


def sample_check_runs() -> list[tuple[str, Path, list[str]]]:
    """Every macro, menu (with its list) and hotkey file the project ships,
    as `--check` is run on it: (name, program folder, switches)."""
    runs = []
    for folder in [EXAMPLES_FOLDER] + sorted(p for p in EXAMPLES_FOLDER.iterdir() if p.is_dir()):
        for macro in sorted(folder.glob("*.mac")):
            runs.append((str(macro.relative_to(EXAMPLES_FOLDER)), folder, [f"-FILE={macro.name}"]))
        for hotkeys in sorted(folder.glob("*.hot")):
            runs.append((str(hotkeys.relative_to(EXAMPLES_FOLDER)), folder, ["-TSR", f"-FILE={hotkeys.name}"]))
        if (folder / "Vendrix.MNU").exists():
            runs.append((str((folder / "Vendrix.MNU").relative_to(EXAMPLES_FOLDER)), folder, []))
    return runs


def run_native_sample_checks(binary: Path, results: Results, only: list[str]) -> None:
    for name, folder, args in sample_check_runs():
        label = f"--check: examples/{name}"
        if not selected(label, only):
            continue
        try:
            finished = subprocess.run([str(binary), "--check", f"--home={folder}"] + args, cwd=folder,
                                      capture_output=True, timeout=RUN_TIMEOUT_S)
        except subprocess.TimeoutExpired:
            results.record(f"native: {label}", [f"did not end within {RUN_TIMEOUT_S} s"])
            continue
        problems = [] if finished.returncode == 0 else [f"exit code {finished.returncode}, expected 0"]
        problems += [line for line in finished.stdout.decode("utf-8", "replace").splitlines() if line]
        results.record(f"native: {label}", problems)


def run_wine_check(session: "WineSession", exe: Path, case: CheckCase, folder: Path) -> list[str]:
    write_check_folder(case, folder)
    program = folder / exe.name
    shutil.copy2(exe, program)
    try:
        finished = session.wine([str(program), "--check"] + case.args, timeout=RUN_TIMEOUT_S, cwd=folder)
    except subprocess.TimeoutExpired:
        finished = None
    folder_text = "Z:" + str(folder).replace("/", "\\") + "\\"
    problems = check_output_problems(case, finished, folder_text)
    if case.exit_code != 2:
        return problems
    # cmd.exe's redirection, as a script on Windows would use it.
    redirected = folder / "check.txt"
    command = " ".join([exe.name, "--check"] + case.args) + f" > {redirected.name}"
    try:
        session.wine(["cmd", "/c", command], timeout=RUN_TIMEOUT_S, cwd=folder)
    except subprocess.TimeoutExpired:
        return problems + [f"cmd /c {command} did not end within {RUN_TIMEOUT_S} s"]
    if not redirected.exists():
        return problems + [f"cmd /c {command} wrote no file"]
    written = subprocess.CompletedProcess([], case.exit_code, redirected.read_bytes(), b"")
    return problems + [f"redirected: {problem}" for problem in check_output_problems(case, written, folder_text)]


@dataclasses.dataclass
class DryRun:
    """A run on the simulated desktop that must end by itself: its exit code,
    the lines its standard error must hold (in order, each a part of a
    line), and at most how many lines its trace may have."""
    name: str
    case: Case
    options: list[str]
    exit_code: int
    stderr: list[str]
    max_trace_lines: Optional[int] = None


DUPLICATE_HOTKEYS = crlf("hotkey=[F7] CTRL ALT first", "INC %0", "hotkey=[F7] CTRL ALT second", "INC %1")
LONG_LOOP = crlf("DIM %i", "FOR %i=1 TO 100000", "NEXT", "MESSAGE %0 %i")

DRY_RUNS = [
    DryRun("dry run: PAUSE with no key ends by itself",
           Case("", macro=crlf("; waits", "PAUSE")), [], 3,
           ["TEST.MAC:2: dry run ended: waits for a key"]),
    DryRun("dry run: readkey with no key ends by itself",
           Case("", macro=crlf("DIM %k", "SET %k (readkey)")), [], 3,
           ["TEST.MAC:2: dry run ended: waits for a key"]),
    DryRun("dry run: PAUSE ends with the key the description presses",
           Case("", macro=crlf("PAUSE [F2]", "SET %0 x"), desktop={"keys": [{"vk": 113, "down": 5000, "up": 5100}]}),
           [], 0, []),
    DryRun("dry run: duplicate hotkeys end with the retry question unanswered",
           Case("", args=["-TSR"], files={"Vendrix.hot": DUPLICATE_HOTKEYS, "Vendrix.MNU": MENU_FILE}), [], 3,
           ["vendrix: message box: ", "the same question came back 10 times"]),
    DryRun("dry run: errors name their file and line, and the run goes on",
           Case("", macro=crlf("SET %0 a", "MESAGE hello", "SET %1 b"), desktop={"answers": ["OK", "YES"]}), [], 0,
           ["TEST.MAC:2: Err：", "TEST.MAC:2: message box: マクロを継続しますか？ [YES]"]),
    DryRun("dry run: --stop-on-error ends at the first error",
           Case("", macro=crlf("SET %0 a", "MESAGE hello", "SET %1 b")), ["--stop-on-error"], 1,
           ["TEST.MAC:2: Err：", "TEST.MAC:2: dry run ended: stopped at the first error report"]),
    DryRun("dry run: --max-statements bounds an endless loop",
           Case("", macro=crlf(":top", "GOTO :top")), ["--max-statements=5000"], 3,
           ["dry run ended: ran more than 5000 statements"]),
    DryRun("dry run: --max-time bounds an endless wait",
           Case("", macro=crlf(":top", "DELAY 1000", "GOTO :top")), ["--max-time=60000"], 3,
           ["TEST.MAC:2: dry run ended: ran past 60000 ms"]),
    DryRun("dry run: --max-trace bounds the trace",
           Case("", macro=crlf(":top", "DELAY 10", "GOTO :top")), ["--max-trace=20000"], 3,
           ["the trace reached its size bound"]),
    DryRun("dry run: a 100,000-pass loop leaves a short trace",
           Case("", macro=LONG_LOOP), [], 0, ["TEST.MAC:4: message box: 100001 [YES]"], max_trace_lines=99),
    DryRun("dry run: an idle resident program ends once nothing more is scripted",
           Case("", args=["-TSR"], files=RESIDENT_FILES,
                desktop={"shell_events": [{"at_ms": 60000, "hotkey": {"vk": 118, "modifiers": 3}}]}), [], 0,
           ["nothing more is scripted"], max_trace_lines=60),
]


def run_dry_run(binary: Path, dry: DryRun, folder: Path) -> list[str]:
    write_case_folder(dry.case, folder)
    write_desktop(dry.case, folder)
    trace_path = folder / "trace.jsonl"
    finished = run_simulated(binary, folder, folder / "desktop.json", trace_path, dry.case.args + dry.options)
    keep_trace(dry.name, trace_path, folder)
    if finished is None:
        return [f"did not end within {RUN_TIMEOUT_S} s"]
    stderr = finished.stderr.decode("utf-8", "replace")
    problems = [] if finished.returncode == dry.exit_code else [
        f"exit code {finished.returncode}, expected {dry.exit_code}: {stderr.strip()[-300:]}"]
    position = 0
    for wanted in dry.stderr:
        found = stderr.find(wanted, position)
        if found < 0:
            problems.append(f"standard error lacks {wanted!r} in its place: {stderr.strip()[-300:]!r}")
            break
        position = found + len(wanted)
    trace, trace_problems = read_trace(trace_path)
    if dry.max_trace_lines is not None and len(trace) > dry.max_trace_lines:
        problems.append(f"the trace has {len(trace)} lines, expected at most {dry.max_trace_lines}")
    return problems + trace_problems


@dataclasses.dataclass
class Example:
    """A sample of examples/, run on a copy of the folder as a dry run on the
    simulated desktop it comes with."""
    name: str
    args: list[str]
    desktop: str
    boxes: list[str]  # the message boxes' texts, in order ({folder}: the program folder)
    # The program folder within examples/ ("" for examples/ itself).
    folder: str = ""
    # Trace lines that must appear, in this order, among others: each a
    # dict of fields that the line must hold ({folder} as above).
    calls: list[dict] = dataclasses.field(default_factory=list)
    # Files the run must leave: name -> their text (Shift-JIS on disk,
    # compared as UTF-8 with CR LF line ends), or None when only their
    # existence counts.
    files: dict = dataclasses.field(default_factory=dict)


EXAMPLES_FOLDER = Path(__file__).resolve().parents[2] / "examples"

def clip(text: str) -> dict:
    return {"call": "SetClipboardData", "text": text}


def sjis_codes(text: str) -> list[int]:
    """The character codes SEND gives each character: lead byte × 256 +
    trail byte for a two-byte one."""
    codes = []
    for char in text:
        raw = char.encode("cp932")
        codes.append(raw[0] * 256 + raw[1] if len(raw) == 2 else raw[0])
    return codes


WM_CHAR, WM_IME_CHAR = 0x102, 0x286
SEARCH_WORDS = "請求書 2026"

EXAMPLES = [
    Example("example: file mode", ["-FILE=hello.mac"], "hello-desktop.json",
            ["Vendrix からこんにちは。計算を始めますか？", "1 から 10 までの合計は 55 です。"]),
    Example("example: menu mode", [], "menu-desktop.json",
            ["Vendrix からこんにちは。計算を始めますか？", "1 から 10 までの合計は 55 です。"]),
    Example("example: resident mode", ["-TSR"], "resident-desktop.json",
            ["押した回数: 1", "押した回数: 2", "終了します"]),
    Example("example: a form in Notepad", ["-FILE=notepad-form.mac"], "notepad-form-desktop.json",
            ["受付_20261208.txt に保存しました。"],
            calls=[{"call": "CreateProcessA", "command": "notepad.exe"},
                   {"call": "SetForegroundWindow", "window": 100, "result": True},
                   clip("受付日: 2026年12月8日"), clip("お名前: 山田太郎 様"), clip("ご用件: 資料請求"),
                   {"call": "keybd_event", "vk": 17, "flags": 1}, {"call": "keybd_event", "vk": 83},
                   {"call": "keybd_event", "vk": 17, "flags": 3},
                   clip("{folder}受付_20261208.txt")]),
    Example("example: CSV rows into a form", ["-FILE=csv-entry.mac"], "csv-entry-desktop.json",
            ["3 件の注文を入力しました。"],
            calls=[clip(field) for row in ("1001,ボールペン（黒）,12", "1002,大学ノート B5,5",
                                           "1003,付箋 75mm 角,30") for field in row.split(",")]),
    Example("example: wait for an image and click it", ["-FILE=wait-for-image.mac"],
            "wait-for-image-desktop.json", ["ボタンを 400,300 に見つけてクリックしました。"],
            calls=[{"call": "SetCursorPos", "x": 408, "y": 304},
                   {"call": "mouse_event", "flags": 2},
                   {"call": "mouse_event", "flags": 4}],
            files={"screen.bmp": None}),
    Example("example: date stamps from hotkeys", ["-TSR", "-FILE=date-stamp.hot"], "date-stamp-desktop.json",
            ["終了します"],
            calls=[clip("2026年12月8日 09:30 受付済み"), clip("令和08年12月8日（火）")]),
    Example("example: a menu chosen by the window in front", [], "desktop.json", [],
            folder="menu-by-window",
            calls=[{"call": "SetMenuItems", "items": ["^_記録", "\\_実行", "- 終了", "[ 切替", "] 編集",
                                                      "日付を貼り付け", "あいさつ文"]},
                   clip("いつもお世話になっております。")]),
    Example("example: read and update an INI file", ["-FILE=ini-update.mac"], "ini-update-desktop.json",
            ["山田 さん、このマクロの実行は 1 回目です。"],
            files={"settings.ini": "; settings.ini: read and updated by ini-update.mac.\r\n[User]\r\n"
                                   "name=山田\r\n[Counter]\r\nruns=1\r\nlast=2026/12/08 09:30\r\n"}),
    Example("example: window captures on a schedule", ["-FILE=capture-schedule.mac"],
            "capture-schedule-desktop.json", ["3 枚を保存しました。"],
            calls=[{"call": "BitBlt", "x": 100, "y": 80, "width": 320, "height": 240}] * 3,
            files={"shot_0930.jpg": None, "shot_0931.jpg": None, "shot_0932.jpg": None,
                   "shots.log": "09:30:00 shot_0930.jpg\r\n09:31:00 shot_0931.jpg\r\n"
                                "09:32:00 shot_0932.jpg\r\n"}),
    Example("example: a dialog driven with SEND", ["-FILE=dialog-send.mac"], "dialog-send-desktop.json",
            [f"「{SEARCH_WORDS}」を検索しました。"],
            calls=[{"call": "SendMessageA", "window": 401,
                    "message": WM_CHAR if code < 255 else WM_IME_CHAR, "wparam": code}
                   for code in sjis_codes(SEARCH_WORDS)] + [{"call": "keybd_event", "vk": 13}]),
    Example("example: a joystick button starts a macro", ["-TSR", "-FILE=joystick.hot"], "joystick-desktop.json",
            ["ボタン 1 が押されました。方向: L-", "終了します"]),
    Example("example: a report with FOR and GOSUB", ["-FILE=report.mac"], "report-desktop.json",
            ["合計 367750 円を report.txt に書きました。"],
            files={"report.txt": "売上報告（第 4 四半期）\r\n10月      128000 円\r\n11月       96500 円\r\n"
                                 "12月      143250 円\r\n合計      367750 円\r\n"}),
]


def contains_in_order(calls: list[dict], wanted: list[dict]) -> Optional[dict]:
    """The first wanted line not found after the previous one, or None."""
    position = 0
    for want in wanted:
        while position < len(calls) and any(calls[position].get(k) != v for k, v in want.items()):
            position += 1
        if position == len(calls):
            return want
        position += 1
    return None


def check_example_files(folder: Path, files: dict) -> list[str]:
    problems = []
    for name, text in files.items():
        path = folder / name
        if not path.exists():
            problems.append(f"{name} was not written")
        elif text is not None and path.read_bytes().decode("cp932", "replace") != text:
            problems.append(f"{name} holds {path.read_bytes().decode('cp932', 'replace')!r}, expected {text!r}")
    return problems


def with_folder(value, folder_text: str):
    return value.replace("{folder}", folder_text) if isinstance(value, str) else value


def run_example(binary: Path, example: Example) -> list[str]:
    with tempfile.TemporaryDirectory(prefix="vendrix-example-") as temp:
        shutil.copytree(EXAMPLES_FOLDER, Path(temp), dirs_exist_ok=True)
        folder = Path(temp) / example.folder
        trace_path = Path(temp) / "trace.jsonl"
        finished = run_simulated(binary, folder, folder / example.desktop, trace_path, example.args)
        keep_trace(example.name, trace_path, folder)
        return check_example(example, finished, trace_path, folder, str(folder).rstrip("/") + "/")


def check_example(example: Example, finished: Optional[subprocess.CompletedProcess],
                  trace_path: Path, folder: Path, folder_text: str) -> list[str]:
    """The run's exit code, boxes, trace lines and files; `folder_text` is
    the program folder as the program spells it."""
    if finished is None:
        return [f"did not end within {RUN_TIMEOUT_S} s"]
    calls, problems = read_trace(trace_path)
    if finished.returncode != 0:
        problems.append(f"exit code {finished.returncode}, expected 0")
    boxes = [call.get("text") for call in calls if call.get("call") == "MessageBoxA"]
    expected = [with_folder(box, folder_text) for box in example.boxes]
    if boxes != expected:
        problems.append(f"message boxes {boxes}, expected {expected}")
    wanted = [{k: with_folder(v, folder_text) for k, v in want.items()} for want in example.calls]
    missing = contains_in_order(calls, wanted)
    if missing is not None:
        problems.append(f"the trace lacks, in its place, {missing}")
    return problems + check_example_files(folder, example.files)


# ---------------------------------------------------------------------------
# --version and the packages
# ---------------------------------------------------------------------------

SOURCE_ROOT = Path(__file__).resolve().parents[2]
PACKAGE_LISTS = SOURCE_ROOT / "tests" / "package"


def project_version() -> str:
    """The one version of the project, as CMakeLists.txt declares it."""
    found = re.search(r"project\(Vendrix VERSION ([0-9.]+)",
                      (SOURCE_ROOT / "CMakeLists.txt").read_text(encoding="utf-8"))
    return found.group(1) if found else "(no version in CMakeLists.txt)"


def run_version(binary: Path) -> Optional[subprocess.CompletedProcess]:
    try:
        return subprocess.run([str(binary), "--version"], capture_output=True, timeout=RUN_TIMEOUT_S)
    except subprocess.TimeoutExpired:
        return None


def version_problems(finished: Optional[subprocess.CompletedProcess], platform: str) -> list[str]:
    """--version printed "Vendrix <version>" and "Build: <platform> ..., <compiler> ..."."""
    if finished is None:
        return [f"--version did not end within {RUN_TIMEOUT_S} s"]
    problems = [] if finished.returncode == 0 else [f"--version exit code {finished.returncode}"]
    return problems + version_text_problems(finished.stdout.decode("utf-8", "replace"), platform)


def version_text_problems(text: str, platform: str) -> list[str]:
    lines = text.replace("\r\n", "\n").splitlines()
    expected = f"Vendrix {project_version()}"
    if not lines or lines[0] != expected:
        return [f"--version printed {text!r}, expected a first line {expected!r}"]
    if len(lines) != 2 or not re.fullmatch(rf"Build: {platform} \S+, (GCC|Clang) .+", lines[1]):
        return [f"--version printed {text!r}, expected a second line 'Build: {platform} ...'"]
    return []


def expected_listing(name: str) -> list[str]:
    lines = (PACKAGE_LISTS / name).read_text(encoding="utf-8").splitlines()
    return [line for line in lines if line.strip() and not line.startswith("#")]


def listing_problems(list_name: str, actual: list[str]) -> list[str]:
    expected = expected_listing(list_name)
    problems = [f"missing from the package: {path}" for path in expected if path not in actual]
    problems += [f"in the package but not in tests/package/{list_name}: {path}"
                 for path in actual if path not in expected]
    return problems


def deb_listing(deb: Path) -> list[str]:
    """Files and links of a .deb as `dpkg-deb -c` shows them, without "./"
    and without folders."""
    shown = subprocess.run(["dpkg-deb", "-c", str(deb)], capture_output=True, check=True,
                           timeout=60).stdout.decode("utf-8", "replace")
    paths = []
    for line in shown.splitlines():
        fields = line.split(None, 5)
        if len(fields) == 6 and not fields[0].startswith("d"):
            paths.append(fields[5].removeprefix("./"))
    return paths


def run_deb(deb: Path, results: Results, only: list[str]) -> None:
    """Unpacks the .deb into an empty root and runs its vendrix there, as
    installed: the program folder is its own, /usr/lib/vendrix."""
    label = f"deb {deb.name}"
    if not deb.exists():
        results.record(f"{label}: built", [f"{deb} does not exist"])
        return
    try:
        results.record(f"{label}: contents match tests/package/deb-contents.txt",
                       listing_problems("deb-contents.txt", deb_listing(deb)))
    except (OSError, subprocess.SubprocessError) as error:
        results.record(f"{label}: contents", [str(error)])
        return
    with tempfile.TemporaryDirectory(prefix="vendrix-deb-") as temp:
        root = Path(temp)
        subprocess.run(["dpkg-deb", "-x", str(deb), str(root)], check=True, timeout=60)
        program = root / "usr" / "bin" / "vendrix"
        if selected("--version", only):
            results.record(f"{label}: --version", version_problems(run_version(program), "Linux"))
        for example in EXAMPLES:
            if selected(example.name, only):
                # A sample with a folder of its own runs with it as the
                # program folder (--home), the others in the program's own.
                folder = root / "usr" / "lib" / "vendrix" / example.folder
                trace_path = root / "trace.jsonl"
                finished = run_simulated(program, folder, folder / example.desktop, trace_path,
                                         example.args, home=bool(example.folder))
                results.record(f"{label}: {example.name}",
                               check_example(example, finished, trace_path, folder, f"{folder}/"))


# ---------------------------------------------------------------------------
# Many resident starts at once: exactly one stays resident
# ---------------------------------------------------------------------------

RACE_NAME = "resident race: of simultaneous starts exactly one stays resident"
RACE_STARTS = 20
RACE_TIMEOUT_S = 120
ALREADY_RESIDENT = "既に常駐しています"
# Natively the winner's hotkey (F7 at 100 ms) reads a line from its
# standard input, which the suite holds open: the winner stays resident,
# idle, for as long as the others need to start and end.
RACE_NATIVE_FILES = {"Vendrix.hot": crlf("hotkey=[F7]", "OPEN /dev/stdin INPUT 1", "READ 1 %0", "CLOSE 1"),
                     "Vendrix.MNU": MENU_FILE}
RACE_NATIVE_DESKTOP = {"shell_events": [{"at_ms": 100, "hotkey": {"vk": F7, "modifiers": 0}}]}


def race_folder(folder: Path, files: dict[str, str]) -> None:
    write_case_folder(Case(RACE_NAME, macro=None, files=files), folder)


def wait_until(condition: Callable[[], bool], timeout: float) -> bool:
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.05)
    return True


def check_race_traces(folder: Path, codes: list[Optional[int]]) -> list[str]:
    """One start registered its hotkey and showed no box; every other said
    it found a resident instance, and nothing more."""
    problems = []
    residents = 0
    for index, code in enumerate(codes):
        trace, unreadable = read_trace(folder / f"trace{index}.jsonl")
        problems += unreadable
        boxes = [(entry.get("text"), entry.get("caption")) for entry in trace if entry.get("call") == "MessageBoxA"]
        if any(entry.get("call") == "RegisterHotKey" for entry in trace):
            residents += 1
            if boxes:
                problems.append(f"the resident start {index} showed {boxes!r}")
        elif boxes != [(ALREADY_RESIDENT, "vendrix")]:
            problems.append(f"start {index} showed {boxes!r}")
        if code != 0:
            problems.append(f"start {index} ended with {code}")
    if residents != 1:
        problems.append(f"{residents} starts went resident")
    return problems


def run_native_race(binary: Path) -> list[str]:
    with tempfile.TemporaryDirectory(prefix="vendrix-race-") as temp:
        folder = Path(temp)
        race_folder(folder, RACE_NATIVE_FILES)
        (folder / "desktop.json").write_text(json.dumps(RACE_NATIVE_DESKTOP), encoding="utf-8")
        processes = [subprocess.Popen([str(binary), f"--sim={folder / 'desktop.json'}",
                                       f"--trace={folder / f'trace{index}.jsonl'}", f"--home={folder}", "-TSR"],
                                      cwd=folder, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                      stderr=subprocess.DEVNULL)
                     for index in range(RACE_STARTS)]
        problems = []
        try:
            def running() -> int:
                return sum(process.poll() is None for process in processes)
            wait_until(lambda: running() <= 1, RACE_TIMEOUT_S)
            if running() != 1:
                problems.append(f"{running()} of {RACE_STARTS} starts still running after the others ended")
            for process in processes:
                process.stdin.close()  # the winner's READ ends, and with it the run and the session
            if not wait_until(lambda: running() == 0, RACE_TIMEOUT_S):
                problems.append("the resident start did not end")
        finally:
            for process in processes:
                if process.poll() is None:
                    process.kill()
                process.wait()
        return problems + check_race_traces(folder, [process.returncode for process in processes])


# ---------------------------------------------------------------------------
# Wine: the Windows build on a private X server
# ---------------------------------------------------------------------------

FONT_REPLACEMENTS = {
    "MS UI Gothic": "IPAPGothic",
    "MS PGothic": "IPAPGothic",
    "MS Gothic": "IPAGothic",
    "MS Mincho": "IPAMincho",
    "MS PMincho": "IPAPMincho",
    "ＭＳ ゴシック": "IPAGothic",
    "ＭＳ Ｐゴシック": "IPAPGothic",
    "ＭＳ 明朝": "IPAMincho",
    "ＭＳ Ｐ明朝": "IPAPMincho",
}


WINE32_LOADER = Path("/usr/lib/wine/wine")
WINE64_LOADER = Path("/usr/lib/wine/wine64")


def wine_loader(arch: str) -> list[str]:
    """The command that starts a program in a prefix of this kind.  A 64-bit
    prefix's programs start from the 64-bit loader itself: the `wine` script
    would pick the 32-bit one whenever it is installed, and that one cannot
    run where the kernel runs no 32-bit programs."""
    if arch == "win64" and WINE64_LOADER.exists():
        return [str(WINE64_LOADER)]
    return ["wine"]


def kernel_refuses_32_bit() -> Optional[str]:
    """Why this machine cannot run Wine's 32-bit loader at all, or None.
    Only the kernel's own refusal (a kernel built or booted without 32-bit
    support) counts; any other failure is the suite's to report."""
    try:
        subprocess.run([str(WINE32_LOADER), "--version"], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=COMMAND_TIMEOUT_S)
    except OSError as error:
        if error.errno == errno.ENOEXEC:
            return f"this machine's kernel cannot run 32-bit programs ({WINE32_LOADER}: {error.strerror})"
    except subprocess.TimeoutExpired:
        pass
    return None


class WineSession:
    """A private Xvfb, window manager and Wine prefix; everything it starts
    it stops again, by process id."""

    def __init__(self, root: Path, arch: str) -> None:
        self.root = root
        self.arch = arch
        self.xvfb: Optional[subprocess.Popen] = None
        self.openbox: Optional[subprocess.Popen] = None
        self.wineserver: Optional[subprocess.Popen] = None
        self.env = dict(os.environ)
        self.loader = wine_loader(arch)

    def __enter__(self) -> "WineSession":
        try:
            self.start()
        except BaseException:
            self.stop()
            raise
        return self

    def __exit__(self, *exc) -> None:
        self.stop()

    def start(self) -> None:
        read_end, write_end = os.pipe()
        # -displayfd: the server picks a free display and tells us which.
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        display = b""
        deadline = time.monotonic() + COMMAND_TIMEOUT_S
        with os.fdopen(read_end, "rb") as pipe:
            while not display.endswith(b"\n") and time.monotonic() < deadline:
                chunk = pipe.read(1)
                if not chunk:
                    break
                display += chunk
        if not display.strip():
            raise RuntimeError("Xvfb did not start")
        env = self.env
        env["DISPLAY"] = ":" + display.decode().strip()
        env["WINEPREFIX"] = str(self.root / "prefix")
        env["WINEARCH"] = self.arch
        env["WINEDEBUG"] = "-all"
        env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
        env["LC_ALL"] = "ja_JP.UTF-8"
        env.pop("LANGUAGE", None)
        if self.loader != ["wine"]:
            env["WINELOADER"] = self.loader[0]
        # Else VkKeyScanA('(') and (')') give -1; before Wine reads the keymap.
        subprocess.run(["xmodmap", "-e", "keycode 187 =", "-e", "keycode 188 ="],
                       env=env, check=True, timeout=COMMAND_TIMEOUT_S)
        # Without a window manager every window close takes about 2 s.
        self.openbox = subprocess.Popen(["openbox", "--sm-disable"], env=env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # A server of our own that stays up between programs.
        self.wineserver = subprocess.Popen(["wineserver", "-p", "-f"], env=env,
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(self.loader + ["wineboot", "-i"], env=env, check=True, timeout=600,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        reg = self.root / "settings.reg"
        lines = ["Windows Registry Editor Version 5.00", "",
                 r"[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]"]
        lines += [f'"{name}"="{font}"' for name, font in FONT_REPLACEMENTS.items()]
        # A new prefix knows how to open a text file (txtfile) but not that a
        # .txt file is one: SHELL would get Wine's "no program" box.
        lines += ["", r"[HKEY_CLASSES_ROOT\.txt]", '@="txtfile"']
        reg.write_bytes(("\r\n".join(lines) + "\r\n").encode("utf-16"))
        self.wine(["regedit", "/S", str(reg)], timeout=COMMAND_TIMEOUT_S)

    def wine(self, args: list[str], timeout: float, cwd: Optional[Path] = None,
             stderr: bool = True) -> subprocess.CompletedProcess:
        """Runs a program to its end.  Wine hands a program's standard error
        on to the programs it starts: without `stderr`, the output ends when
        this program ends, not when its last such child does."""
        return subprocess.run(self.loader + args, env=self.env, cwd=cwd, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE if stderr else subprocess.DEVNULL,
                              timeout=timeout)

    def start_program(self, args: list[str], cwd: Path, debug: Optional[str] = None) -> subprocess.Popen:
        """`debug` replaces WINEDEBUG for this program."""
        env = self.env if debug is None else {**self.env, "WINEDEBUG": debug}
        return subprocess.Popen(self.loader + args, env=env, cwd=cwd,
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)

    def stop(self) -> None:
        if self.wineserver is not None or self.env.get("WINEPREFIX"):
            try:
                subprocess.run(["wineserver", "-k"], env=self.env, timeout=COMMAND_TIMEOUT_S,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            except (OSError, subprocess.TimeoutExpired):
                pass
        for process in (self.wineserver, self.openbox, self.xvfb):
            if process is None or process.poll() is not None:
                continue
            process.terminate()
            try:
                process.wait(timeout=30)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()


def driver_json(session: WineSession, driver: Path, args: list[str], cwd: Path,
                stderr: bool = True) -> tuple[Optional[dict], str]:
    try:
        finished = session.wine([str(driver)] + args, timeout=BOX_TIMEOUT_S + 30, cwd=cwd,
                                stderr=stderr)
    except subprocess.TimeoutExpired:
        return None, "driver hung"
    out = finished.stdout.decode("utf-8", "replace").strip().splitlines()
    try:
        reply = json.loads(out[-1]) if out else None
    except json.JSONDecodeError:
        reply = None
    errors = finished.stderr.decode("utf-8", "replace")[-200:] if finished.stderr else ""
    note = f"driver exit {finished.returncode}: {errors}"
    if finished.returncode != 0 or reply is None or "error" in reply:
        return None, f"{note} {out[-1] if out else ''}".strip()
    return reply, note


def twice_under_wine(name: str, attempt: Callable[[int], list[str]]) -> list[str]:
    """What fails under Wine is tried once more (attempt 2), from a fresh
    folder.  Wine and its X server on a busy machine now and then lose a
    window or an event, which is no fault of the program; a fault of the
    program fails both times.  The first try's problems are printed either
    way, so what passes only on its second try stays visible in the log."""
    problems: list[str] = []
    for number in (1, 2):
        problems = attempt(number)
        if not problems:
            return []
        if number == 1:
            print(f"     {name}: failed on its first try, trying once more:", flush=True)
            for problem in problems:
                print(f"       {problem}", flush=True)
    return problems


def run_wine_case_twice(session: WineSession, exe: Path, driver: Path, case: Case, parent: Path) -> list[str]:
    def attempt(number: int) -> list[str]:
        folder = parent / f"try{number}" / case.subfolder
        folder.mkdir(parents=True)
        write_case_folder(case, folder)
        return run_wine_case(session, exe, driver, case, folder)
    return twice_under_wine(case.name, attempt)


def run_wine_case(session: WineSession, exe: Path, driver: Path, case: Case,
                  folder: Path) -> list[str]:
    program = folder / exe.name
    shutil.copy2(exe, program)
    if case.helper:
        shutil.copy2(driver, folder / DRIVER)
    folder_text = "Z:" + str(folder).replace("/", "\\") + "\\"
    if case.simulated:
        return run_wine_simulated(session, program, case, folder, folder_text)
    with contextlib.ExitStack() as stack:
        if case.resident_elsewhere:
            if not stack.enter_context(mutex_holder(session, driver, folder)):
                return ["the driver could not take the resident mutex"]
        if case.picture:
            if not stack.enter_context(picture_window(session, driver, folder)):
                return ["the driver's picture is not on the screen"]
        notepads = stack.enter_context(Notepads(session, driver, folder))
        for title in case.notepads:
            problem = notepads.start(title)
            if problem:
                return [problem]
        watcher = stack.enter_context(KeyWatcher(session, driver, folder)) if case.holds else None
        if watcher is not None and not watcher.ready():
            return ["the driver could not watch the keyboard"]
        problems = run_wine_program(session, program, driver, case, folder, folder_text)
        problems += check_wine_desktop(session, driver, case, folder, notepads)
        if watcher is not None:
            events, note = watcher.events()
            problems += [note] if events is None else check_released(case.holds, events)
    return problems + check_files(case, folder)


def run_wine_program(session: WineSession, program: Path, driver: Path, case: Case,
                     folder: Path, folder_text: str) -> list[str]:
    """Runs the program through the case's steps until it ends."""
    process = session.start_program([str(program)] + case.args, cwd=folder,
                                    debug=BlockCalls.DEBUG if case.block_calls else None)
    block_calls = BlockCalls(process) if case.block_calls else None
    try:
        problems = drive_wine_program(session, program, driver, case, folder, folder_text, process, block_calls)
        if problems:
            problems += describe_program(session, driver, process, folder, block_calls is None)
        return problems
    finally:
        # Its boxes go with it, so none is left for the next case's driver.
        if process.poll() is None:
            process.kill()
            process.wait()


def describe_program(session: WineSession, driver: Path, process: subprocess.Popen, folder: Path,
                     stderr_free: bool) -> list[str]:
    """After a failed step: whether the program was still running (and what
    windows the desktop showed) or how it had ended, to tell a fault of the
    program from one of Wine or of the machine."""
    code = process.poll()
    if code is None:
        reply, note = driver_json(session, driver, ["windows"], folder)
        if reply is None:
            return [f"the program was still running; no list of windows: {note}"]
        shown = [f"{w['class']} {w['caption']!r} pid {w['pid']}" for w in reply["windows"] if w["visible"]]
        return [f"the program was still running; visible windows: {'; '.join(shown) or 'none'}"]
    said = ""
    if stderr_free and process.stderr is not None:
        lines = process.stderr.read().decode("utf-8", "replace").strip().splitlines()
        said = f"; it said: {' | '.join(lines[-5:])}" if lines else ""
    return [f"the program had ended with exit code {code}{said}"]


def drive_wine_program(session: WineSession, program: Path, driver: Path, case: Case, folder: Path,
                       folder_text: str, process: subprocess.Popen,
                       block_calls: Optional["BlockCalls"]) -> list[str]:
    problems: list[str] = []
    boxes_seen = 0
    resident_window = 0
    for step in case.steps:
        if isinstance(step, (MenuKey, Ended, Resident, Chord, TrayClick, SecondStart, FileDialog,
                             TrayIcon)):
            if isinstance(step, Resident):
                reply, note = driver_json(session, driver, ["resident", "--class", "VendrixMainWindow",
                                                            "--timeout", str(BOX_TIMEOUT_S * 1000)],
                                          folder)
                resident_window = reply["hwnd"] if reply else 0
                problems += [] if reply else [f"the program did not go resident: {note}"]
            else:
                problems += run_shell_step(session, program, driver, folder, folder_text, process,
                                           case, step, resident_window)
            if problems:
                return problems
            continue
        if isinstance(step, BreakTimed):
            problems += time_break(session, driver, folder, case, step)
            if problems:
                return problems
            continue
        if isinstance(step, BlockLifted):
            problems += time_block_lifted(block_calls, folder, case, step)
            if problems:
                return problems
            continue
        if isinstance(step, Key):
            flag = "--down" if step.down else "--up"
            reply = session.wine([str(driver), "key", "--vk", str(step.vk), flag],
                                 timeout=COMMAND_TIMEOUT_S, cwd=folder)
            if reply.returncode != 0:
                problems.append(f"key {step.vk} {flag} failed")
            continue
        if isinstance(step, Input):
            problems += answer_wine_input(session, driver, folder, step)
            if problems:
                return problems
            continue
        if isinstance(step, Document):
            problems += check_document(session, driver, folder, step)
            if problems:
                return problems
            continue
        if isinstance(step, HeldThenGo):
            reply, note = driver_json(session, driver, ["keys", "--vk", key_list(step.vks),
                                                        "--wait", "down", "--timeout",
                                                        str(BOX_TIMEOUT_S * 1000)], folder)
            if reply is None or sorted(reply["down"]) != sorted(step.vks):
                problems.append(f"keys {step.vks} not held: {reply['down'] if reply else note}")
                return problems
            (folder / GO_FILE).write_bytes(b"")
            continue
        boxes_seen += 1
        wait = ["box", "--timeout", str(BOX_TIMEOUT_S * 1000), "--caption", step.caption]
        if step.window is not None:
            # Look at the step display while the box holds the run.
            reply, note = driver_json(session, driver, wait, folder)
            if reply is None:
                problems.append(f"box {boxes_seen} ({step.text!r}) never shown: {note}")
                return problems
            problems += check_wine_window(session, driver, folder, step.window)
        reply, note = driver_json(session, driver, wait + ["--press", step.press], folder)
        if reply is None:
            problems.append(f"box {boxes_seen} ({step.text!r}) not answered: {note}")
            return problems
        expected = step.text.replace("{folder}", folder_text)
        if not text_matches(expected, reply["text"]):
            problems.append(f"box {boxes_seen} reads {reply['text']!r}, expected {expected!r}")
        if step.buttons is not None and reply["buttons"] != step.buttons:
            problems.append(f"box {boxes_seen} buttons {reply['buttons']}, expected {step.buttons}")
    problems += wait_for_exit(session, driver, process, case, folder)
    if block_calls is not None and not problems:
        problems += block_calls.check_ended_free()
    return problems


class BlockCalls:
    """The program's BlockInput calls as Wine logs them on its standard
    error ("35504.085:0024:fixme:keyboard:BlockInput (1): stub": Wine's
    clock in milliseconds, then TRUE or FALSE), read as they come."""

    DEBUG = "-all,+timestamp,fixme+keyboard"
    LINE = re.compile(rb"^(\d+\.\d+):[0-9a-f]+:fixme:keyboard:BlockInput \((\d+)\)")

    def __init__(self, process: subprocess.Popen) -> None:
        self.calls: list[tuple[float, bool]] = []  # (ms, blocked)
        self.changed = threading.Condition()
        self.reader = threading.Thread(target=self.read, args=(process.stderr,), daemon=True)
        self.reader.start()

    def read(self, stream) -> None:
        for line in stream:
            found = self.LINE.match(line)
            if found:
                with self.changed:
                    self.calls.append((float(found.group(1)) * 1000, found.group(2) != b"0"))
                    self.changed.notify_all()

    def wait_for(self, count: int, timeout: float) -> list[tuple[float, bool]]:
        """The calls so far, once there are `count` of them or time is up."""
        with self.changed:
            self.changed.wait_for(lambda: len(self.calls) >= count, timeout)
            return list(self.calls)

    def check_ended_free(self) -> list[str]:
        """After the program ended: the block, the watchdog's release, and
        only releases after it (the end of the run and of the program each
        release input once more)."""
        self.reader.join(timeout=COMMAND_TIMEOUT_S)
        flags = [blocked for _, blocked in self.calls]
        if flags[:2] != [True, False] or any(flags[2:]) or len(flags) < 3:
            return [f"BlockInput was called with {flags}, expected True, then False only"]
        return []


def time_block_lifted(calls: BlockCalls, folder: Path, case: Case, step: BlockLifted) -> list[str]:
    seen = calls.wait_for(2, BOX_TIMEOUT_S)
    if len(seen) < 2:
        return [f"BlockInput calls {seen}: the block was never lifted while the macro ran"]
    (blocked_at, first), (lifted_at, second) = seen[:2]
    if not first or second:
        return [f"BlockInput was called with {first} then {second}, expected True then False"]
    # Only now may the macro end: the release seen was the watchdog's.
    (folder / GO_FILE).write_bytes(b"")
    held = lifted_at - blocked_at
    print(f"     {case.name}: input came free {held:.0f} ms after BLOCKINPUT {step.seconds}", flush=True)
    # The last tick is due at seconds*1000 ms, the next one a second later;
    # Wine's clock counts whole milliseconds, so allow one below.
    earliest, latest = step.seconds * 1000 - 1, (step.seconds + 1) * 1000
    if not earliest <= held < latest:
        return [f"input came free {held:.0f} ms after the block, expected {earliest}-{latest} ms"]
    return []


def time_break(session: WineSession, driver: Path, folder: Path, case: Case, step: BreakTimed) -> list[str]:
    reply, note = driver_json(session, driver, ["breaktime", "--vk", str(step.vk), "--after", str(step.after_ms),
                                                "--timeout", str(BOX_TIMEOUT_S * 1000)], folder)
    if reply is None:
        return [f"no break box after the key: {note}"]
    print(f"     {case.name}: the break box exists {reply['ms']:.1f} ms after the key", flush=True)
    if reply["ms"] > step.limit_ms:
        return [f"the break box came {reply['ms']:.1f} ms after the key, limit {step.limit_ms:.0f} ms"]
    return []


def run_shell_step(session: WineSession, program: Path, driver: Path, folder: Path, folder_text: str,
                   process: subprocess.Popen, case: Case, step, resident_window: int) -> list[str]:
    """A step of menu or resident mode."""
    if isinstance(step, MenuKey):
        key = ["--char", str(ord(step.char))] if step.char else ["--press", str(step.vk)]
        args = ["menu", *key, "--timeout", str(BOX_TIMEOUT_S * 1000)]
        reply, note = driver_json(session, driver, args + (["--hold"] if step.hold else []), folder)
        return [] if reply else [f"no menu to press {step.char or step.vk} in: {note}"]
    if isinstance(step, FileDialog):
        args = ["filedialog", "--timeout", str(BOX_TIMEOUT_S * 1000),
                "--press", "CANCEL" if step.typed is None else "OK"]
        if step.typed is not None:
            args += ["--type", utf8_hex(step.typed.replace("{folder}", folder_text))]
        reply, note = driver_json(session, driver, args, folder)
        if reply is None:
            return [f"file dialog not answered: {note}"]
        return [] if reply["filters"] == step.filters else [
            f"the file dialog lists {reply['filters']!r}, expected {step.filters!r}"]
    if isinstance(step, TrayIcon):
        return check_tray_icon(session, driver, folder, step)
    if isinstance(step, Ended):
        return wait_for_exit(session, driver, process, case, folder)
    if isinstance(step, Chord):
        result = session.wine([str(driver), "chord", "--vk", key_list(step.vks)], timeout=COMMAND_TIMEOUT_S, cwd=folder)
        if result.returncode != 0:
            return [f"keys {step.vks} not pressed"]
        expected = step.text.encode("cp932")
        path = folder / step.file
        deadline = time.monotonic() + TEXT_TIMEOUT_S
        while time.monotonic() < deadline:
            if path.exists() and path.read_bytes() == expected:
                return []
            time.sleep(0.02)
        found = path.read_bytes() if path.exists() else None
        return [f"after keys {step.vks} {step.file} holds {found!r}, expected {expected!r}"]
    if isinstance(step, TrayClick):
        if not resident_window:
            return ["no resident window to click the icon of"]
        result = session.wine([str(driver), "post", "--hwnd", str(resident_window), "--msg",
                               str(TRAY_MESSAGE), "--lparam", str(step.mouse_message)], timeout=COMMAND_TIMEOUT_S,
                              cwd=folder)
        return [] if result.returncode == 0 else ["cannot post the icon's message"]
    # SecondStart: a second instance while the first is resident.
    second = session.start_program([str(program)] + step.args, cwd=folder)
    try:
        reply, note = driver_json(session, driver, ["box", "--timeout", str(BOX_TIMEOUT_S * 1000),
                                                    "--caption", step.box.caption, "--press",
                                                    step.box.press], folder)
        if reply is None:
            return [f"the second start showed no box: {note}"]
        if not text_matches(step.box.text, reply["text"]):
            return [f"the second start says {reply['text']!r}, expected {step.box.text!r}"]
        code = second.wait(timeout=EXIT_TIMEOUT_S)
        return [] if code == 0 else [f"the second start ended with {code}"]
    except subprocess.TimeoutExpired:
        return ["the second start did not end"]
    finally:
        if second.poll() is None:
            second.kill()
            second.wait()


def check_tray_icon(session: WineSession, driver: Path, folder: Path, step: TrayIcon) -> list[str]:
    """Looks at the two icons in the tray, the driver's own and the program's."""
    colour = "".join(f"{part:02x}" for part in step.colour)
    reply, note = driver_json(session, driver, ["trayicons", "--colour", colour, "--icons", "2",
                                                "--timeout", str(BOX_TIMEOUT_S * 1000)], folder)
    if reply is None:
        return [f"cannot see the tray's icons: {note}"]
    matching = [icon["matching"] for icon in reply["icons"]]
    if step.shown and max(matching) < SMALL_ICON_PIXELS:
        return [f"no tray icon shows colour {colour}: {matching} of {SMALL_ICON_PIXELS} pixels"]
    if not step.shown and any(matching):
        return [f"a tray icon shows colour {colour}: {matching} pixels"]
    return []


def check_document(session: WineSession, driver: Path, folder: Path, step: Document) -> list[str]:
    wait = ["document", "--expect", utf8_hex(step.text), "--timeout", str(BOX_TIMEOUT_S * 1000)]
    reply, note = driver_json(session, driver, wait, folder)
    if reply is None:
        return [f"no notepad shows {step.text!r}: {note}"]
    problems = [f"{name} not written while {step.text!r} is open" for name in step.written
                if not (folder / name).exists()]
    problems += [f"{name} written while {step.text!r} is open" for name in step.not_written
                 if (folder / name).exists()]
    if step.close:
        reply, note = driver_json(session, driver, wait + ["--close"], folder)
        if reply is None:
            problems.append(f"cannot close the notepad showing {step.text!r}: {note}")
    return problems


def key_list(vks: list[int]) -> str:
    return ",".join(str(vk) for vk in vks)


def utf8_hex(text: str) -> str:
    return text.encode("utf-8").hex()


def check_wine_desktop(session: WineSession, driver: Path, case: Case, folder: Path,
                       notepads: "Notepads") -> list[str]:
    """What the macro left in the notepads, on the clipboard and on the keyboard."""
    problems = []
    for title, text in case.expect_text.items():
        # Typed keys may still be on their way when the program has ended.
        reply, note = driver_json(session, driver, ["text", "--hwnd", str(notepads.hwnd[title]),
                                                    "--expect", utf8_hex(text), "--timeout",
                                                    str(TEXT_TIMEOUT_S * 1000)], folder)
        if reply is None:
            problems.append(f"cannot read notepad {title!r}: {note}")
        elif reply["text"] != text:
            problems.append(f"notepad {title!r} holds {reply['text']!r}, expected {text!r}")
    if case.expect_clipboard is not None:
        reply, note = driver_json(session, driver, ["clipboard"], folder)
        ansi = case.expect_clipboard.encode("cp932").hex()
        if reply is None:
            problems.append(f"cannot read the clipboard: {note}")
        elif reply["unicode"] != case.expect_clipboard or reply["ansi"] != ansi:
            problems.append(f"the clipboard holds {reply['unicode']!r} and CF_TEXT "
                            f"{reply['ansi']}, expected {case.expect_clipboard!r} and {ansi}")
    if case.holds or case.notepads:
        keys = [SHIFT, CONTROL, ALT] + [vk for vk in case.holds if vk not in (SHIFT, CONTROL, ALT)]
        reply, note = driver_json(session, driver, ["keys", "--vk", key_list(keys)], folder)
        if reply is None or reply["down"]:
            problems.append(f"keys down after the run: {reply['down'] if reply else note}")
    return problems


class Notepads:
    """Wine's notepads for one case, each on a place of its own; all are
    ended again."""

    def __init__(self, session: WineSession, driver: Path, folder: Path) -> None:
        self.session = session
        self.driver = driver
        self.folder = folder
        self.hwnd: dict[str, int] = {}
        self.pids: list[int] = []

    def start(self, title: str, place: Optional[int] = None) -> Optional[str]:
        """Starts a notepad in the next free place, or in NOTEPAD_PLACES[place]."""
        left, top, width, height = NOTEPAD_PLACES[len(self.pids) if place is None else place]
        reply, note = driver_json(self.session, self.driver,
                                  ["notepad", "--title", utf8_hex(title), "--at",
                                   f"{left},{top},{width},{height}", "--timeout",
                                   str(BOX_TIMEOUT_S * 1000)], self.folder, stderr=False)
        if reply is None:
            return f"notepad {title!r} did not start: {note}"
        self.hwnd[title] = reply["hwnd"]
        self.pids.append(reply["pid"])
        return None

    def __enter__(self) -> "Notepads":
        return self

    def __exit__(self, *exc) -> None:
        for pid in self.pids:
            self.session.wine([str(self.driver), "kill", "--pid", str(pid)], timeout=COMMAND_TIMEOUT_S,
                              cwd=self.folder)


class KeyWatcher:
    """A driver process that records the key events meanwhile."""

    def __init__(self, session: WineSession, driver: Path, folder: Path) -> None:
        self.process = subprocess.Popen(session.loader + [str(driver), "watch"], env=session.env, cwd=folder,
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL)

    def ready(self) -> bool:
        ready, _, _ = select.select([self.process.stdout], [], [], BOX_TIMEOUT_S)
        return bool(ready) and b"ready" in self.process.stdout.readline()

    def events(self) -> tuple[Optional[list[tuple[int, str]]], str]:
        """The injected key events, as (vk, "down" or "up"), once it has stopped."""
        try:
            out, _ = self.process.communicate(timeout=COMMAND_TIMEOUT_S)
        except subprocess.TimeoutExpired:
            return None, "the key watcher did not stop"
        try:
            reply = json.loads(out.decode("utf-8", "replace").strip().splitlines()[-1])
        except (IndexError, json.JSONDecodeError):
            return None, f"the key watcher said {out[-200:]!r}"
        if reply.get("dropped"):
            return None, f"the key watcher dropped {reply['dropped']} events"
        # Wine's own key state changes are not injected, and not ours to check.
        return [(vk, kind) for vk, kind, injected in reply["events"] if injected], ""

    def __enter__(self) -> "KeyWatcher":
        return self

    def __exit__(self, *exc) -> None:
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


def answer_wine_input(session: WineSession, driver: Path, folder: Path, step: Input) -> list[str]:
    args = ["input", "--caption", step.caption, "--timeout", str(BOX_TIMEOUT_S * 1000),
            "--press", "CANCEL" if step.typed is None else "OK"]
    if step.typed is not None:
        args += ["--type", step.typed.encode("utf-8").hex()]
    reply, note = driver_json(session, driver, args, folder)
    if reply is None:
        return [f"input dialog {step.caption!r} not answered: {note}"]
    problems = []
    if reply["prompt"] != step.prompt:
        problems.append(f"input prompt {reply['prompt']!r}, expected {step.prompt!r}")
    if reply["text"] != step.initial:
        problems.append(f"input field holds {reply['text']!r}, expected {step.initial!r}")
    if not reply["selected"]:
        problems.append("the initial text is not selected")
    return problems


class HeldDriver:
    """A driver process that keeps something up until its standard input
    ends; entering waits until it prints a line holding `ready_word`."""

    def __init__(self, session: WineSession, driver: Path, folder: Path, args: list[str],
                 ready_word: bytes, ready_timeout: float = BOX_TIMEOUT_S) -> None:
        self.ready_word = ready_word
        self.ready_timeout = ready_timeout
        self.process = subprocess.Popen(session.loader + [str(driver), *args], env=session.env, cwd=folder,
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL)

    def __enter__(self) -> bool:
        ready, _, _ = select.select([self.process.stdout], [], [], self.ready_timeout)
        return bool(ready) and self.ready_word in self.process.stdout.readline()

    def __exit__(self, *exc) -> None:
        self.process.stdin.close()
        try:
            self.process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def tray_holder(session: WineSession, driver: Path, folder: Path) -> HeldDriver:
    """Holds an icon in Wine's tray for the session: the tray window then
    stays up instead of appearing (and maybe taking the focus) whenever a
    program adds the first icon."""
    return HeldDriver(session, driver, folder, ["tray"], b"held")


def picture_window(session: WineSession, driver: Path, folder: Path) -> HeldDriver:
    """Shows PICTURE meanwhile."""
    colours = "".join(f"{r:02x}{g:02x}{b:02x}" for y in range(PATCH_SIZE)
                      for r, g, b in (patch_colour(x, y) for x in range(PATCH_SIZE)))
    args = ["picture", "--at", ",".join(map(str, PICTURE)),
            "--patch", f"{PATCH_AT[0]},{PATCH_AT[1]},{PATCH_SIZE}", "--colours", colours,
            "--timeout", str(BOX_TIMEOUT_S * 1000)]
    return HeldDriver(session, driver, folder, args, b"hwnd", BOX_TIMEOUT_S + 10)


def mutex_holder(session: WineSession, driver: Path, folder: Path) -> HeldDriver:
    """Holds the resident instance's mutex meanwhile."""
    return HeldDriver(session, driver, folder, ["mutex"], b"held")


def run_wine_simulated(session: WineSession, program: Path, case: Case, folder: Path,
                       folder_text: str) -> list[str]:
    write_desktop(case, folder)
    try:
        finished = session.wine([str(program), "--sim=desktop.json", "--trace=trace.jsonl"]
                                + case.args, timeout=RUN_TIMEOUT_S, cwd=folder)
    except subprocess.TimeoutExpired:
        return [f"did not end within {RUN_TIMEOUT_S} s"]
    problems = check_trace(case, folder / "trace.jsonl", folder_text)
    if finished.returncode != case.exit_code:
        problems.append(f"exit code {finished.returncode}, expected {case.exit_code}")
    return problems + check_files(case, folder)


def wait_for_exit(session: WineSession, driver: Path, process: subprocess.Popen, case: Case,
                  folder: Path) -> list[str]:
    """Waits for the program to end; a box it shows meanwhile is a failure."""
    deadline = time.monotonic() + EXIT_TIMEOUT_S
    while time.monotonic() < deadline:
        try:
            code = process.wait(timeout=0.5)
        except subprocess.TimeoutExpired:
            reply, _ = driver_json(session, driver, ["box", "--timeout", "0"], folder)
            if reply is not None:
                return [f"unexpected box {reply['text']!r}"]
            continue
        return [] if code == case.exit_code else [f"exit code {code}, expected {case.exit_code}"]
    return [f"still running {EXIT_TIMEOUT_S} s after the last step"]


def check_wine_window(session: WineSession, driver: Path, folder: Path, window: dict) -> list[str]:
    reply, note = driver_json(session, driver, ["window", "--class", "VendrixMainWindow",
                                                "--timeout", str(BOX_TIMEOUT_S * 1000)], folder)
    if reply is None:
        return [f"no step display: {note}"]
    problems = []
    if reply["rect"] != window["rect"]:
        problems.append(f"step display at {reply['rect']}, expected {window['rect']}")
    if not reply["topmost"]:
        problems.append("step display is not topmost")
    expected_text = "".join(line + "\r\n" for line in window["lines"])
    if reply["text"] != expected_text:
        problems.append(f"step display reads {reply['text']!r}, expected {expected_text!r}")
    return problems


def end_resident(session: WineSession, driver: Path, folder: Path) -> list[str]:
    """Ends the resident program as its user does: the icon's question, Yes."""
    reply, note = driver_json(session, driver, ["resident", "--class", "VendrixMainWindow",
                                                "--timeout", str(BOX_TIMEOUT_S * 1000)], folder)
    if reply is None:
        return [f"no resident window: {note}"]
    posted = session.wine([str(driver), "post", "--hwnd", str(reply["hwnd"]), "--msg", str(TRAY_MESSAGE),
                           "--lparam", str(WM_RBUTTONDOWN)], timeout=30, cwd=folder)
    if posted.returncode != 0:
        return ["cannot post the icon's message"]
    reply, note = driver_json(session, driver, ["box", "--timeout", str(BOX_TIMEOUT_S * 1000), "--press", "YES"],
                              folder)
    return [] if reply is not None else [f"the icon's question was not answered: {note}"]


def run_wine_race(session: WineSession, exe: Path, driver: Path, folder: Path) -> list[str]:
    """Under Wine on the real desktop: the winner stays resident until its
    icon is asked to end it; every other start shows its box, which the
    driver answers, and ends."""
    program = folder / exe.name
    shutil.copy2(exe, program)
    race_folder(folder, RESIDENT_FILES)
    processes = [session.start_program([str(program), "/TSR"], cwd=folder) for _ in range(RACE_STARTS)]
    problems: list[str] = []
    answered: list[str] = []
    try:
        def running() -> int:
            return sum(process.poll() is None for process in processes)
        deadline = time.monotonic() + RACE_TIMEOUT_S
        while running() > 1 and time.monotonic() < deadline:
            reply, _ = driver_json(session, driver, ["box", "--timeout", "2000", "--caption", "vendrix",
                                                     "--press", "OK"], folder)
            if reply is not None:
                answered.append(reply["text"])
        if running() != 1:
            problems.append(f"{running()} of {RACE_STARTS} starts still running after the others ended")
        else:
            problems += end_resident(session, driver, folder)
            if not wait_until(lambda: running() == 0, EXIT_TIMEOUT_S):
                problems.append("the resident start did not end")
    finally:
        for process in processes:
            if process.poll() is None:
                process.kill()
            process.wait()
    if len(answered) != RACE_STARTS - 1 or any(text != ALREADY_RESIDENT for text in answered):
        problems.append(f"{len(answered)} boxes answered, expected {RACE_STARTS - 1} reading "
                        f"{ALREADY_RESIDENT!r}: {sorted(set(answered))!r}")
    codes = [process.returncode for process in processes]
    if any(codes):
        problems.append(f"exit codes {codes}")
        problems += [f"start {index} said: {said}" for index, said in failed_starts_stderr(processes)]
    return problems


def failed_starts_stderr(processes: list[subprocess.Popen]) -> list[tuple[int, str]]:
    """The last lines each start that ended badly wrote to its standard
    error (Wine's own complaints among them), to tell a fault of the program
    from a start that Wine could not make."""
    said = []
    for index, process in enumerate(processes):
        if process.returncode == 0 or process.stderr is None:
            continue
        lines = process.stderr.read().decode("utf-8", "replace").strip().splitlines()
        said.append((index, " | ".join(lines[-5:]) or "nothing"))
    return said


def run_backend_tests(session: WineSession, tests: Path, results: Results) -> None:
    try:
        finished = session.wine([str(tests), "--screen", f"{SCREEN[0]}x{SCREEN[1]}"], timeout=600,
                                cwd=tests.parent)
    except subprocess.TimeoutExpired:
        results.record("wine: Windows backend checks", ["did not end within 180 s"])
        return
    lines = finished.stdout.decode("utf-8", "replace").strip().splitlines()
    summary = lines[-1] if lines else ""
    problems = [line for line in lines if line.startswith("FAILED")]
    if finished.returncode != 0 and not problems:
        problems.append(f"exit code {finished.returncode}: {summary}")
    results.record(f"wine: Windows backend checks ({summary})", problems)


JPEG_TEST = Path(__file__).resolve().parent.parent / "images" / "jpeg_test.cc"
# A row as jpeg_test.cc's table holds it and vendrix_jpeg_check.exe prints it.
JPEG_ROW = re.compile(r'\{"([^"]+)",\s*0x([0-9A-Fa-f]+)u,\s*(\d+)\}')


def expected_jpeg_rows() -> list[tuple[str, int, int]]:
    """The digests the native test expects, from its table."""
    text = JPEG_TEST.read_text(encoding="utf-8")
    table = re.search(r"kExpected\[\]\s*=\s*\{(.*?)\n\};", text, re.S)
    if table is None:
        return []
    return [(name, int(digest, 16), int(size)) for name, digest, size in JPEG_ROW.findall(table.group(1))]


def run_jpeg_check(session: WineSession, checker: Path, results: Results) -> None:
    """The Windows build writes the same JPEG bytes as the native one."""
    label = "wine: JPEG files match the native build's"
    if not checker.exists():
        results.record(label, [f"{checker} was not built"])
        return
    expected = expected_jpeg_rows()
    if not expected:
        results.record(label, [f"no digests found in {JPEG_TEST}"])
        return
    try:
        finished = session.wine([str(checker)], timeout=RUN_TIMEOUT_S, cwd=checker.parent)
    except subprocess.TimeoutExpired:
        results.record(label, ["did not end within 60 s"])
        return
    out = finished.stdout.decode("utf-8", "replace")
    printed = [(name, int(digest, 16), int(size)) for name, digest, size in JPEG_ROW.findall(out)]
    problems = [f"{row[0]}: expected digest {row[1]:016X}, size {row[2]}; printed "
                f"{next((f'{p[1]:016X}, size {p[2]}' for p in printed if p[0] == row[0]), 'nothing')}"
                for row in expected if row not in printed]
    problems += [f"{row[0]} printed but not in {JPEG_TEST.name}" for row in printed
                 if row[0] not in {name for name, _, _ in expected}]
    if "too wide refused: yes" not in out:
        problems.append("a picture too wide for the library was not refused")
    if finished.returncode != 0:
        problems.append(f"exit code {finished.returncode}")
    results.record(label, problems)


def run_search_check(session: WineSession, checker: Path, results: Results) -> None:
    """The Windows build's image search gives the plain search's answers."""
    label = "wine: image search matches the plain search"
    if not checker.exists():
        results.record(label, [f"{checker} was not built"])
        return
    try:
        finished = session.wine([str(checker)], timeout=RUN_TIMEOUT_S, cwd=checker.parent)
    except subprocess.TimeoutExpired:
        results.record(label, [f"did not end within {RUN_TIMEOUT_S} s"])
        return
    lines = finished.stdout.decode("utf-8", "replace").splitlines()
    problems = [line for line in lines if line.startswith("FAILED")]
    summary = next((line for line in lines if line.endswith("differ")), "")
    if not summary.endswith(" 0 differ") and not problems:
        problems.append(f"no summary line, or differences: {summary or lines[-3:]}")
    if finished.returncode != 0 and not problems:
        problems.append(f"exit code {finished.returncode}")
    results.record(label, problems)


def wine_version_problems(session: WineSession, exe: Path, folder: Path) -> list[str]:
    """Vendrix.exe is a GUI program: --version reaches a pipe the caller
    gave it, and a file cmd.exe redirected it to."""
    try:
        piped = session.wine([str(exe), "--version"], timeout=RUN_TIMEOUT_S, cwd=folder)
    except subprocess.TimeoutExpired:
        return [f"--version did not end within {RUN_TIMEOUT_S} s"]
    problems = version_problems(piped, "Windows")
    redirected = folder / "version.txt"
    try:
        session.wine(["cmd", "/c", f"{exe.name} --version > {redirected.name}"], timeout=RUN_TIMEOUT_S, cwd=folder)
    except subprocess.TimeoutExpired:
        return problems + [f"cmd /c ... --version did not end within {RUN_TIMEOUT_S} s"]
    if not redirected.exists():
        return problems + ["cmd /c Vendrix.exe --version > version.txt wrote no file"]
    text = redirected.read_bytes().decode("ascii", "replace")
    redirected.unlink()
    return problems + [f"redirected: {problem}" for problem in version_text_problems(text, "Windows")]


def run_wine_zip(session: WineSession, package: Path, driver: Path, results: Results,
                 only: list[str], temp: Path) -> None:
    """Unzips the package into a fresh folder and runs its Vendrix.exe from
    there: --version, the samples on the simulated desktop, and the first
    sample on Wine's desktop with the driver answering its boxes."""
    label = f"zip {package.name}"
    if not package.exists():
        results.record(f"{label}: built", [f"{package} does not exist"])
        return
    unpacked = temp / "unzipped"
    with zipfile.ZipFile(package) as archive:
        names = [name for name in archive.namelist() if not name.endswith("/")]
        archive.extractall(unpacked)
    top = package.stem + "/"
    outside = [name for name in names if not name.startswith(top)]
    inside = [name[len(top):] for name in names if name.startswith(top)]
    results.record(f"{label}: one folder {top} holding what tests/package/zip-contents.txt lists",
                   [f"outside {top}: {name}" for name in outside] +
                   listing_problems("zip-contents.txt", inside))
    folder = unpacked / package.stem
    program = folder / "Vendrix.exe"
    if selected("--version", only):
        results.record(f"{label}: --version", wine_version_problems(session, program, folder))
    for example in EXAMPLES:
        if not selected(example.name, only):
            continue
        # A sample with a folder of its own runs with it as the program
        # folder (--home), the others in the program's own.
        home = folder / example.folder
        home_args = [f"--home={wine_folder_text(home).rstrip(chr(92))}"] if example.folder else []
        desktop = f"{example.folder}\\{example.desktop}" if example.folder else example.desktop
        trace_path = folder / "trace.jsonl"
        try:
            finished = session.wine([str(program), f"--sim={desktop}",
                                     f"--trace={trace_path.name}"] + home_args + example.args,
                                    timeout=RUN_TIMEOUT_S, cwd=folder)
        except subprocess.TimeoutExpired:
            finished = None
        results.record(f"{label}: {example.name}",
                       check_example(example, finished, trace_path, home, wine_folder_text(home)))
    if selected("on the desktop", only):
        first = EXAMPLES[0]
        case = Case(f"{first.name} on the desktop", args=first.args,
                    steps=[Box(text, "YES") for text in first.boxes])
        results.record(f"{label}: {case.name}",
                       run_wine_program(session, program, driver, case, folder, wine_folder_text(folder)))


def wine_folder_text(folder: Path) -> str:
    """A folder as a Windows program under Wine spells it, with a final separator."""
    return "Z:" + str(folder).replace("/", "\\") + "\\"


# ---------------------------------------------------------------------------
# The recorder under Wine: a session in notepad recorded, then played back
# ---------------------------------------------------------------------------

RECORDER_NAME = "recorder: typing and a click in notepad recorded by Zemlo.exe and played back"
RECORDER_TITLE = "Zemlo round trip"
# h e l l o space w o r l d Enter 4 2, typed by the driver (injected, which
# the recorder's test switch accepts).
RECORDER_KEYS = [72, 69, 76, 76, 79, 32, 87, 79, 82, 76, 68, 13, 52, 50]
RECORDER_TEXT = "hello world\r\n42"
# Inside the first notepad's edit (NOTEPAD_PLACES): the click that brings it forward.
RECORDER_CLICK = (250, 200)
RECORDER_SAVE_TITLE = "記録したマクロの保存"
RECORDER_MENU = crlf(":Hello", "hello.mac")


def wait_for_file(path: Path, timeout: float) -> bool:
    return wait_until(path.exists, timeout)


def recorder_driver(session: WineSession, driver: Path, folder: Path, args: list[str]) -> tuple[Optional[dict], str]:
    return driver_json(session, driver, args + ["--timeout", str(BOX_TIMEOUT_S * 1000)], folder)


def record_in_notepad(session: WineSession, driver: Path, folder: Path, notepad: int) -> list[str]:
    """Drives one recording: Record, the notepad in front, a click and
    typing, Stop, and the save dialog answered with "recorded"."""
    steps = [
        (["button", "--class", "ZemloRecorder", "--text", utf8_hex("記録")], "Record"),
        (["caption", "--class", "ZemloRecorder", "--expect", utf8_hex("Zemlo - ● 記録中")], "recording"),
        # A click brings the notepad forward, as a user would do it.
        (["front", "--hwnd", str(notepad), "--click", "{},{}".format(*RECORDER_CLICK)], "notepad in front"),
    ]
    for args, what in steps:
        reply, note = recorder_driver(session, driver, folder, args)
        if reply is None:
            return [f"{what}: {note}"]
    typed = session.wine([str(driver), "type", "--vk", key_list(RECORDER_KEYS)], timeout=COMMAND_TIMEOUT_S, cwd=folder)
    if typed.returncode != 0:
        return [f"driver type failed, exit {typed.returncode}: {typed.stderr.decode('utf-8', 'replace')[-300:]}"]
    # The keys have passed the hooks once notepad shows them.
    reply, note = recorder_driver(session, driver, folder,
                                  ["text", "--hwnd", str(notepad), "--expect", utf8_hex(RECORDER_TEXT)])
    if reply is None or reply["text"] != RECORDER_TEXT:
        return [f"notepad never read {RECORDER_TEXT!r} while recording: {reply['text'] if reply else note}"]
    reply, note = recorder_driver(session, driver, folder,
                                  ["button", "--class", "ZemloRecorder", "--text", utf8_hex("停止")])
    if reply is None:
        return [f"Stop: {note}"]
    reply, note = recorder_driver(session, driver, folder,
                                  ["input", "--caption-hex", utf8_hex(RECORDER_SAVE_TITLE),
                                   "--type", utf8_hex("recorded"), "--press", "OK"])
    if reply is None:
        return [f"no save dialog: {note}"]
    if not re.fullmatch(r"rec-\d{8}-\d{6}\.mac", reply["text"]):
        return [f"the save dialog suggested {reply['text']!r}"]
    return []


def check_recorded_files(folder: Path) -> list[str]:
    macro_path = folder / "recorded.mac"
    if not wait_for_file(macro_path, BOX_TIMEOUT_S):
        return ["recorded.mac was not written"]
    macro = macro_path.read_bytes().decode("cp932", "replace")
    problems = []
    # Exactly what a person would write: the notepad activated, the click
    # relative to it, the typing as KEY lines; nothing of the driver's own
    # keys or of the recorder's window.  Where a busy machine paused between
    # the driver's steps the recorder rightly writes a DELAY, and a KEY line
    # goes on in the next: both are taken out before comparing.
    lines = []
    for line in macro.split("\r\n"):
        if line.startswith("DELAY "):
            continue
        if line.startswith("KEY ") and lines and lines[-1].startswith("KEY "):
            lines[-1] += " " + line[len("KEY "):]
        else:
            lines.append(line)
    expected = [r"; Zemlo で記録 \d{4}/\d{2}/\d{2} \d{2}:\d{2}", re.escape(f'ACTIVATE-WINDOW "{RECORDER_TITLE}"'),
                re.escape("SETORIGIN (getwindowpos)"), r"LCLICK \d+,\d+", re.escape("KEY hello [SPACE] world [ENTER] 42"),
                ""]
    if len(lines) != len(expected) or not all(re.fullmatch(e, line) for e, line in zip(expected, lines)):
        problems.append(f"recorded.mac reads {macro!r}")
    # The menu item is written just after the macro.
    menu_path = folder / "Vendrix.MNU"
    item = re.escape(RECORDER_MENU) + r":記録 \d{4}/\d{2}/\d{2} \d{2}:\d{2}\r\nrecorded\.mac\r\n"
    if not wait_until(lambda: re.fullmatch(item, menu_path.read_bytes().decode("cp932", "replace")) is not None,
                      BOX_TIMEOUT_S):
        problems.append(f"Vendrix.MNU reads {menu_path.read_bytes().decode('cp932', 'replace')!r}")
    return problems


def close_recorder(session: WineSession, driver: Path, folder: Path, recorder: Optional[subprocess.Popen]) -> list[str]:
    """Closes the recorder's window; it ends with 0."""
    reply, note = recorder_driver(session, driver, folder, ["caption", "--class", "ZemloRecorder"])
    if reply is None:
        return [f"no recorder window: {note}"]
    session.wine([str(driver), "post", "--hwnd", str(reply["hwnd"]), "--msg", "16", "--lparam", "0"],
                 timeout=COMMAND_TIMEOUT_S, cwd=folder)
    if recorder is None:  # started by Vendrix: gone once its window is
        gone = wait_until(lambda: recorder_driver(session, driver, folder,
                                                  ["caption", "--class", "ZemloRecorder", "--timeout", "0"])[0] is None,
                          EXIT_TIMEOUT_S)
        return [] if gone else ["the recorder's window stayed after WM_CLOSE"]
    try:
        code = recorder.wait(timeout=EXIT_TIMEOUT_S)
    except subprocess.TimeoutExpired:
        return ["Zemlo.exe did not end when its window was closed"]
    return [] if code == 0 else [f"Zemlo.exe ended with {code}"]


def start_recorder_from_menu(session: WineSession, exe: Path, driver: Path, folder: Path) -> list[str]:
    """The menu's 記録 (accelerator ^) starts Zemlo.exe beside the program
    and ends with 0."""
    menu = session.start_program([str(folder / exe.name)], cwd=folder)
    try:
        reply, note = recorder_driver(session, driver, folder, ["menu", "--char", str(ord("^"))])
        if reply is None:
            return [f"no menu to pick 記録 from: {note}"]
        problems = wait_for_exit(session, driver, menu, Case(name=RECORDER_NAME), folder)
    finally:
        if menu.poll() is None:
            menu.kill()
            menu.wait()
    return problems + close_recorder(session, driver, folder, None)


def run_wine_recorder_twice(session: WineSession, exe: Path, driver: Path, parent: Path) -> list[str]:
    """The recorder's round trip drives three programs through Wine's input
    and focus: tried twice, as the cases are."""
    def attempt(number: int) -> list[str]:
        folder = parent / f"try{number}"
        folder.mkdir(parents=True)
        return run_wine_recorder(session, exe, driver, folder)
    return twice_under_wine(RECORDER_NAME, attempt)


def run_wine_recorder(session: WineSession, exe: Path, driver: Path, folder: Path) -> list[str]:
    zemlo = exe.parent / "Zemlo.exe"
    if not zemlo.exists():
        return [f"{zemlo} is not built"]
    for program in (exe, zemlo):
        shutil.copy2(program, folder / program.name)
    (folder / "Vendrix.INI").write_bytes(b"[Options]\r\n")
    (folder / "Zemlo.INI").write_bytes(crlf("[Options]", "menufile=Vendrix.MNU", "hotkey=").encode("cp932"))
    (folder / "Vendrix.MNU").write_bytes(RECORDER_MENU.encode("cp932"))
    with Notepads(session, driver, folder) as notepads:
        problem = notepads.start(RECORDER_TITLE)
        if problem:
            return [problem]
        recorder = session.start_program([str(folder / zemlo.name), "/ACCEPTINJECTED"], cwd=folder)
        try:
            problems = record_in_notepad(session, driver, folder, notepads.hwnd[RECORDER_TITLE])
            problems = problems or check_recorded_files(folder)
            problems += close_recorder(session, driver, folder, recorder)
        finally:
            if recorder.poll() is None:
                recorder.kill()
                recorder.wait()
    if problems:
        return problems
    return play_back_recording(session, driver, folder) + start_recorder_from_menu(session, exe, driver, folder)


def play_back_recording(session: WineSession, driver: Path, folder: Path) -> list[str]:
    """The saved macro run by Vendrix.exe against a fresh notepad with the
    same title, in another place: it must end up with the same text."""
    with Notepads(session, driver, folder) as notepads:
        # Another place than while recording: the macro finds the window where it is now.
        problem = notepads.start(RECORDER_TITLE, place=1)
        if problem:
            return [problem]
        run = session.start_program([str(folder / "Vendrix.exe"), "-FILE=recorded.mac"], cwd=folder)
        problems = wait_for_exit(session, driver, run, Case(name=RECORDER_NAME), folder)
        reply, note = recorder_driver(session, driver, folder, ["text", "--hwnd", str(notepads.hwnd[RECORDER_TITLE]),
                                                                "--expect", utf8_hex(RECORDER_TEXT)])
        if reply is None or reply["text"] != RECORDER_TEXT:
            problems.append(f"played back, notepad reads {reply['text'] if reply else note!r}, "
                            f"expected {RECORDER_TEXT!r}")
    return problems


def run_wine(exe: Path, driver: Path, backend_tests: Optional[Path], results: Results,
             only: list[str], arch: str, packages: list[Path]) -> None:
    started = time.monotonic()
    with tempfile.TemporaryDirectory(prefix="vendrix-wine-") as temp:
        with WineSession(Path(temp), arch) as session, tray_holder(session, driver, Path(temp)) as tray:
            print(f"wine: prefix ready after {time.monotonic() - started:.1f} s", flush=True)
            if not tray:
                results.record("wine: set-up", ["the driver could not put an icon in the tray"])
                return
            if backend_tests is not None and selected("Windows backend checks", only):
                run_backend_tests(session, backend_tests, results)
            if selected("JPEG files match", only):
                run_jpeg_check(session, exe.parent / "vendrix_jpeg_check.exe", results)
            if selected("image search matches", only):
                run_search_check(session, exe.parent / "vendrix_search_check.exe", results)
            if selected("--version", only):
                # cmd.exe finds the program in its current folder.
                version_folder = Path(temp) / "version"
                version_folder.mkdir()
                shutil.copy2(exe, version_folder / exe.name)
                results.record("wine: --version",
                               wine_version_problems(session, version_folder / exe.name, version_folder))
            for index, check in enumerate(CHECK_CASES):
                if selected(check.name, only):
                    folder = Path(temp) / f"check{index:02d}"
                    folder.mkdir()
                    results.record(f"wine: {check.name}", run_wine_check(session, exe, check, folder))
            for case in CASES:
                if "wine" not in case.modes or not selected(case.name, only):
                    continue
                case_started = time.monotonic()
                problems = run_wine_case_twice(session, exe, driver, case, Path(temp) / f"case{CASES.index(case):02d}")
                results.record(f"wine: {case.name} ({time.monotonic() - case_started:.1f} s)",
                               problems)
            if selected(RACE_NAME, only):
                folder = Path(temp) / "race"
                folder.mkdir()
                race_started = time.monotonic()
                problems = run_wine_race(session, exe, driver, folder)
                results.record(f"wine: {RACE_NAME} ({time.monotonic() - race_started:.1f} s)", problems)
            if selected(RECORDER_NAME, only):
                recorder_started = time.monotonic()
                problems = run_wine_recorder_twice(session, exe, driver, Path(temp) / "recorder")
                results.record(f"wine: {RECORDER_NAME} ({time.monotonic() - recorder_started:.1f} s)", problems)
            for index, package in enumerate(packages):
                package_folder = Path(temp) / f"package{index}"
                package_folder.mkdir()
                run_wine_zip(session, package, driver, results, only, package_folder)
    print(f"wine: {time.monotonic() - started:.1f} s in all", flush=True)


# ---------------------------------------------------------------------------


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--native", type=Path, help="the Linux build's vendrix binary")
    parser.add_argument("--wine", type=Path, help="the Windows build's Vendrix.exe")
    parser.add_argument("--driver", type=Path,
                        help="vendrix_e2e_driver.exe (default: beside Vendrix.exe)")
    parser.add_argument("--backend-tests", type=Path,
                        help="vendrix_win32_tests.exe (default: beside Vendrix.exe)")
    parser.add_argument("--wine-arch", choices=("win32", "win64"), default="win32",
                        help="the Wine prefix's kind (win64 runs both builds, slower to set up)")
    parser.add_argument("-k", dest="only", action="append", default=[],
                        help="run only cases whose name holds this text (may be repeated)")
    parser.add_argument("--package", type=Path, action="append", default=[],
                        help="a .deb or .zip package to unpack and run (may be repeated)")
    parser.add_argument("--keep-traces", type=Path,
                        help="copy each native run's trace into this folder (tools/compare-traces)")
    options = parser.parse_args()
    zips = [package.resolve() for package in options.package if package.suffix == ".zip"]
    debs = [package.resolve() for package in options.package if package.suffix == ".deb"]
    if len(zips) + len(debs) != len(options.package):
        parser.error("--package takes a .zip or a .deb")
    if zips and not options.wine:
        parser.error("a .zip package runs in the Wine session: give --wine too")
    if not options.native and not options.wine and not debs:
        parser.error("give --native, --wine, a .deb --package, or several")
    if options.keep_traces:
        global KEPT_TRACES
        KEPT_TRACES = options.keep_traces.resolve()
        KEPT_TRACES.mkdir(parents=True, exist_ok=True)

    # Ended by the CI's time limit: still stop what we started.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    results = Results()
    if options.native:
        run_native(options.native.resolve(), results, options.only)
    for deb in debs:
        run_deb(deb, results, options.only)
    if options.wine:
        exe = options.wine.resolve()
        driver = (options.driver or exe.parent / "vendrix_e2e_driver.exe").resolve()
        backend = (options.backend_tests or exe.parent / "vendrix_win32_tests.exe").resolve()
        refusal = kernel_refuses_32_bit() if wine_loader(options.wine_arch) == ["wine"] else None
        if refusal:
            results.not_run(f"wine ({options.wine_arch}), {exe.name} and its package", refusal)
        else:
            try:
                run_wine(exe, driver, backend if backend.exists() else None, results, options.only,
                         options.wine_arch, zips)
            except (OSError, RuntimeError, subprocess.SubprocessError) as error:
                results.record("wine: set-up", [str(error)])
    print(f"{results.passed} passed, {results.failed} failed", flush=True)
    return 0 if results.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
