"""The program's page in a real browser, used as a person would: the window, the keyboard, the
prompts and their refusals, whole sessions compared byte for byte with the expected matrices,
failing runs and their beeps, and that nothing leaves the page after it has loaded.

The runner (run_web_tests.py) gives every test case one browser, WebTestCase.browser."""

import json
import os
import time
import unittest

from selenium.webdriver.common.keys import Keys

import study_files
from browser import (STATUS_DONE, STATUS_FAILED, STATUS_WRITING, STIMULI_PROMPT, SUBJECTS_PROMPT, TITLE, Page)
from page_files import DiskFiles, PickedFiles

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
# What keeps WebKit (WebKitGTK 2.50, MiniBrowser) from the file workflows.
WEBKIT_FILES = ("WebKit has no private file system for the pickers (navigator.storage is "
                "undefined) and under WebDriver it cancels the file chooser the page opens at "
                "once (a 'cancel' event), before a file can be given to the file input")
WEBKIT_SKIP = "needs files, which WebKit under WebDriver cannot be given"


class CancelledChoosers:
    """WebKit under WebDriver: the page's file chooser is cancelled as soon as it opens."""

    def __init__(self, page):
        self.page = page

    def choose_input(self, path, press=None):
        assert path is None, "only a cancel can be given"
        (press or (lambda: self.page.click("cmdDataIn")))()
        self.page.wait_idle()

    def close(self):
        pass


class WebTestCase(unittest.TestCase):
    browser = None  # set by the runner

    def open_page(self, from_disk=False):
        self.page = Page(self.browser, from_disk)
        return self.page

    def open_files(self, page, cancels_only=False):
        """The pickers replaced where the browser has a private file system to hand out; else
        the file input and downloads, which only Chromium's DevTools can answer. CANCELS_ONLY:
        the test only cancels the input's chooser, which any browser can."""
        if self.browser.has_private_files:
            files = PickedFiles(page)
        elif self.browser.kind == "chromium":
            files = DiskFiles(page)
        elif cancels_only:
            files = CancelledChoosers(page)
        else:
            self.skipTest(WEBKIT_SKIP)
        self.addCleanup(files.close)
        return files

    def need_picked_files(self):
        if not self.browser.has_private_files:
            self.skipTest(WEBKIT_SKIP if self.browser.kind == "webkit" else
                          "the browser has no writable private file system for the pickers")

    def run_session(self, page, files, study, input_path, output_path):
        """The whole workflow with the mouse: counts, input, output, "4. Submit"."""
        files.place(input_path, study.sort_data)
        page.set_counts(study.subjects, study.stimuli)
        files.choose_input(input_path)
        files.choose_output(output_path)
        return page.submit()

    def assert_nothing_sent(self, page):
        self.assertEqual(page.requests_after_load(), [], "requests after the page had loaded")

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

    def assert_output(self, files, path, expected, seconds=20):
        data = files.wait_output(path, expected, seconds)
        self.assertIsNotNone(data, f"no output file {path}")
        self.assertEqual(len(data), len(expected), "the output's size")
        self.assertTrue(data == expected, "the output differs from the expected matrices")


class WindowTest(WebTestCase):
    def test_window_at_start(self):
        page = self.open_page()
        self.assertEqual(page.driver.title, TITLE)
        box = page.js("""const f = document.getElementById('frmVorlan4');
                         return [f.clientWidth, f.clientHeight,
                                 getComputedStyle(f).backgroundColor]""")
        self.assertEqual(box, [474, 424, "rgb(192, 255, 255)"])
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
        self.assertEqual(page.focused(), "cmdDataIn")
        self.assertEqual(page.js("return document.getElementById('lblStatus')"
                                 ".getAttribute('aria-live')"), "polite")
        self.assertEqual(page.tones(), 0)
        print(f"\n  started (get() to ready) in {page.start_seconds:.2f} s", end=" ", flush=True)
        self.assertLess(page.start_seconds, 10)


class KeyboardTest(WebTestCase):
    def test_tab_order_round_the_buttons(self):
        page = self.open_page()
        order = [name for name, _, _ in BUTTONS]
        for step, name in enumerate(order[1:] + order[:1], 1):
            page.keys(Keys.TAB)
            self.assertEqual(page.focused(), name, f"after {step} Tab(s)")
        page.chord(Keys.SHIFT, Keys.TAB)
        self.assertEqual(page.focused(), order[-1], "Shift+Tab from the first button")

    def test_keyboard_alone(self):
        """Enter at start opens the input's picker (cancelled: no beep); Escape on the window
        does nothing; four Tabs and Space press "1. Start Here!", whose prompt Escape cancels
        with three beeps; Alt+X ends the program."""
        page = self.open_page()
        files = self.open_files(page, cancels_only=True)
        files.choose_input(None, press=lambda: page.keys(Keys.ENTER))
        page.wait_tones(0)
        self.assert_label("lblIfileInfo", "Input File = ")
        page.keys(Keys.ESCAPE)
        time.sleep(0.3)
        self.assertFalse(page.prompt_open() or page.ended(), "Escape did something")
        self.assertEqual(page.focused(), "cmdDataIn")
        page.keys(Keys.TAB, Keys.TAB, Keys.TAB, Keys.TAB, Keys.SPACE)
        page.cancel_prompt(SUBJECTS_PROMPT)
        page.wait_tones(3)
        self.assert_label("lblSubsStim", OOPS)
        page.alt("x")
        page.wait("the program to end", page.ended)
        self.assert_nothing_sent(page)

    def test_ways_to_end_the_program(self):
        for way in ("Alt+X", "click", "Enter on Exit"):
            with self.subTest(way=way):
                page = self.open_page()
                if way == "Alt+X":
                    page.alt("x")
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
                              lambda: page.alt("x")):
                    try:
                        press()
                    except Exception:  # a control the page has taken away cannot be clicked
                        pass
                time.sleep(0.3)
                self.assertFalse(page.prompt_open(), "a prompt opened after the end")
                self.assertEqual(page.tones(), 0)


# Answers to the two prompts of "1. Start Here!" and the reason the refusal gives as detail;
# None is a cancel. Every refusal beeps three times.
REFUSALS = [
    ("cancel first", [None], None),
    ("cancel second", ["5", None], None),
    ("fraction", ["2.5"], "2.5 is not a whole number"),
    ("zero", ["0"], "0 is below 1"),
    ("negative", ["5", "-4"], "-4 is below 1"),
    ("word", ["five"], "five is not a number"),
    ("empty", [""], "no answer was given"),
]


class CountsTest(WebTestCase):
    def test_refused_counts_beep_three_times(self):
        for name, answers, reason in REFUSALS:
            with self.subTest(name):
                page = self.open_page()
                page.click("cmdSubsStim")
                for answer, title in zip(answers, (SUBJECTS_PROMPT, STIMULI_PROMPT)):
                    if answer is None:
                        page.cancel_prompt(title, how="escape" if len(answers) == 1 else "click")
                    else:
                        page.answer_prompt(title, answer, how="enter" if title ==
                                           SUBJECTS_PROMPT else "click")
                page.wait_tones(3)
                self.assert_label("lblSubsStim", OOPS)
                if reason is not None:
                    self.assertIn(reason, page.detail("lblSubsStim"))

    def test_accepted_counts(self):
        page = self.open_page()
        page.set_counts(" 7 ", "12")
        page.wait_tones(0)
        self.assert_label("lblSubsStim", "There are  7 subjects and  12 stimuli.")
        self.assert_label("lblIfileInfo", "Input File Undefined ")
        self.assert_label("lblStatus", "Waiting for data ... ")


class SessionTest(WebTestCase):
    def test_whole_sessions(self):
        """Each study through the whole workflow with the mouse: the output byte for byte,
        the labels, no beep, the input unchanged, nothing sent."""
        if not self.browser.has_private_files and self.browser.kind != "chromium":
            self.skipTest(WEBKIT_SKIP)
        for study in study_files.session_studies():
            with self.subTest(study.name):
                page = self.open_page()
                files = self.open_files(page)
                status = self.run_session(page, files, study, study.name, "matrices.txt")
                self.assertEqual(status, STATUS_DONE)
                self.assert_output(files, "matrices.txt", study.expected)
                self.assertEqual(files.read(study.name), study.sort_data)
                self.assert_label("lblIfileInfo", f"Input File = {study.name}", study.name)
                self.assert_label("lblOfileInfo", "matrices.txt", "matrices.txt")
                page.wait_tones(0)
                self.assert_nothing_sent(page)

    def test_second_run_rewrites_the_output(self):
        """A run, then longer text put into its output, then "4. Submit" again: the output is
        rewritten from its start."""
        self.need_picked_files()
        study = study_files.five_subjects()
        page = self.open_page()
        files = self.open_files(page)
        self.assertEqual(self.run_session(page, files, study, "sorts.txt", "out.txt"),
                         STATUS_DONE)
        self.assert_output(files, "out.txt", study.expected)
        files.place("out.txt", b"x" * 100000)
        self.assertEqual(page.submit(), STATUS_DONE)
        self.assert_output(files, "out.txt", study.expected)
        page.wait_tones(0)
        self.assert_nothing_sent(page)

    def test_long_name_with_spaces_and_a_comma(self):
        study = study_files.five_subjects()
        folder = "/".join(["Free sorting study 2026", "Participants of groups A and B",
                           "Raw sort data, first session"])
        input_name = "five subjects, sorted into groups by colour and shape, first session.txt"
        output_name = "dissimilarity matrices of five subjects, first session of the study.txt"
        page = self.open_page()
        files = self.open_files(page)
        status = self.run_session(page, files, study, f"{folder}/{input_name}",
                                  f"{folder}/{output_name}")
        self.assertEqual(status, STATUS_DONE)
        self.assert_output(files, f"{folder}/{output_name}", study.expected)
        self.assert_label("lblIfileInfo", f"Input File = {input_name}", input_name)
        self.assert_label("lblOfileInfo", output_name, output_name)
        self.assertEqual(page.js("""const f = document.getElementById('frmVorlan4');
                                    return [f.clientWidth, f.clientHeight]"""), [474, 424])
        page.wait_tones(0)


class FailingRunTest(WebTestCase):
    def test_submit_first_fails_with_five_beeps(self):
        """"4. Submit" before anything else: five beeps, the failure's status and detail, no
        file made; the window takes input again afterwards."""
        page = self.open_page()
        before = page.private_files_state() if self.browser.has_private_files else None
        self.assertEqual(page.submit(), STATUS_FAILED)
        page.wait_tones(5)
        self.assertNotEqual(page.detail("lblStatus"), "", "the failure's detail")
        if before is not None:
            self.assertEqual(page.private_files_state(), before, "the failed run made a file")
        page.set_counts(5, 12)
        self.assert_label("lblSubsStim", "There are  5 subjects and  12 stimuli.")
        page.wait_tones(5)
        self.assert_nothing_sent(page)

    def test_output_that_is_the_input_leaves_it(self):
        """The save picker cancelled after an input was chosen (the name kept is the input's),
        or the input itself picked again as the output: the run must fail with five beeps and
        leave the input as it was. The save picker is offered the input's name."""
        self.need_picked_files()
        study = study_files.five_subjects()
        for how, output in (("cancelled save", None), ("input picked as output", "sorts.txt")):
            with self.subTest(how):
                page = self.open_page()
                files = self.open_files(page)
                files.place("sorts.txt", study.sort_data)
                before = files.state()
                page.set_counts(5, 12)
                files.choose_input("sorts.txt")
                files.choose_output(output)
                page.wait_tones(0)
                save = [call for call in page.js("return window.__pickerCalls")
                        if call["kind"] == "save"]
                self.assertEqual(json.loads(save[0]["options"]).get("suggestedName"),
                                 "sorts.txt", "the name the save picker is offered")
                self.assert_label("lblOfileInfo", "sorts.txt", "sorts.txt")
                self.assertEqual(page.submit(), STATUS_FAILED)
                page.wait_tones(5)
                self.assertEqual(files.state(), before, "the input or another file was changed")
                self.assertNotEqual(page.detail("lblStatus"), "", "the failure's detail")
                self.assert_nothing_sent(page)

    def test_input_cut_short_keeps_the_complete_blocks(self):
        study = study_files.cut_short()
        self.assertEqual(study.expected.count(b"\n"), 24, "two blocks of 12 lines")
        page = self.open_page()
        files = self.open_files(page)
        files.place(study.name, study.sort_data)
        page.set_counts(study.subjects, study.stimuli)
        files.choose_input(study.name)
        files.choose_output("matrices.txt")
        self.assertEqual(page.submit(), STATUS_FAILED)
        page.wait_tones(5)
        self.assert_output(files, "matrices.txt", study.expected)


class FromDiskTest(WebTestCase):
    def test_page_starts_from_disk(self):
        """Opened straight from disk the program starts, takes counts and runs (a run with no
        files fails with five beeps), with no server."""
        page = self.open_page(from_disk=True)
        self.assertTrue(page.driver.current_url.startswith("file://"))
        page.set_counts(5, 12)
        self.assert_label("lblSubsStim", "There are  5 subjects and  12 stimuli.")
        self.assertEqual(page.submit(), STATUS_FAILED)
        page.wait_tones(5)
        page.alt("x")
        page.wait("the program to end", page.ended)

    def test_page_opened_from_disk_output_as_download(self):
        """The page opened straight from disk (file://), as a browser without the pickers has
        it: the input through the file input, the output a download under the name typed into
        the page's Save As dialog; a failed run's download holds its complete blocks; a
        cancelled Save As leaves the input's name, and that run fails with nothing downloaded."""
        if self.browser.kind != "chromium":
            self.skipTest(WEBKIT_SKIP)
        folder = "sort data, 2026/first session"
        # study, output name (None: Save As cancelled), status, beeps, what is downloaded
        cases = [
            (study_files.five_subjects(), "matrices of five subjects.txt", STATUS_DONE, 0,
             "expected"),
            (study_files.cut_short(), "matrices.txt", STATUS_FAILED, 5, "expected"),
            (study_files.five_subjects(), None, STATUS_FAILED, 5, None),
        ]
        for study, output, status, beeps, downloaded in cases:
            with self.subTest(study=study.name, output=output):
                page = self.open_page(from_disk=True)
                files = DiskFiles(page)
                self.addCleanup(files.close)
                input_path = f"{folder}/{study.name}"
                self.assertEqual(self.run_session(page, files, study, input_path, output),
                                 status)
                page.wait_tones(beeps)
                self.assert_label("lblIfileInfo", f"Input File = {study.name}")
                if downloaded:
                    self.assert_output(files, output, study.expected)
                else:
                    self.assert_label("lblOfileInfo", study.name)
                    time.sleep(1)
                    self.assertEqual(os.listdir(files.downloads), [], "a file was downloaded")
                    self.assertEqual(files.read(input_path), study.sort_data)
                self.assert_nothing_sent(page)


def large_study_size():
    """SUBJECTSxSTIMULI of the large study (WEB_LARGE_STUDY, default 1000x1000)."""
    subjects, stimuli = os.environ.get("WEB_LARGE_STUDY", "1000x1000").split("x")
    return int(subjects), int(stimuli)


class LargeStudyTest(WebTestCase):
    CHUNK = 64 << 20

    def test_large_study_written_through_the_picker(self):
        """A large study written into the picked file as the run goes; the file compared chunk
        by chunk (SHA-256) with the expected output; no input taken while the run goes."""
        self.need_picked_files()
        check = study_files.LargeStudy(23, 17)
        self.assertEqual(b"".join(check.expected_pieces()),
                         study_files.expected_matrices(23, 17, check.sort_data),
                         "the large study's generator disagrees with the formatter")
        subjects, stimuli = large_study_size()
        study = study_files.LargeStudy(subjects, stimuli)
        page = self.open_page()
        files = self.open_files(page)
        files.place("large.txt", study.sort_data)
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
        if subjects * stimuli >= 1000 * 1000:
            # A run of seconds shows its progress while it goes.
            self.assertIn(STATUS_WRITING, statuses)
        self.assertFalse(page.prompt_open(), "a click during the run opened a prompt")
        self.assertEqual(page.text("lblStatus"), STATUS_DONE)
        size, digests = page.file_digests("large matrices.txt", self.CHUNK)
        expected_size, expected_digests = study.expected_digests(self.CHUNK)
        print(f"\n  large study {subjects}x{stimuli}: {size / 1e6:.0f} MB written in "
              f"{seconds:.1f} s", end=" ", flush=True)
        self.assertEqual(size, expected_size)
        self.assertEqual(digests, expected_digests)
        page.wait_tones(0)


if __name__ == "__main__":
    raise SystemExit("run the tests through run_web_tests.py")
