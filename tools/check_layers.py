#!/usr/bin/env python3
"""Checks that every folder of src/ includes only itself and the layers below.

The layers, lowest first, are the table LAYERS; a folder may include its own
headers and those of the folders its row names.  The build runs this before
compiling any library (the target vendrix_layer_check), so an include that
points up a layer fails `cmake --build`; tools/check-source runs it too.

  tools/check_layers.py [--stamp FILE]
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
SOURCE = ROOT / "src"

BASE = ["values"]
IMAGES = ["images"] + BASE
PLATFORM = ["platform"] + IMAGES
DESKTOP = ["desktop"] + PLATFORM
ENGINE = ["engine"] + DESKTOP
BUILTINS = ["builtins"] + ENGINE
SHELL = ["shell"] + BUILTINS
CHECKER = ["checker"] + SHELL

# Folder: the folders it may include.  A backend sees only the interface
# below it, never another backend.
LAYERS = {
    "values": BASE,
    "images": IMAGES,
    "platform": PLATFORM,
    "platform/sim": ["platform/sim"] + PLATFORM,
    "platform/posix": ["platform/posix"] + PLATFORM,
    "platform/win32": ["platform/win32"] + PLATFORM,
    "desktop": DESKTOP,
    # Turns a recording into a macro; beside the interpreter, over the desktop.
    "recorder": ["recorder"] + DESKTOP,
    # Zemlo.exe's window and hooks: the recorder over the Windows backend.
    "recorder/win32": ["recorder/win32", "recorder", "platform/win32"] + DESKTOP,
    "engine": ENGINE,
    "builtins": BUILTINS,
    "shell": SHELL,
    # --check: loads what a start would, with the shell's file readers.
    "checker": CHECKER,
    "app": ["app", "platform/sim", "platform/posix", "platform/win32", "recorder", "recorder/win32"] + CHECKER,
}

# Single headers shared across a layer's boundary, with the reason.
SHARED_HEADERS = {
    # The conversion at the Windows edge, which the simulator's trace uses
    # when it is built for Windows; its own library (vendrix_win32_text).
    "platform/win32/win32_text.h": ["platform/sim"],
}

# Headers below a folder that it may still not include, each with the files
# of the folder exempt.  The built-ins see the interpreter only through
# engine/interpreter.h; the opener's header alone, which hands out engines,
# names the engine itself.
NARROWED = {
    "builtins": {"engine/engine.h": ["builtins/builtins.h"]},
}

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)


def folder_of(path):
    """The table's key for a file or an included path: its layer folder."""
    parts = pathlib.PurePosixPath(path).parts[:-1]
    for depth in (2, 1):
        key = "/".join(parts[:depth])
        if key in LAYERS:
            return key
    return None


def problems(source=SOURCE):
    for path in sorted(source.rglob("*")):
        if path.suffix not in (".h", ".cc"):
            continue
        relative = path.relative_to(source).as_posix()
        folder = folder_of(relative)
        if folder is None:
            yield f"src/{relative}: in no layer (add its folder to LAYERS in tools/check_layers.py)"
            continue
        text = path.read_text(encoding="utf-8", errors="replace")
        for match in INCLUDE.finditer(text):
            included = match.group(1)
            target = folder_of(included)
            line = text.count("\n", 0, match.start()) + 1
            exempt = NARROWED.get(folder, {}).get(included)
            if exempt is not None and relative not in exempt:
                yield (f"src/{relative}:{line}: {folder}/ may not include \"{included}\" "
                       f"(only {', '.join(exempt)} may; the rest see it through its narrow interface)")
                continue
            if target is None or target in LAYERS[folder]:
                continue
            if folder in SHARED_HEADERS.get(included, []):
                continue
            yield (f"src/{relative}:{line}: {folder}/ may not include \"{included}\" "
                   f"({target}/ is not below it; {folder}/ may include {', '.join(LAYERS[folder])})")


def main(argv):
    found = list(problems())
    for problem in found:
        print(problem, file=sys.stderr)
    if found:
        print(f"{len(found)} include(s) against the layers", file=sys.stderr)
        return 1
    if len(argv) == 3 and argv[1] == "--stamp":
        pathlib.Path(argv[2]).write_text("layers checked\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
