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
from page_files import DiskFiles, InjectedFiles, PickedFiles

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
                "once (a 'cancel' event), before a file can be given to the file input; the "
                "Import dialog's tests give files in the page itself (InjectedFiles)")
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

    def assert_output(self, files, path, expected):
        """The file at PATH comes to hold EXPECTED (its size and SHA-256)."""
        want, deadline = [len(expected), sha256(expected)], time.monotonic() + STEP_SECONDS
        while (got := (files.state().get(path) or [None] * 3)[::2]) != want:
            if time.monotonic() > deadline:
                self.assertEqual(got, want, f"{path}: size and SHA-256, the expected bytes'")
            time.sleep(0.1)

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


# The five subjects' study (FIVE) as researchers keep it in tables: its stimuli and subjects by
# name, each subject's groups as the subject's own words.
STIMULI = ["apple", "banana", "cherry", "date", "elderberry", "fig", "grape", "honeydew", "kiwi",
           "lemon", "mango", "nectarine"]
SUBJECTS = ["P01", "P02", "P03", "P04", "P05"]
CODES = [[int(v) for v in line.replace(b",", b" ").split()] for line in FIVE.splitlines()]
WORDS = ["red", "sweet", "sour", "big", "small", "round", "long", "soft", "hard", "dry", "juicy",
         "green"]


def word(subject, code):
    return WORDS[(sorted(set(CODES[subject])).index(code) + subject) % len(WORDS)]


def sort_data(codes):
    return b"".join(b" ".join(b"%d" % c for c in row) + b"\r\n" for row in codes)


# As R's write.csv writes a data frame: every text quoted, an empty first header cell.
WORDS_CSV = ("\"\"," + ",".join(f'"{s}"' for s in SUBJECTS) + "\n" + "".join(
    f'"{stimulus}",' + ",".join(f'"{word(s, CODES[s][i])}"' for s in range(len(SUBJECTS)))
    + "\n" for i, stimulus in enumerate(STIMULI))).encode()
# One row per subject and card, a pile id unique over the file; P01 left "apple" in no pile.
LONG_CSV = ("participant,card,pile\n" + "".join(
    f"{subject},{stimulus},{'' if (s, i) == (0, 0) else 100 + 20 * s + CODES[s][i]}\n"
    for s, subject in enumerate(SUBJECTS) for i, stimulus in enumerate(STIMULI))).encode()
# The same study with "apple" a group of its own for P01.
APPLE_ALONE = [[99] + CODES[0][1:]] + CODES[1:]
WORKBOOKS = ("tests", "data", "workbooks")
LIST_OF_STIMULI = "".join(s + "\n" for s in STIMULI).encode()

# The Import dialog's controls: the access key that reaches each (None: none) and the name
# assistive technology gives it, its label's text without the access key's mark.
IMPORT_CONTROLS = {
    "dlgImport": (None, "Import"),
    "lblImportFile": (None, "File:"),
    "cboSheet": ("h", "Sheet:"),
    "cboSeparator": ("p", "Separator:"),
    "cboLayout": ("l", "Layout:"),
    "chkNamesInFirstRow": ("r", "First row holds names"),
    "chkNamesInFirstColumn": ("o", "First column holds names"),
    "cboSubjectColumn": ("u", "Subject column:"),
    "cboStimulusColumn": ("t", "Stimulus column:"),
    "cboGroupColumn": ("g", "Group column:"),
    "cboFirstStimulusColumn": ("f", "First stimulus column:"),
    "cboLastStimulusColumn": ("t", "Last stimulus column:"),
    "cboMissing": ("m", "Missing or contradictory data:"),
    "importPreviewArea": ("v", "Preview:"),
    "tblPreview": (None, "Preview:"),
    "lblFound": (None, "Found:"),
    "lblCounts": (None, "Counts"),
    "lstStimuli": ("i", "Stimuli in the matrices' order:"),
    "cmdSaveList": ("s", "Save List..."),
    "lblSaveResult": (None, "Result of Save List"),
    "lstProblems": ("b", "Problems:"),
    "lblRefusal": (None, "Why OK is not allowed"),
    "cmdImportOk": (None, "OK"),
    "cmdImportCancel": (None, "Cancel"),
}
SUBJECT_ROWS, STIMULUS_ROWS, LONG_LAYOUT, GROUP_ROWS = range(4)
STOP, OWN_GROUP, LEAVE_OUT = range(3)
WIDE_NAMES = [("cboLayout", STIMULUS_ROWS), ("chkNamesInFirstRow", True),
              ("chkNamesInFirstColumn", True)]
# Name: the input's name and bytes, how the page gets at files; the stages of choices, each
# made with the keyboard, and then whether OK is allowed and the look of preview cells ("B1"
# a name); the name the list of stimuli is saved under ("": the save cancelled, None: not
# saved); the codes the matrices must come from.
IMPORTS = [
    ("words, stimuli as rows (R's CSV)", "study words.csv", WORDS_CSV, PickedFiles,
     [(WIDE_NAMES + [("cboMissing", STOP)], True,
       {"B1": "name", "A2": "name", "B2": "code", "F12": "code"})],
     "stimuli.txt", CODES),
    ("one row per card, a card unsorted", "cards.csv", LONG_CSV, PickedFiles,
     [([("cboLayout", LONG_LAYOUT), ("chkNamesInFirstRow", True), ("cboSubjectColumn", 0),
        ("cboStimulusColumn", 1), ("cboGroupColumn", 2), ("cboMissing", STOP)], False,
       {"A1": "name", "C2": "problem", "C3": "code"}),
      ([("cboMissing", OWN_GROUP)], True, {})],
     "", APPLE_ALONE),
    ("workbook .xlsx", "study-stimulus-words.xlsx", read(*WORKBOOKS, "study-stimulus-words.xlsx"),
     PickedFiles, [(WIDE_NAMES, True, {"B1": "name", "A2": "name", "B2": "code"})], None, CODES),
    ("workbook .xlsx, one row per group", "study-group-rows.xlsx",
     read(*WORKBOOKS, "study-group-rows.xlsx"), PickedFiles,
     [([("cboLayout", GROUP_ROWS), ("chkNamesInFirstRow", True), ("cboSubjectColumn", 0),
        ("cboFirstStimulusColumn", 3), ("cboLastStimulusColumn", 14)], True,
       {"D1": "name", "D2": "code"})], None, CODES),
    ("workbook .ods, the page from disk", "study-stimulus-words.ods",
     read(*WORKBOOKS, "study-stimulus-words.ods"), DiskFiles,
     [(WIDE_NAMES, True, {"A2": "name"})], "stimuli from disk.txt", CODES),
]
# The Import dialog's Tab order from the layout on, for a text table in a wide layout.
TAB_ORDER = ["cboLayout", "chkNamesInFirstRow", "chkNamesInFirstColumn", "cboMissing",
             "importPreviewArea", "lstStimuli", "cmdSaveList", "lstProblems", "cmdImportOk",
             "cmdImportCancel"]


class ImportTest(WebTestCase):
    def choose(self, control, value):
        """Makes a choice in the Import dialog with its access key (Alt and the letter) and the
        arrow keys, or the check box's state (its access key toggles it; twice where it is
        already so)."""
        page, key = self.page, IMPORT_CONTROLS[control][0]
        state = "const e = document.getElementById(arguments[0]); " \
                "return e.type === 'checkbox' ? e.checked : e.selectedIndex"
        if control.startswith("chk"):
            for _ in range(1 if page.js(state, control) != value else 2):
                page.chord(Keys.ALT, key)
        elif control == "cboLastStimulusColumn":  # from the end: no range ends before it starts
            page.chord(Keys.ALT, key)
            count = page.js("return document.getElementById(arguments[0]).length", control)
            page.keys(Keys.END, *[Keys.UP] * (count - 1 - value))
        else:
            page.chord(Keys.ALT, key)
            page.keys(Keys.HOME, *[Keys.DOWN] * value)
        self.assertEqual(page.focused(), control, f"Alt+{key.upper()}")
        self.assertEqual(page.js(state, control), value, f"{control} after the keys")

    def preview_look(self, cells):
        """The class of each preview cell named as a spreadsheet names it ("B1")."""
        return {name: self.page.js("""const [column, row] = arguments;
            const cell = document.getElementById('tblPreview').rows[row].cells[column];
            const hidden = cell.querySelector('.visually-hidden');
            return cell.className + (hidden ? hidden.textContent : '')""",
                                   ord(name[0]) - ord("A") + 1, int(name[1:])) for name in cells}

    def ok_allowed(self):
        return not self.page.js("return document.getElementById('cmdImportOk').disabled")

    def open_import(self, how, name, data):
        # WebKit's files are given in the page, served: under WebDriver it sometimes never
        # finishes loading the page from disk after a served one.
        webkit = self.browser.kind == "webkit"
        page = self.open_page(from_disk=how is DiskFiles and not webkit)
        files = (InjectedFiles if webkit else how)(page)
        self.addCleanup(files.close)
        files.place(name, data)
        page.set_counts(5, 12)
        files.choose_input(name)
        page.wait("the Import dialog", page.import_open)
        return page, files

    def test_imports_with_the_keyboard(self):
        """Tables of the five subjects' study through the Import dialog with the keyboard alone:
        the choices, OK refused while a card is unsorted and allowed once it is a group of its
        own, the preview's look, the list of stimuli saved (or its save cancelled), Enter for
        OK; then the run's output compared byte for byte with the expected matrices, and
        nothing refused by the page's content security policy."""
        for name, file_name, data, how, stages, save_list, codes in IMPORTS:
            with self.subTest(name):
                page, files = self.open_import(how, file_name, data)
                for choices, allowed, look in stages:
                    for control, value in choices:
                        self.choose(control, value)
                    self.assertEqual(self.ok_allowed(), allowed, page.text("lblRefusal"))
                    self.assertEqual(page.text("lblRefusal") == "", allowed)
                    self.assertEqual(self.preview_look(look), {
                        cell: role + {"name": " (name)", "problem": " (problem)"}.get(role, "")
                        for cell, role in look.items()})
                    if not allowed:
                        self.assertIn("C2", page.text("lstProblems"))
                        page.keys(Keys.ENTER)
                        time.sleep(0.3)
                        self.assertTrue(page.import_open(), "Enter while OK is refused")
                self.assertEqual(page.js("""return Array.from(document.querySelectorAll(
                    '#lstStimuli li'), (li) => li.textContent)"""),
                    [f"{n}  {s}" for n, s in enumerate(STIMULI, 1)])
                if save_list is not None:
                    files.choose_save(save_list or None, lambda: page.chord(Keys.ALT, "s"))
                    if save_list:
                        page.wait("what became of the list",
                                  lambda: page.text("lblSaveResult") != "")
                        self.assertIn(save_list, page.text("lblSaveResult"))
                        self.assert_output(files, save_list, LIST_OF_STIMULI)
                    else:  # cancelled: nothing is said
                        time.sleep(0.3)
                        self.assertEqual(page.text("lblSaveResult"), "")
                    self.assertTrue(page.import_open(), "the save closed the Import dialog")
                page.chord(Keys.ALT, "l")
                page.keys(Keys.ENTER)
                page.wait("the Import dialog to close", lambda: not page.import_open())
                self.assert_label("lblSubsStim", "There are  5 subjects and  12 stimuli.")
                self.assert_label("lblIfileInfo", f"Input File = {file_name}")
                self.assertNotEqual(page.detail("lblIfileInfo"), file_name, "how it is read")
                files.choose_output("matrices.txt")
                self.assertEqual(page.submit(), STATUS_DONE)
                self.assert_output(files, "matrices.txt",
                                   expected_matrices(5, 12, sort_data(codes)))
                page.wait_tones(0)
                self.assertEqual(page.refused_by_policy(), [])
                self.assert_nothing_sent()

    # Name, the input's name and bytes, the control that has the focus when the dialog opens,
    # and how it is left.
    CANCELS = [
        ("Escape", "study words.csv", WORDS_CSV, "cboSeparator", "Escape"),
        ("Enter on Cancel, after Tab through every control", "study words.csv", WORDS_CSV,
         "cboSeparator", "Tab"),
        ("a workbook of three sheets, the second chosen", "cells.xlsx",
         read(*WORKBOOKS, "cells.xlsx"), "cboSheet", "Escape"),
        ("a workbook that cannot be read", "broken.xlsx", b"PK\x03\x04" + bytes(60),
         "cmdImportCancel", "Escape"),
    ]

    def test_cancel_leaves_plain_sort_data(self):
        """The dialog left with Escape or with Enter on Cancel (after a walk of the Tab order),
        and over a file that is no table (only Cancel usable); every control named for
        assistive technology. The file is then read as plain sort data, which it is not: the
        run fails with five beeps."""
        for name, file_name, data, focused, leave in self.CANCELS:
            with self.subTest(name):
                page, files = self.open_import(PickedFiles, file_name, data)
                self.assertEqual(page.focused(), focused, "the focus when the dialog opens")
                table = focused != "cmdImportCancel"
                self.assert_accessible(table)
                if focused == "cboSheet":
                    self.choose("cboSheet", 1)
                if not table:
                    self.assertFalse(self.ok_allowed())
                    self.assertNotEqual(page.text("lblRefusal"), "", "why the file is no table")
                    self.assertEqual(page.js("""return [
                        document.getElementById('cboLayout').disabled,
                        document.getElementById('tblPreview').rows.length,
                        document.getElementById('lstProblems').children.length]"""),
                        [True, 0, 0])
                if leave == "Tab":
                    for control, value in WIDE_NAMES:
                        self.choose(control, value)
                    page.chord(Keys.ALT, "l")
                    for control in TAB_ORDER[1:]:
                        page.keys(Keys.TAB)
                        self.assertEqual(page.focused(), control, "the Tab order")
                    page.keys(Keys.ENTER)
                else:
                    page.keys(Keys.ESCAPE)
                page.wait("the Import dialog to close", lambda: not page.import_open())
                self.assert_label("lblIfileInfo", f"Input File = {file_name}", file_name)
                self.assert_label("lblSubsStim", "There are  5 subjects and  12 stimuli.")
                files.choose_output("matrices.txt")
                self.assertEqual(page.submit(), STATUS_FAILED)
                page.wait_tones(5)
                self.assertEqual(page.refused_by_policy(), [])

    def assert_accessible(self, table):
        """Every shown control's accessible name and access key; the dialog, the preview and
        its headers, and the lists, by role."""
        page = self.page
        for control, (key, spoken) in IMPORT_CONTROLS.items():
            if not page.element(control).is_displayed():
                continue
            with self.subTest(control=control):
                self.assertEqual(page.element(control).accessible_name, spoken)
                enabled = page.js("""const e = document.getElementById(arguments[0]);
                    return !e.disabled && e.getAttribute('aria-disabled') !== 'true'""", control)
                self.assertEqual(page.element(control).get_attribute("accesskey"),
                                 key if enabled and table else None)
        roles = {control: page.element(control).aria_role
                 for control in ("dlgImport", "tblPreview", "lstStimuli", "lstProblems")}
        self.assertEqual(roles, {"dlgImport": "dialog", "tblPreview": "table",
                                 # WebKit tells an empty list as a group
                                 "lstStimuli": "list" if table else roles["lstStimuli"],
                                 "lstProblems": "list" if table else roles["lstProblems"]})
        if table:
            self.assertEqual(page.js("""const t = document.getElementById('tblPreview');
                return [t.rows[0].cells[1].scope, t.rows[0].cells[1].textContent,
                        t.rows[1].cells[0].scope, t.rows[1].cells[0].textContent]"""),
                ["col", "A", "row", "1"])
