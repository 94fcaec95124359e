"""The program's page in a real browser, used as a person would: the window and the keyboard,
the prompts and their refusals, whole sessions compared byte for byte with the matrices the
end-to-end tests' formatter (tests/e2e/expected_matrices.awk) or the stored examples give,
failing runs and their beeps, and that nothing leaves the page after it has loaded.

The runner (run_web_tests.py) gives every test one browser, WebTestCase.browser."""

import hashlib
import json
import os
import subprocess
import time
import unittest

from selenium.webdriver.common.keys import Keys

from browser import (STATUS_DONE, STATUS_FAILED, STATUS_WRITING, STEP_SECONDS, SUBJECTS_PROMPT,
                     STIMULI_PROMPT, Page)
from page_files import DiskFiles, PickedFiles

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# Each button's left, top, width and height in the window, in CSS pixels (the layout's twips
# divided by 15), and its caption; the tab order is this order.
BUTTONS = [
    ("cmdDataIn", (40, 160, 105, 49), "2. Select Input File"),
    ("cmdDataOut", (40, 240, 105, 49), "3. Select Output File"),
    ("cmdSubmit", (40, 336, 105, 49), "4. Submit"),
    ("cmdExit", (208, 352, 73, 33), "Exit"),
    ("cmdSubsStim", (40, 64, 105, 49), "1. Start Here!"),
]
OOPS = "Oops!  Please Press Option 1 to reenter!"
WEBKIT_FILES = ("WebKit has no private file system for the pickers (navigator.storage is "
                "undefined) and under WebDriver it cancels the file chooser the page opens at "
                "once (a 'cancel' event), before a file can be given to the file input")
NEEDS_FILES = "needs files, which WebKit under WebDriver cannot be given"


def read(*path):
    with open(os.path.join(SOURCE, *path), "rb") as f:
        return f.read()


def expected_matrices(subjects, stimuli, sort_data):
    return subprocess.run(["awk", "-v", f"subjects={subjects}", "-v", f"stimuli={stimuli}",
                           "-f", os.path.join(SOURCE, "tests/e2e/expected_matrices.awk")],
                          input=sort_data, stdout=subprocess.PIPE, check=True).stdout


def sha256(data):
    return hashlib.sha256(data).hexdigest()


class WebTestCase(unittest.TestCase):
    browser = None  # set by the runner

    def open_page(self, from_disk=False):
        self.page = Page(self.browser, from_disk)
        return self.page

    def assert_nothing_sent(self):
        self.assertEqual(self.page.requests_after_load(), [], "requests after the page loaded")

    def assert_label(self, element_id, text, detail=None):
        self.assertEqual(self.page.text(element_id), text, element_id)
        if detail is not None:
            self.assertEqual(self.page.detail(element_id), detail, f"{element_id}'s detail")
            # The detail is the accessible description too.
            described = self.page.js("""const e = document.getElementById(arguments[0]);
                const by = (e.getAttribute('aria-describedby') || '').split(' ').filter(Boolean);
                return by.length ? by.map((id) => document.getElementById(id).textContent)
                                     .join(' ') : e.getAttribute('aria-description');""",
                                     element_id)
            self.assertEqual(described, detail, f"{element_id}'s accessible description")

    def assert_window_size(self):
        self.assertEqual(self.page.js("""const f = document.getElementById('frmVorlan4');
                                         return [f.clientWidth, f.clientHeight]"""), [474, 424])


class WindowTest(WebTestCase):
    def test_window_and_keyboard(self):
        """The window at start; then the keyboard alone: Tab round the buttons and Shift+Tab
        back, Enter on "2. Select Input File" (the chooser cancelled: no beep), Escape on the
        window does nothing, Space on "1. Start Here!", whose prompt Escape cancels (3 beeps)."""
        page = self.open_page()
        self.assertEqual(page.driver.title, "Dissimilarity Matix Computation")
        self.assert_window_size()
        self.assertEqual(page.js("""return getComputedStyle(
            document.getElementById('frmVorlan4')).backgroundColor"""), "rgb(192, 255, 255)")
        for name, place, caption in BUTTONS:
            with self.subTest(button=name):
                self.assertEqual(page.element(name).tag_name.lower(), "button")
                self.assertEqual(page.text(name), caption)
                self.assertEqual(tuple(page.js("""
                    const frame = document.getElementById('frmVorlan4');
                    const f = frame.getBoundingClientRect();
                    const r = document.getElementById(arguments[0]).getBoundingClientRect();
                    return [r.left - f.left - frame.clientLeft, r.top - f.top - frame.clientTop,
                            r.width, r.height]""", name)), place)
        self.assertEqual(page.js("return document.querySelector('#cmdExit u').textContent"), "x")
        self.assertEqual(page.js("return document.getElementById('lblStatus')"
                                 ".getAttribute('aria-live')"), "polite")
        print(f"\n  started (get() to ready) in {page.start_seconds:.2f} s", end=" ", flush=True)
        self.assertLess(page.start_seconds, 10)

        order = [name for name, _, _ in BUTTONS]
        self.assertEqual(page.focused(), order[0])
        for step, name in enumerate(order[1:] + order[:1], 1):
            page.keys(Keys.TAB)
            self.assertEqual(page.focused(), name, f"after {step} Tab(s)")
        page.chord(Keys.SHIFT, Keys.TAB)
        self.assertEqual(page.focused(), order[-1], "Shift+Tab from the first button")
        page.keys(Keys.TAB)
        if self.browser.has_private_files:
            PickedFiles(page).choose_input(None, press=lambda: page.keys(Keys.ENTER))
        else:  # WebKit under WebDriver cancels the chooser as soon as it opens
            page.keys(Keys.ENTER)
            page.wait_idle()
        page.wait_tones(0)
        self.assert_label("lblIfileInfo", "Input File = ")
        page.keys(Keys.ESCAPE)
        time.sleep(0.3)
        self.assertFalse(page.prompt_open() or page.ended(), "Escape did something")
        self.assertEqual(page.focused(), order[0])
        page.chord(Keys.SHIFT, Keys.TAB)
        page.keys(Keys.SPACE)
        page.answer_prompt(SUBJECTS_PROMPT, None)
        page.wait_tones(3)
        self.assert_label("lblSubsStim", OOPS)
        self.assert_nothing_sent()

    def test_ways_to_end_the_program(self):
        for way in ("Alt+X", "click", "Enter on Exit"):
            with self.subTest(way=way):
                page = self.open_page()
                if way == "Alt+X":
                    page.chord(Keys.ALT, "x")
                elif way == "click":
                    page.click("cmdExit")
                else:
                    page.keys(Keys.TAB, Keys.TAB, Keys.TAB)
                    self.assertEqual(page.focused(), "cmdExit")
                    page.keys(Keys.ENTER)
                page.wait("the program to end", page.ended)
                self.assertTrue(page.element("ended").is_displayed(), "#ended is not shown")
                # No more input: neither a click nor a key reaches a handler.
                for press in (lambda: page.click("cmdSubsStim"), lambda: page.keys(Keys.ENTER),
                              lambda: page.chord(Keys.ALT, "x")):
                    try:
                        press()
                    except Exception:  # a control the page has taken away cannot be clicked
                        pass
                time.sleep(0.3)
                self.assertFalse(page.prompt_open(), "a prompt opened after the end")
                page.wait_tones(0)

    # Answers to the two prompts of "1. Start Here!", the first given with Enter or Escape,
    # the second with a click on OK or Cancel (None: Cancel), and for a refusal (three beeps)
    # the reason its detail gives.
    COUNTS = [
        ("accepted", [" 7 ", "12"], None),
        ("cancel first", [None], ""),
        ("cancel second", ["5", None], ""),
        ("fraction", ["2.5"], "2.5 is not a whole number"),
        ("zero", ["0"], "0 is below 1"),
        ("negative", ["5", "-4"], "-4 is below 1"),
        ("word", ["five"], "five is not a number"),
        ("empty", [""], "no answer was given"),
    ]

    def test_counts(self):
        for name, answers, reason in self.COUNTS:
            with self.subTest(name):
                page = self.open_page()
                page.click("cmdSubsStim")
                for answer, title, how in zip(answers, (SUBJECTS_PROMPT, STIMULI_PROMPT),
                                              ("key", "click")):
                    page.answer_prompt(title, answer, how)
                if reason is None:
                    page.wait_tones(0)
                    self.assert_label("lblSubsStim", "There are  7 subjects and  12 stimuli.")
                    self.assert_label("lblIfileInfo", "Input File Undefined ")
                    self.assert_label("lblStatus", "Waiting for data ... ")
                else:
                    page.wait_tones(3)
                    self.assert_label("lblSubsStim", OOPS)
                    self.assertIn(reason, page.detail("lblSubsStim"))

    def test_submit_first_fails_with_five_beeps(self):
        """"4. Submit" before anything else, served and opened from disk: five beeps, the
        failure's status and detail, no file made; the window takes counts afterwards."""
        for from_disk in (False, True):
            with self.subTest(from_disk=from_disk):
                page = self.open_page(from_disk)
                files = (PickedFiles(page).state if self.browser.has_private_files
                         and not from_disk else dict)
                before = files()
                self.assertEqual(page.submit(), STATUS_FAILED)
                page.wait_tones(5)
                self.assertNotEqual(page.detail("lblStatus"), "", "the failure's detail")
                self.assertEqual(files(), before, "the failed run made a file")
                page.set_counts(5, 12)
                self.assert_label("lblSubsStim", "There are  5 subjects and  12 stimuli.")
                page.wait_tones(5)
                self.assert_nothing_sent()


FIVE = read("tests/e2e/data/five_subjects_twelve_stimuli.txt")
# Name: subjects, stimuli, sort data and the matrices a run must write (None: the formatter's).
STUDIES = {
    "five": (5, 12, FIVE, None),
    "two": (2, 3, read("tests/e2e/data/two_subjects_three_stimuli.txt"),
            read("tests/e2e/data/two_subjects_three_stimuli.expected")),
    "example": (10, 12, read("examples/example-sort-data.txt"),
                read("examples/example-matrices.txt")),
    # Five subjects announced, the file ends inside the third: two complete blocks only.
    "cut short": (5, 12, b"\n".join(FIVE.split(b"\n")[:2]) + b"\n1 2 3 4 5 6 7\r\n", None),
}
LONG = "Free sorting study 2026/Participants of groups A and B/Raw sort data, first session/"
# Study, the input's path, the output's (None: the save picker or Save As cancelled, so the
# input's name is kept) and how the page gets at files: PickedFiles, or DiskFiles (the page
# opened from disk, the output a download under the name typed).
SESSIONS = [
    ("five", "five subjects.txt", "matrices.txt", PickedFiles),
    ("two", "two subjects.txt", "matrices.txt", PickedFiles),
    ("example", "example-sort-data.txt", "matrices.txt", PickedFiles),
    ("five", LONG + "five subjects, sorted into groups by colour and shape, first session.txt",
     LONG + "dissimilarity matrices of five subjects, first session of the study.txt",
     PickedFiles),
    ("cut short", "cut short.txt", "matrices.txt", PickedFiles),
    ("five", "sorts.txt", None, PickedFiles),
    ("five", "sorts.txt", "sorts.txt", PickedFiles),
    ("five", "sort data, 2026/first session/five subjects.txt",
     "matrices of five subjects.txt", DiskFiles),
    ("cut short", "sort data, 2026/cut short.txt", "matrices.txt", DiskFiles),
    ("five", "sort data, 2026/five subjects.txt", None, DiskFiles),
]


class SessionTest(WebTestCase):
    def assert_output(self, files, path, expected):
        """The file at PATH comes to hold EXPECTED (its size and SHA-256)."""
        want, deadline = [len(expected), sha256(expected)], time.monotonic() + STEP_SECONDS
        while (got := (files.state().get(path) or [None] * 3)[::2]) != want:
            if time.monotonic() > deadline:
                self.assertEqual(got, want, f"{path}: size and SHA-256, the expected matrices'")
            time.sleep(0.1)

    def test_sessions(self):
        """Each study through the whole workflow with the mouse: the output compared with the
        expected matrices (a failing run's holds its complete blocks), the beeps, the labels,
        the input unchanged, and nothing sent. A second run rewrites its output from the
        start. An output that is the input (the save cancelled after the open, or the input
        picked again) fails the run and leaves every file as it was."""
        self.assertEqual(expected_matrices(5, 12, STUDIES["cut short"][2]).count(b"\n"), 24,
                         "the cut short study holds two blocks of 12 lines")
        if self.browser.kind != "chromium" or not self.browser.has_private_files:
            self.skipTest(NEEDS_FILES)  # DiskFiles answers the file input through DevTools
        for study, input_path, output, how in SESSIONS:
            with self.subTest(f"{study}: {input_path} -> {output} ({how.__name__})"):
                subjects, stimuli, data, expected = STUDIES[study]
                expected = expected or expected_matrices(subjects, stimuli, data)
                page = self.open_page(from_disk=how is DiskFiles)
                files = how(page)
                self.addCleanup(files.close)
                files.place(input_path, data)
                before = files.state()
                page.set_counts(subjects, stimuli)
                files.choose_input(input_path)
                files.choose_output(output)
                input_name = os.path.basename(input_path)
                output_name = os.path.basename(output or input_path)
                self.assert_label("lblIfileInfo", f"Input File = {input_name}", input_name)
                self.assert_label("lblOfileInfo", output_name, output_name)
                if how is PickedFiles:  # offered the name kept from the open
                    save = [json.loads(call["options"]) for call in
                            page.js("return window.__pickerCalls") if call["kind"] == "save"]
                    self.assertEqual(save[0].get("suggestedName"), input_name)
                fails = output in (None, input_path) or study == "cut short"
                self.assertEqual(page.submit(), STATUS_FAILED if fails else STATUS_DONE)
                page.wait_tones(5 if fails else 0)
                if output in (None, input_path):
                    self.assertNotEqual(page.detail("lblStatus"), "", "the failure's detail")
                    time.sleep(1)  # for a download that should not come
                    self.assertEqual(files.state(), before, "the input or another file changed")
                else:
                    self.assert_output(files, output_name if how is DiskFiles else output,
                                       expected)
                    self.assertEqual(files.state()[input_path], before[input_path],
                                     "the input changed")
                if not fails and how is PickedFiles:
                    files.place(output, b"x" * 100000)
                    self.assertEqual(page.submit(), STATUS_DONE)
                    self.assert_output(files, output, expected)
                    page.wait_tones(0)
                self.assert_window_size()
                self.assert_nothing_sent()


class LargeStudyTest(WebTestCase):
    PATTERNS = 8

    def test_large_study_written_through_the_picker(self):
        """A large study (WEB_LARGE_STUDY=SUBJECTSxSTIMULI, default 1000x1000) written into
        the picked file as the run goes, which is compared block by block (SHA-256) with the
        expected matrices; no input taken while the run goes."""
        if not self.browser.has_private_files:
            self.skipTest(NEEDS_FILES)
        subjects, stimuli = map(int, os.environ.get("WEB_LARGE_STUDY", "1000x1000").split("x"))
        # Each subject sorts the stimuli by one of a few patterns, each pattern by as many
        # subjects: its blocks are the formatter's over one subject per pattern, and so is the
        # count block, its counts multiplied.
        self.assertEqual(subjects % self.PATTERNS, 0, "subjects: a multiple of the patterns")
        patterns = [b" ".join(b"%d" % ((k * (p + 3) // (p + 5)) % (p + 2) + 1)
                              for k in range(stimuli)) + b"\r\n" for p in range(self.PATTERNS)]
        lines = expected_matrices(self.PATTERNS, stimuli, b"".join(patterns)).splitlines(True)
        blocks = [b"".join(lines[p * stimuli:(p + 1) * stimuli]) for p in range(self.PATTERNS)]
        counts = b"".join(b" " + b"".join(b" %d " % (int(v) * (subjects // self.PATTERNS))
                                          for v in line.split()) + b"\r\n"
                          for line in lines[self.PATTERNS * stimuli:])
        pieces = [blocks[s % self.PATTERNS] for s in range(subjects)] + [counts]

        page = self.open_page()
        files = PickedFiles(page)
        files.place("large.txt", b"".join(patterns[s % self.PATTERNS] for s in range(subjects)))
        page.set_counts(subjects, stimuli)
        files.choose_input("large.txt")
        files.choose_output("large matrices.txt")
        started = time.monotonic()
        page.click("cmdSubmit")
        page.wait("the run to start", page.busy, 10)
        page.click("cmdSubsStim")
        statuses = set()

        def ended():
            statuses.add(page.text("lblStatus"))
            return not page.busy()

        page.wait("the run to end", ended, 900)
        seconds = time.monotonic() - started
        if subjects * stimuli >= 1000 * 1000:  # a run of seconds shows its progress
            self.assertIn(STATUS_WRITING, statuses)
        self.assertFalse(page.prompt_open(), "a click during the run opened a prompt")
        self.assertEqual(page.text("lblStatus"), STATUS_DONE)
        size, digests = page.js_async("""const file = await (await __handle(args[0])).getFile();
            return [file.size, await __digests(file, args[1])];""", "large matrices.txt",
                                      [len(p) for p in pieces])
        print(f"\n  large study {subjects}x{stimuli}: {size / 1e6:.0f} MB written in "
              f"{seconds:.1f} s", end=" ", flush=True)
        self.assertEqual(size, sum(len(p) for p in pieces))
        block_digests = [sha256(block) for block in blocks]
        self.assertEqual(digests, [block_digests[s % self.PATTERNS] for s in range(subjects)]
                         + [sha256(counts)], "the blocks' SHA-256")
        page.wait_tones(0)
