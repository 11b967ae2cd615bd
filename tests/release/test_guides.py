#!/usr/bin/env python3
# Checks that the users' guides show every box the programs have, and nothing else.
"""The bench's table of texts (tests/e2e/texts.py) lists every box of both programs, and
the release checks find each of its texts in the built programs. A box added there must
get its picture (tests/release/screenshots.py) and its place in both guides; a box taken
out must leave them. Each guide must show only pictures that exist."""

import re
import sys
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
DOCS = ROOT / "docs"
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

import texts  # noqa: E402

PROGRAMS = ("quelbrin", "dornavet")
LANGUAGES = ("ja", "en")
PICTURE = re.compile(r"!\[[^\]]*\]\((images/[^)]+\.png)\)")


def pictures_in(guide):
    return PICTURE.findall((DOCS / guide).read_text(encoding="utf-8"))


class GuidesShowEveryBox(unittest.TestCase):
    def test_every_box_has_a_picture_in_both_guides(self):
        for program in PROGRAMS:
            wanted = {f"images/{program}-{name}.png" for name in list(texts.PROGRAM_BOXES[program]) + ["folder"]}
            for language in LANGUAGES:
                guide = f"{program}.{language}.md"
                with self.subTest(guide):
                    shown = pictures_in(guide)
                    self.assertEqual(sorted(wanted - set(shown)), [], f"{guide} lacks these boxes")
                    self.assertEqual(sorted(set(shown) - wanted), [], f"{guide} shows boxes the program lacks")
                    self.assertEqual(len(shown), len(set(shown)), f"{guide} shows a box twice")

    def test_every_picture_shown_exists_and_every_picture_is_shown(self):
        shown = {picture for program in PROGRAMS for language in LANGUAGES
                 for picture in pictures_in(f"{program}.{language}.md")}
        present = {f"images/{p.name}" for p in (DOCS / "images").glob("*.png")}
        self.assertEqual(sorted(shown - present), [], "pictures the guides show are missing")
        self.assertEqual(sorted(present - shown), [], "pictures no guide shows")

    def test_the_two_languages_show_the_boxes_in_the_same_order(self):
        for program in PROGRAMS:
            with self.subTest(program):
                self.assertEqual(pictures_in(f"{program}.ja.md"), pictures_in(f"{program}.en.md"))


if __name__ == "__main__":
    unittest.main()
