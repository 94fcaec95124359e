"""The two ways the page gets at files, as the tests place, choose and read them.

PickedFiles: the browser's pickers (Chromium), replaced by ones that hand out files of its
private file system; the page reads and writes them itself.
DiskFiles: a browser without the pickers (Firefox, Safari): the page's file input, given a file
from disk through WebDriver, and the output as a download into the browser's download folder."""

import os
import shutil
import tempfile
import time

from selenium.webdriver.common.keys import Keys

from browser import STEP_SECONDS


class PickedFiles:
    kind = "picked"

    def __init__(self, page):
        self.page = page
        page.replace_pickers()

    def place(self, path, data):
        self.page.put_file(path, data)

    def read(self, path):
        return self.page.read_file(path)

    def state(self):
        return self.page.private_files_state()

    def choose_input(self, path, press=None):
        """Presses "2. Select Input File" (or PRESS does) and picks PATH (None: cancels)."""
        self.page.answer_picker("open", path)
        (press or (lambda: self.page.click("cmdDataIn")))()
        self._wait_answered()

    def choose_output(self, path, press=None):
        self.page.answer_picker("save", path)
        (press or (lambda: self.page.click("cmdDataOut")))()
        self._wait_answered()

    def _wait_answered(self):
        self.page.wait("the picker to be used", lambda: self.page.picker_answers_left() == 0)
        self.page.wait_idle()

    def wait_output(self, path, expected, seconds=STEP_SECONDS):
        """Waits until the file at PATH holds EXPECTED; returns what it holds at the end."""
        deadline = time.monotonic() + seconds
        while True:
            data = self.read(path)
            if data == expected or time.monotonic() > deadline:
                return data
            time.sleep(0.1)

    def close(self):
        pass


class DiskFiles:
    kind = "disk"

    def __init__(self, page):
        self.page = page
        self.folder = tempfile.mkdtemp(prefix="dissim-web-files-")
        self.downloads = page.browser.downloads
        for name in os.listdir(self.downloads):
            os.remove(os.path.join(self.downloads, name))
        page.remove_pickers()
        page.driver.execute_cdp_cmd("Page.setInterceptFileChooserDialog", {"enabled": True}) \
            if page.browser.kind == "chromium" else None

    def place(self, path, data):
        full = os.path.join(self.folder, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(data)

    def read(self, path):
        """The input's bytes, or the downloaded output's (by its name)."""
        for full in (os.path.join(self.folder, path),
                     os.path.join(self.downloads, os.path.basename(path))):
            if os.path.exists(full):
                with open(full, "rb") as f:
                    return f.read()
        return None

    def state(self):
        result = []
        for root, _, files in os.walk(self.folder):
            for name in files:
                full = os.path.join(root, name)
                info = os.stat(full)
                with open(full, "rb") as f:
                    result.append((full, info.st_size, info.st_mtime_ns, f.read()))
        return sorted(result)

    def choose_input(self, path, press=None):
        (press or (lambda: self.page.click("cmdDataIn")))()
        chooser = self.page.element("fileInput")
        chooser.send_keys(os.path.join(self.folder, path))
        self.page.wait_idle()

    def choose_output(self, path, press=None):
        """The download's name typed into the page's own Save As dialog (None: Escape)."""
        (press or (lambda: self.page.click("cmdDataOut")))()
        page = self.page
        page.wait("the Save As dialog", lambda: page.js(
            "return document.getElementById('saveAs').open"))
        page.wait("the name field to have the focus", lambda: page.focused() == "saveAsName")
        if path is None:
            page.keys(Keys.ESCAPE)
        else:
            page.chord(Keys.CONTROL, "a")
            page.keys(os.path.basename(path), Keys.ENTER)
        page.wait("the Save As dialog to close", lambda: not page.js(
            "return document.getElementById('saveAs').open"))
        page.wait_idle()

    def wait_output(self, path, expected, seconds=STEP_SECONDS):
        target = os.path.join(self.downloads, os.path.basename(path))
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            partial = [n for n in os.listdir(self.downloads) if n.endswith(".crdownload")]
            if os.path.exists(target) and not partial:
                break
            time.sleep(0.1)
        return self.read(path)

    def close(self):
        shutil.rmtree(self.folder, ignore_errors=True)
