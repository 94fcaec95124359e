"""The browser the web tests drive through WebDriver, the local server the page is served
from, and the page's controls as a person uses them: clicks, typing, keys.

Only the file pickers are replaced (by ones that hand out files of the browser's private file
system) and the tones are counted (by wrapping the Web Audio calls each beep makes); the page's
own code does everything else, its writing included."""

import base64
import functools
import http.server
import json
import os
import shutil
import tempfile
import threading
import time

from selenium import webdriver
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.chrome.service import Service as ChromiumService
from selenium.webdriver.webkitgtk.options import Options as WebKitOptions

TITLE = "Dissimilarity Matix Computation"
SUBJECTS_PROMPT = "How many subjects?"
STIMULI_PROMPT = "How many stimuli?"
STATUS_DONE = "Done!  Press Button 1 for another Run, or Exit to quit!"
STATUS_WRITING = "Writing output matrices..."
STATUS_FAILED = "Problem with your data entry or files! Check them and try again!"
# Seconds a person's step may take to show its effect (a prompt opening, a run ending).
STEP_SECONDS = 20


class PageServer:
    """Serves one folder on 127.0.0.1 at a free port and records every request it gets."""

    def __init__(self, folder):
        self.requests = []
        log = self.requests

        class Handler(http.server.SimpleHTTPRequestHandler):
            def log_message(self, *args):
                log.append((time.monotonic(), self.path))

        handler = functools.partial(Handler, directory=folder)
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.port = self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def url(self, name):
        return f"http://127.0.0.1:{self.port}/{name}"

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class Browser:
    """One browser for a whole test run, with a temporary profile and download folder."""

    def __init__(self, kind, page_file):
        self.kind = kind
        self.folder = tempfile.mkdtemp(prefix="dissim-web-")
        self.served = os.path.join(self.folder, "served")
        self.downloads = os.path.join(self.folder, "downloads")
        os.makedirs(self.served)
        os.makedirs(self.downloads)
        self.page_name = "dissimilarity_matrices.html"
        self.page_path = os.path.join(self.served, self.page_name)
        shutil.copyfile(page_file, self.page_path)
        self.server = PageServer(self.served)
        self.driver = self._start_chromium() if kind == "chromium" else self._start_webkit()
        self.driver.set_script_timeout(900)
        self.has_private_files = self._probe_private_files()

    def _start_chromium(self):
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for argument in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage",
                         "--window-size=1024,768", "--autoplay-policy=no-user-gesture-required",
                         "--no-first-run", "--no-default-browser-check",
                         "--disable-background-networking", "--disable-component-update",
                         f"--user-data-dir={os.path.join(self.folder, 'profile')}"):
            options.add_argument(argument)
        # The DevTools Network events of every page, to show that nothing leaves the page.
        options.set_capability("goog:loggingPrefs", {"performance": "ALL"})
        # A test that failed during a run leaves the page asking before it is left: the next
        # test's page is loaded all the same.
        options.set_capability("unhandledPromptBehavior", "accept")
        service = ChromiumService(executable_path="/usr/bin/chromedriver")
        driver = webdriver.Chrome(service=service, options=options)
        driver.execute_cdp_cmd("Browser.setDownloadBehavior", {
            "behavior": "allow", "downloadPath": self.downloads})
        return driver

    def _start_webkit(self):
        options = WebKitOptions()
        options.binary_location = webkit_minibrowser()
        options.add_argument("--automation")
        return webdriver.WebKitGTK(executable_path="/usr/bin/WebKitWebDriver", options=options,
                                   service_log_path=os.path.join(self.folder, "webkit.log"))

    def _probe_private_files(self):
        self.driver.get(self.server.url(self.page_name))
        return bool(self.driver.execute_async_script("""
            const done = arguments[arguments.length - 1];
            (async () => {
              const root = await navigator.storage.getDirectory();
              const h = await root.getFileHandle('.probe', {create: true});
              const w = await h.createWritable(); await w.write('x'); await w.close();
              await root.removeEntry('.probe');
              return true;
            })().then(done, () => done(false));"""))

    def network_events(self):
        """The DevTools Network events since the last call (Chromium only)."""
        if self.kind != "chromium":
            return []
        events = []
        for entry in self.driver.get_log("performance"):
            message = json.loads(entry["message"])["message"]
            if message["method"].startswith("Network."):
                events.append(message)
        return events

    def close(self):
        try:
            self.driver.quit()
        except WebDriverException:
            pass
        self.server.close()
        shutil.rmtree(self.folder, ignore_errors=True)


def webkit_minibrowser():
    for root, _, files in os.walk("/usr/lib"):
        if "MiniBrowser" in files and "webkit2gtk" in root:
            return os.path.join(root, "MiniBrowser")
    raise RuntimeError("MiniBrowser not found (install webkit2gtk-driver)")


# Counts the page's tones: each beep creates one oscillator and starts it once.
COUNT_TONES = """
if (!window.__tones) {
  window.__tones = {created: 0, started: 0};
  const Context = window.AudioContext || window.webkitAudioContext;
  const create = Context.prototype.createOscillator;
  Context.prototype.createOscillator = function () {
    window.__tones.created++;
    return create.apply(this, arguments);
  };
  const start = OscillatorNode.prototype.start;
  OscillatorNode.prototype.start = function () {
    window.__tones.started++;
    return start.apply(this, arguments);
  };
}
"""

# The pickers replaced by ones that answer from a queue the test fills: a path in the private
# file system, or null for a cancel (an AbortError, as a person's cancel gives).
REPLACE_PICKERS = """
window.__answers = {open: [], save: []};
window.__pickerCalls = [];
async function __handle(path, create) {
  let folder = await navigator.storage.getDirectory();
  const parts = path.split('/');
  for (const part of parts.slice(0, -1))
    folder = await folder.getDirectoryHandle(part, {create});
  return folder.getFileHandle(parts[parts.length - 1], {create});
}
function __answer(kind, options) {
  window.__pickerCalls.push({kind, options: JSON.stringify(options || {})});
  const path = window.__answers[kind].shift();
  if (path === undefined) throw new Error('the test gave no answer for this ' + kind + ' picker');
  if (path === null) throw new DOMException('The user aborted a request.', 'AbortError');
  return path;
}
window.showOpenFilePicker = async (options) => [await __handle(__answer('open', options), false)];
window.showSaveFilePicker = async (options) => __handle(__answer('save', options), true);
"""

# Browsers without the pickers (Firefox, Safari): the page's file input and download.
REMOVE_PICKERS = """
for (const name of ['showOpenFilePicker', 'showSaveFilePicker']) {
  delete window[name];
  delete Window.prototype[name];
}
return 'showOpenFilePicker' in window || 'showSaveFilePicker' in window;
"""

PRIVATE_FILES = """
async function __folder(path, create) {
  let folder = await navigator.storage.getDirectory();
  const parts = path.split('/');
  for (const part of parts.slice(0, -1))
    folder = await folder.getDirectoryHandle(part, {create});
  return [folder, parts[parts.length - 1]];
}
"""


class Page:
    """The program's page in the browser, driven as a person would."""

    def __init__(self, browser, from_disk=False):
        self.browser = browser
        self.driver = browser.driver
        url = ("file://" + browser.page_path) if from_disk else browser.server.url(
            browser.page_name)
        started = time.monotonic()
        self.driver.get(url)
        self.wait("the page to be ready", lambda: self.js(
            "return document.body.dataset.ready === '1'"))
        self.start_seconds = time.monotonic() - started
        if not from_disk and browser.has_private_files:
            self.clear_private_files()
        self.loaded_at = time.monotonic()
        self.browser.network_events()  # those of loading are not counted
        self.js(COUNT_TONES)
        # Each time the prompt closes (the same <dialog> shows every question).
        self.js("""window.__promptCloses = 0;
                   document.getElementById('prompt').addEventListener(
                     'close', () => window.__promptCloses++);""")

    # --- looking at the page
    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def js_async(self, body, *args):
        """Runs BODY (an async function's body, ARGS as args) and returns its result."""
        result = self.driver.execute_async_script(
            PRIVATE_FILES + """
            const done = arguments[arguments.length - 1];
            const args = Array.prototype.slice.call(arguments, 0, -1);
            (async (args) => {""" + body + """})(args).then(
              (value) => done({value}), (error) => done({error: String(error)}));""", *args)
        if "error" in result:
            raise AssertionError(f"script failed: {result['error']}")
        return result.get("value")

    def wait(self, what, condition, seconds=STEP_SECONDS):
        deadline = time.monotonic() + seconds
        while True:
            value = condition()
            if value:
                return value
            if time.monotonic() > deadline:
                raise AssertionError(f"timed out after {seconds} s waiting for {what}")
            time.sleep(0.03)

    def element(self, element_id):
        return self.driver.find_element(By.ID, element_id)

    def text(self, element_id):
        return self.js("return document.getElementById(arguments[0]).textContent", element_id)

    def detail(self, element_id):
        return self.js("return document.getElementById(arguments[0]).title", element_id)

    def focused(self):
        return self.js("return document.activeElement && document.activeElement.id")

    def prompt_open(self):
        return self.js("return document.getElementById('prompt').open")

    def busy(self):
        return self.js("return document.body.dataset.busy === '1'")

    def ended(self):
        return self.js("return document.body.dataset.ended === '1'")

    def tones(self):
        counts = self.js("return window.__tones")
        if counts["created"] != counts["started"]:
            raise AssertionError(f"{counts['created']} oscillators made, {counts['started']} "
                                 "started: every beep is one oscillator started once")
        return counts["started"]

    def wait_tones(self, count, settle=0.6):
        """Waits until COUNT tones have sounded and no more follow."""
        self.wait(f"{count} tones", lambda: self.tones() >= count)
        time.sleep(settle)
        heard = self.tones()
        if heard != count:
            raise AssertionError(f"expected {count} tones, heard {heard}")

    # --- a person's actions
    def click(self, element_id):
        self.element(element_id).click()

    def keys(self, *keys):
        """Key presses to whatever has the focus."""
        actions = ActionChains(self.driver)
        for key in keys:
            actions.send_keys(key)
        actions.perform()

    def chord(self, modifier, key):
        ActionChains(self.driver).key_down(modifier).send_keys(key).key_up(modifier).perform()

    def alt(self, letter):
        self.chord(Keys.ALT, letter)

    def wait_prompt(self, title):
        self.wait(f'the prompt "{title}"', self.prompt_open)
        shown = self.text("promptTitle")
        if shown != title:
            raise AssertionError(f'the prompt is "{shown}", expected "{title}"')
        self.wait("the prompt's field to have the focus", lambda: self.focused() == "promptText")
        field = self.js("return document.getElementById('promptText').value")
        if field != "":
            raise AssertionError(f'the prompt\'s field holds "{field}", expected it empty')

    def prompt_closes(self):
        return self.js("return window.__promptCloses")

    def answer_prompt(self, title, text, how="enter"):
        """Types TEXT into the prompt and confirms it with Enter or a click on OK."""
        self.wait_prompt(title)
        closes = self.prompt_closes()
        if how == "enter":
            self.keys(text, Keys.ENTER)
        else:
            self.keys(text)
            self.click("promptOk")
        self.wait(f'the prompt "{title}" to close', lambda: self.prompt_closes() > closes)

    def cancel_prompt(self, title, how="escape"):
        self.wait_prompt(title)
        closes = self.prompt_closes()
        if how == "escape":
            self.keys(Keys.ESCAPE)
        else:
            self.click("promptCancel")
        self.wait(f'the prompt "{title}" to close', lambda: self.prompt_closes() > closes)

    def set_counts(self, subjects, stimuli):
        self.click("cmdSubsStim")
        self.answer_prompt(SUBJECTS_PROMPT, str(subjects))
        self.answer_prompt(STIMULI_PROMPT, str(stimuli))

    def wait_idle(self, seconds=STEP_SECONDS):
        self.wait("the page to finish what it does", lambda: not self.busy() and not
                  self.prompt_open(), seconds)

    def submit(self, seconds=STEP_SECONDS):
        """Presses "4. Submit" and waits for the run to end; returns the status text."""
        self.click("cmdSubmit")
        self.wait("the run to end", lambda: self.text("lblStatus") in (STATUS_DONE, STATUS_FAILED)
                  and not self.busy(), seconds)
        return self.text("lblStatus")

    # --- the private file system, and the pickers that hand out its files
    def replace_pickers(self):
        self.js(REPLACE_PICKERS)

    def answer_picker(self, kind, path):
        """The next open or save picker answers PATH (None: the person cancels it)."""
        self.js("window.__answers[arguments[0]].push(arguments[1])", kind, path)

    def picker_answers_left(self):
        return self.js("return window.__answers.open.length + window.__answers.save.length")

    def remove_pickers(self):
        if self.js(REMOVE_PICKERS):
            raise AssertionError("the pickers could not be removed")

    def clear_private_files(self):
        self.js_async("""
            const root = await navigator.storage.getDirectory();
            for await (const name of root.keys()) await root.removeEntry(name, {recursive: true});
        """)

    def put_file(self, path, data):
        self.js_async("""
            const [folder, name] = await __folder(args[0], true);
            const bytes = Uint8Array.from(atob(args[1]), (c) => c.charCodeAt(0));
            const writable = await (await folder.getFileHandle(name, {create: true})).createWritable();
            await writable.write(bytes);
            await writable.close();
        """, path, base64.b64encode(data).decode())

    def read_file(self, path):
        """The file's bytes, or None when there is no such file."""
        encoded = self.js_async("""
            let folder, name;
            try { [folder, name] = await __folder(args[0], false);
                  const file = await (await folder.getFileHandle(name)).getFile();
                  const bytes = new Uint8Array(await file.arrayBuffer());
                  let text = '';
                  for (let i = 0; i < bytes.length; i += 0x8000)
                    text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
                  return btoa(text);
            } catch (e) { if (e.name === 'NotFoundError') return null; throw e; }
        """, path)
        return None if encoded is None else base64.b64decode(encoded)

    def file_digests(self, path, chunk):
        """The file's size and the SHA-256 of each CHUNK bytes, worked out in the browser."""
        result = self.js_async("""
            const [folder, name] = await __folder(args[0], false);
            const file = await (await folder.getFileHandle(name)).getFile();
            const digests = [];
            for (let at = 0; at < file.size; at += args[1]) {
              const digest = await crypto.subtle.digest(
                'SHA-256', await file.slice(at, at + args[1]).arrayBuffer());
              digests.push(Array.from(new Uint8Array(digest),
                                      (b) => b.toString(16).padStart(2, '0')).join(''));
            }
            return [file.size, digests];
        """, path, chunk)
        return result[0], result[1]

    def private_files_state(self):
        """Every file of the private file system with its size, time and contents' digest."""
        return self.js_async("""
            const state = [];
            async function walk(folder, prefix) {
              for await (const [name, handle] of folder.entries()) {
                if (handle.kind === 'directory') { await walk(handle, prefix + name + '/'); continue; }
                const file = await handle.getFile();
                const digest = await crypto.subtle.digest('SHA-256', await file.arrayBuffer());
                state.push([prefix + name, file.size, file.lastModified,
                            Array.from(new Uint8Array(digest)).join(',')]);
              }
            }
            await walk(await navigator.storage.getDirectory(), '');
            return state.sort();
        """)

    def requests_after_load(self):
        """What the page asked for after it had loaded: the requests the server saw, and every
        DevTools Network request that was not for data the page holds itself (data:, blob:)."""
        seen = [path for at, path in self.browser.server.requests if at > self.loaded_at]
        for event in self.browser.network_events():
            if event["method"] == "Network.requestWillBeSent":
                url = event["params"]["request"]["url"]
                if not url.startswith(("data:", "blob:")):
                    seen.append(url)
            elif event["method"] == "Network.webSocketCreated":
                seen.append(event["params"]["url"])
        return seen
