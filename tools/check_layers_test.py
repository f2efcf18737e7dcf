#!/usr/bin/env python3
"""Tests of tools/check_layers.py on small made-up source trees."""
import pathlib
import sys
import tempfile
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import check_layers  # noqa: E402


def problems_in(files):
    """The check's findings on a tree of {path: text} under a fresh src/."""
    with tempfile.TemporaryDirectory() as folder:
        root = pathlib.Path(folder)
        for name, text in files.items():
            (root / name).parent.mkdir(parents=True, exist_ok=True)
            (root / name).write_text(text)
        return list(check_layers.problems(root))


class CheckLayersTest(unittest.TestCase):
    def test_includes_downwards_and_within_a_folder_pass(self):
        self.assertEqual(problems_in({
            "values/a.h": '#include "values/b.h"\n',
            "engine/e.cc": '#include "desktop/d.h"\n#include "platform/platform.h"\n#include <vector>\n',
            "platform/sim/s.cc": '#include "platform/sim/t.h"\n#include "images/image.h"\n',
            "app/main.cc": '#include "platform/posix/p.h"\n#include "shell/program.h"\n',
        }), [])

    def test_each_upward_or_sideways_include_is_named_with_its_line(self):
        cases = [
            ("values/a.cc", '#include "values/b.h"\n#include "engine/engine.h"\n', "src/values/a.cc:2:"),
            ("desktop/k.cc", '#  include "builtins/dispatch.h"\n', "src/desktop/k.cc:1:"),
            ("engine/r.cc", '#include "shell/program.h"\n', "src/engine/r.cc:1:"),
            ("platform/posix/f.cc", '#include "platform/sim/sim_desktop.h"\n', "src/platform/posix/f.cc:1:"),
            ("platform/platform.h", '#include "desktop/keys.h"\n', "src/platform/platform.h:1:"),
        ]
        for path, text, where in cases:
            with self.subTest(path=path):
                found = problems_in({path: text})
                self.assertEqual(len(found), 1, found)
                self.assertTrue(found[0].startswith(where), found[0])

    def test_the_one_shared_backend_header_is_allowed_only_where_listed(self):
        shared = '#include "platform/win32/win32_text.h"\n'
        self.assertEqual(problems_in({"platform/sim/u.cc": shared}), [])
        self.assertEqual(len(problems_in({"platform/posix/u.cc": shared})), 1)

    def test_builtins_reach_the_engine_only_through_the_interpreter_header(self):
        self.assertEqual(problems_in({
            "builtins/stmt.cc": '#include "engine/interpreter.h"\n#include "engine/expression.h"\n',
            "builtins/builtins.h": '#include "engine/engine.h"\n',
            "shell/program.cc": '#include "engine/engine.h"\n',
        }), [])
        for path in ("builtins/stmt.cc", "builtins/dispatch.h"):
            with self.subTest(path=path):
                found = problems_in({path: '#include "values/sjis.h"\n#include "engine/engine.h"\n'})
                self.assertEqual(len(found), 1, found)
                self.assertTrue(found[0].startswith(f"src/{path}:2:"), found[0])
                self.assertIn("engine/engine.h", found[0])

    def test_a_file_outside_every_layer_is_reported(self):
        found = problems_in({"newfolder/x.cc": ""})
        self.assertEqual(len(found), 1)
        self.assertIn("in no layer", found[0])


if __name__ == "__main__":
    unittest.main()
