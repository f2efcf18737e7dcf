#!/usr/bin/env python3
"""Tests of tools/check-reference: the example markup, the comparison and the table readers.

Ends with the line "N passed, N failed" for tools/test-all.
"""

import sys
import types
import unittest
from pathlib import Path

# The checker is a script without a .py name; load it as a module.
_PATH = Path(__file__).resolve().parent / "check-reference"
ref = types.ModuleType("check_reference")
ref.__file__ = str(_PATH)
sys.modules[ref.__name__] = ref
exec(compile(_PATH.read_text(encoding="utf-8"), str(_PATH), "exec"), ref.__dict__)

PAGE = """# Page

### `LEN`

```vendrix
MESSAGE %0 (len abc)
```

```desktop
{"answers": ["NO"]}
```

```file data.txt
x
```

```shows
3
```

### `POS`

```vendrix
KEY a
```
"""


class ExampleMarkup(unittest.TestCase):
    def test_blocks_before_a_shows_block_make_one_example_named_by_its_heading(self):
        examples, errors = ref.parse_examples("p.md", PAGE)
        self.assertEqual(len(examples), 1)
        example = examples[0]
        self.assertEqual((example.name, example.macro, example.shows), ("`LEN`", "MESSAGE %0 (len abc)", "3"))
        self.assertEqual(example.desktop, '{"answers": ["NO"]}')
        self.assertEqual(example.files, {"data.txt": "x"})
        self.assertEqual(len(errors), 1)
        self.assertIn("`POS`: example without a shows block", errors[0])

    def test_shows_directives_round_trip(self):
        cases = [
            "plain box",
            "two↵lines",
            "@@starts with at",
            "@call Beep {\"frequency\":37,\"ms\":1000,\"result\":true}",
            "@input 65↓ 65↑ L↓ wheel:-360",
            "@file out.txt\n> first\n>\n> third",
            "@file gone.txt\n@missing",
            "@exit 1",
        ]
        for text in cases:
            with self.subTest(text=text):
                source = text.replace("@missing", "").replace("@file gone.txt\n", "@missing-file gone.txt")
                self.assertEqual(ref.parse_shows(source.strip()).render(), text)

    def test_empty_block_shows_nothing_but_an_empty_line_is_an_empty_box(self):
        self.assertEqual(ref.parse_shows("").boxes, [])
        self.assertEqual(ref.parse_shows("\nx").boxes, ["", "x"])

    def test_unknown_directive_is_refused(self):
        with self.assertRaises(ValueError):
            ref.parse_shows("@exitcode 1")

    def test_order_of_sections_does_not_matter_but_order_within_does(self):
        self.assertEqual(ref.parse_shows("@exit 1\nbox").render(), ref.parse_shows("box\n@exit 1").render())
        self.assertNotEqual(ref.parse_shows("a\nb").render(), ref.parse_shows("b\na").render())

    def test_file_without_final_line_end_differs_from_one_with_it(self):
        self.assertNotEqual(ref.file_lines("a\r\nb"), ref.file_lines("a\r\nb\r\n"))


class Observation(unittest.TestCase):
    def test_input_tokens(self):
        cases = [
            ({"call": "keybd_event", "vk": 65, "flags": 0}, "65↓"),
            ({"call": "keybd_event", "vk": 16, "flags": 3}, "16↑"),
            ({"call": "SendInput", "type": "keyboard", "vk": 13, "flags": 2}, "13↑"),
            ({"call": "mouse_event", "flags": 2, "data": 0}, "L↓"),
            ({"call": "SendInput", "type": "mouse", "flags": 0x10, "data": 0}, "R↑"),
            ({"call": "mouse_event", "flags": 0x800, "data": -240}, "wheel:-240"),
        ]
        for entry, token in cases:
            with self.subTest(token=token):
                self.assertEqual(ref.input_token(entry), token)

    def test_observe_keeps_only_what_the_page_asks_about(self):
        trace = [{"t": 0, "call": "MessageBoxA", "text": "a\rb"},
                 {"t": 5, "call": "Beep", "frequency": 440, "ms": 10, "result": True},
                 {"t": 5, "call": "keybd_event", "vk": 65, "flags": 0}]
        expected = ref.parse_shows('@call Beep {"frequency":440,"ms":10,"result":true}')
        shown = ref.observe(trace, Path("/nonexistent"), 0, expected)
        self.assertEqual(shown.render(), 'a↵b\n@call Beep {"frequency":440,"ms":10,"result":true}')


SOURCE = """
constexpr KeywordHandler kStatements[] = {
    {"IF", StmtIf}, {"SET-IME", StmtSetIme},
    {"END", StmtEnd},
};
constexpr std::array<FunctionEntry, kFunctionCount> kTable = {{
    Variadic("+", OpSum), Fixed("find-window", FnFindWindow), Source("getenv", FnGetEnv),
    Pure(Integer<FnLen>("len")), Pure(Integer<OpMod>("mod")),
}};
constexpr const char* kNamedSystemVariables[] = {"%breakkey", "%capturejpg"};
for (int i = 0; i < 3; ++i) Append("%" + std::to_string(i), "");
Settings ReadOptions(std::string_view bytes) {
  s.a = read.FlagOne("about", false);
  s.e = read.String("editor");
}
constexpr NamedKey kNamedKeys[] = {
    {"[ESC]", 27}, {"[F1]", 112},
};
if (upper == "[SEMICOLON]") return 1;
if (upper.compare(0, 5, "[OEM-") == 0) return 2;
"""


class ProgramTables(unittest.TestCase):
    def test_readers_find_every_name(self):
        self.assertEqual(ref.program_statements(SOURCE), {"IF", "SET-IME", "END"})
        self.assertEqual(ref.program_functions(SOURCE),
                         {"+": "operator", "find-window": "function", "getenv": "function",
                          "len": "function", "mod": "operator"})
        self.assertEqual(ref.program_variables(SOURCE), {"%0", "%1", "%2", "%breakkey", "%capturejpg"})
        self.assertEqual(ref.program_options(SOURCE), {"about", "editor"})
        self.assertEqual(ref.program_keys(SOURCE),
                         {"[ESC]": 27, "[F1]": 112, "[SEMICOLON]": None, "[OEM-n]": None})

    def test_missing_table_is_a_problem_not_a_pass(self):
        self.assertEqual(ref.program_statements(""), set())
        problems = ref.compare_names("statement", set(), set())
        self.assertEqual(problems, ["statement: the program's table was not found in src/"])

    def test_names_missing_either_way_are_reported(self):
        problems = ref.compare_names("function", {"len", "pos"}, {"len", "gone"})
        self.assertEqual(problems, ["function without a reference entry: pos",
                                    "function in the reference but not in the program: gone"])

    def test_documented_names_come_from_headings_and_ranges_expand(self):
        page = "## `A`\n### `B`, `C`\n#### `D`\ntext `E`\n### `%0 … %2`"
        self.assertEqual(ref.documented_names(page), {"A", "B", "C", "%0 … %2"})
        self.assertEqual(ref.expand_variable_ranges({"%0 … %2", "%x"}), {"%0", "%1", "%2", "%x"})

    def test_documented_key_codes(self):
        page = "| `[ESC]` | 27 | x |\n| `[OEM-n]` | n | y |\nnot a row `[F1]` | 1 |"
        self.assertEqual(ref.documented_keys(page), {"[ESC]": 27, "[OEM-n]": None})


class Anchors(unittest.TestCase):
    def test_anchors_follow_the_renderers_rule(self):
        page = ("# Top\n### `CALL`, `GOSUB`\n### `%0 … %63`\n### `SET-IME`\n## Names `readkey` gives\n"
                "```vendrix\n# not a heading\n```\n## Top\n")
        self.assertEqual(ref.heading_anchors(page),
                         {"top", "call-gosub", "0--63", "set-ime", "names-readkey-gives", "top-1"})


if __name__ == "__main__":
    result = unittest.main(exit=False, verbosity=1).result
    failed = len(result.failures) + len(result.errors)
    print(f"{result.testsRun - failed} passed, {failed} failed")
    sys.exit(1 if failed else 0)
