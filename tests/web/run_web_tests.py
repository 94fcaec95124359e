#!/usr/bin/python3
"""Runs the page's tests in one browser and ends with a line "N passed, N failed".

  run_web_tests.py --page FILE [--browser chromium|webkit] [-k TEXT]

Chromium runs headless; WebKit (WebKitWebDriver) needs an X display (run it under xvfb-run)."""

import argparse
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import test_workflows  # noqa: E402
from browser import Browser  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--page", required=True, help="the page's HTML file")
    parser.add_argument("--browser", choices=("chromium", "webkit"), default="chromium")
    parser.add_argument("-k", dest="pattern", help="only the tests whose name holds TEXT")
    args = parser.parse_args()

    loader = unittest.TestLoader()
    if args.pattern:
        loader.testNamePatterns = [f"*{args.pattern}*"]
    suite = loader.loadTestsFromModule(test_workflows)
    started = time.monotonic()
    browser = Browser(args.browser, os.path.abspath(args.page))
    print(f"{args.browser}: {browser.driver.capabilities.get('browserVersion', '?')}, "
          f"private file system for the pickers: {browser.has_private_files}", flush=True)
    if args.browser == "webkit":
        print(f"skipped here, the tests that need files: {test_workflows.WEBKIT_FILES}")
    test_workflows.WebTestCase.browser = browser
    try:
        result = unittest.TextTestRunner(verbosity=2, stream=sys.stdout).run(suite)
    finally:
        browser.close()
    # A test counts once, however many of its cases failed or were skipped.
    failed = len({getattr(test, "test_case", test).id()
                  for test, _ in result.failures + result.errors})
    skipped = len({getattr(test, "test_case", test).id() for test, _ in result.skipped})
    print(f"{args.browser}: {time.monotonic() - started:.1f} s")
    print(f"{result.testsRun - failed - skipped} passed, {failed} failed"
          + (f", {skipped} skipped" if skipped else ""))
    return 1 if failed or result.testsRun == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
