"""Tests of scripts/check-links: GitHub's anchors, and which links it finds broken, over pages
written into a temporary folder. Run: python3 tests/docs/check_links_test.py"""

import importlib.machinery
import importlib.util
import tempfile
import unittest
from pathlib import Path

SCRIPT = Path(__file__).resolve().parents[2] / "scripts" / "check-links"
loader = importlib.machinery.SourceFileLoader("check_links", str(SCRIPT))
check_links = importlib.util.module_from_spec(importlib.util.spec_from_loader(loader.name, loader))
loader.exec_module(check_links)

# heading text -> anchor
SLUGS = [
    ("Try it", "try-it"),
    ("The sort data file (input)", "the-sort-data-file-input"),
    ("`scripts/test`: every test", "scriptstest-every-test"),
    ("Wine is not Windows; WebKit's limits", "wine-is-not-windows-webkits-limits"),
    ("A [link](x.md) in it", "a-link-in-it"),
    ("snake_case and dash-ed", "snake_case-and-dash-ed"),
    ("Über Größe", "über-größe"),
]

PAGES = {
    "README.md": "# Top\n\n![window](docs/window.png)\n[guide](docs/guide.md#the-window)\n",
    "docs/window.png": "",
    "docs/guide.md": "# The window\n\n## Steps\n\n## Steps\n\n<a id=\"kept\"></a>\n",
}

# a line added to README.md -> the broken link reported, or None
LINKS = [
    ("[ok](docs/guide.md#steps-1)", None),
    ("[ok](docs/guide.md#kept) and [ok](#top)", None),
    ("[ok](<docs/guide.md> \"title\") [site](https://example.org/x#y) [m](mailto:a@b)", None),
    ("`[code](missing.md)` in a code span", None),
    ("```\n[fenced](missing.md)\n```", None),
    ("\n    [indented](missing.md)", None),
    ("[gone](docs/missing.md)", "docs/missing.md does not exist"),
    ("<img src=\"docs/none.png\">", "docs/none.png does not exist"),
    ("[bad](docs/guide.md#steps-2)", "docs/guide.md has no heading #steps-2"),
    ("[bad](#nowhere)", "this page has no heading #nowhere"),
    ("[bad](docs/window.png#x)", "an anchor into a file that is no page"),
    ("[out](../elsewhere)", "outside the sources"),  # ../elsewhere exists
]


class CheckLinksTest(unittest.TestCase):
    def test_slugs(self):
        for heading, anchor in SLUGS:
            with self.subTest(heading=heading):
                self.assertEqual(check_links.slug(heading), anchor)

    def test_links(self):
        for line, problem in LINKS:
            with self.subTest(line=line), tempfile.TemporaryDirectory() as folder:
                root = Path(folder) / "sources"
                for name, text in PAGES.items():
                    (root / name).parent.mkdir(parents=True, exist_ok=True)
                    (root / name).write_text(text, encoding="utf-8")
                (Path(folder) / "elsewhere").write_text("")
                readme = root / "README.md"
                readme.write_text(PAGES["README.md"] + line + "\n", encoding="utf-8")
                found = check_links.check_page(readme, root, {})
                self.assertEqual(len(found), problem is not None, found)
                if problem:
                    self.assertIn("README.md:5: ", found[0])
                    self.assertIn(problem, found[0])


if __name__ == "__main__":
    unittest.main()
