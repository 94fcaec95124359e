#!/usr/bin/python3
"""Runs the page's tests in one browser and ends with a line "N passed, N failed".

  run_web_tests.py --page FILE [--browser chromium|webkit] [-k TEXT] [--large-only|--no-large]

Chromium runs headless; WebKit (WebKitWebDriver) needs an X display (run it under xvfb-run).
WEB_LARGE_STUDY=SUBJECTSxSTIMULI sets the large study's size (default 1000x200)."""

import argparse
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import test_workflows  # noqa: E402
from browser import Browser  # noqa: E402


class CountingResult(unittest.TextTestResult):
    def startTest(self, test):
        self._started = time.monotonic()
        super().startTest(test)

    def stopTest(self, test):
        super().stopTest(test)
        if self.showAll:
            self.stream.writeln(f"    ({time.monotonic() - self._started:.1f} s)")


def selected_tests(pattern, large):
    loader = unittest.TestLoader()
    suite = loader.loadTestsFromModule(test_workflows)
    chosen = unittest.TestSuite()

    def walk(item):
        if isinstance(item, unittest.TestSuite):
            for inner in item:
                walk(inner)
            return
        is_large = isinstance(item, test_workflows.LargeStudyTest)
        if large == "only" and not is_large or large == "no" and is_large:
            return
        if pattern and pattern not in item.id():
            return
        chosen.addTest(item)

    walk(suite)
    return chosen


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--page", required=True, help="the page's HTML file")
    parser.add_argument("--browser", choices=("chromium", "webkit"), default="chromium")
    parser.add_argument("-k", dest="pattern", help="only the tests whose name holds TEXT")
    group = parser.add_mutually_exclusive_group()
    group.add_argument("--large-only", dest="large", action="store_const", const="only")
    group.add_argument("--no-large", dest="large", action="store_const", const="no")
    args = parser.parse_args()

    suite = selected_tests(args.pattern, args.large)
    started = time.monotonic()
    browser = Browser(args.browser, os.path.abspath(args.page))
    print(f"{args.browser}: {browser.driver.capabilities.get('browserVersion', '?')}, "
          f"private file system for the pickers: {browser.has_private_files}", flush=True)
    if args.browser == "webkit":
        print(f"skipped here, the tests that need files: {test_workflows.WEBKIT_FILES}")
    test_workflows.WebTestCase.browser = browser
    try:
        runner = unittest.TextTestRunner(verbosity=2, resultclass=CountingResult,
                                         stream=sys.stdout)
        result = runner.run(suite)
    finally:
        browser.close()
    # A test counts once, however many of its cases failed.
    failed = len({getattr(test, "test_case", test).id()
                  for test, _ in result.failures + result.errors})
    skipped = len({getattr(test, "test_case", test).id() for test, _ in result.skipped})
    passed = result.testsRun - failed - skipped
    print(f"{args.browser}: {time.monotonic() - started:.1f} s")
    print(f"{passed} passed, {failed} failed" + (f", {skipped} skipped" if skipped else ""))
    return 1 if failed or result.testsRun == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
