"""The browser the web tests drive through WebDriver, the local server the page comes from, and
the page's controls used as a person uses them. Only the file pickers are replaced
(page_files.py) and the tones counted (by wrapping the Web Audio call that starts each one)."""

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

SUBJECTS_PROMPT = "How many subjects?"
STIMULI_PROMPT = "How many stimuli?"
STATUS_DONE = "Done!  Press Button 1 for another Run, or Exit to quit!"
STATUS_WRITING = "Writing output matrices..."
STATUS_FAILED = "Problem with your data entry or files! Check them and try again!"
STEP_SECONDS = 20  # what a person's step may take to show its effect
PAGE_NAME = "dissimilarity_matrices.html"

# For the scripts run by js_async: a file of the private file system by its path, and the
# SHA-256 of a file's consecutive slices.
FILE_HELPERS = """
async function __handle(path, create) {
  let folder = await navigator.storage.getDirectory();
  const parts = path.split('/');
  for (const part of parts.slice(0, -1))
    folder = await folder.getDirectoryHandle(part, {create});
  return folder.getFileHandle(parts[parts.length - 1], {create});
}
async function __digests(file, sizes) {
  const digests = [];
  for (let at = 0, i = 0; i < sizes.length; at += sizes[i++]) {
    const slice = await file.slice(at, at + sizes[i]).arrayBuffer();
    const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', slice));
    digests.push(Array.from(digest, (b) => b.toString(16).padStart(2, '0')).join(''));
  }
  return digests;
}
"""


class Browser:
    """One browser for the whole run, with a temporary profile and download folder, and a server
    on 127.0.0.1 that serves the page and records every request it gets."""

    def __init__(self, kind, page_file):
        self.kind = kind
        self.folder = tempfile.mkdtemp(prefix="dissim-web-")
        served = os.path.join(self.folder, "served")
        self.downloads = os.path.join(self.folder, "downloads")
        os.makedirs(served)
        os.makedirs(self.downloads)
        self.page_path = os.path.join(served, PAGE_NAME)
        shutil.copyfile(page_file, self.page_path)
        self.requests = log = []

        class Handler(http.server.SimpleHTTPRequestHandler):
            def log_message(self, *args):
                log.append((time.monotonic(), self.path))

        self.server = http.server.ThreadingHTTPServer(
            ("127.0.0.1", 0), functools.partial(Handler, directory=served))
        threading.Thread(target=self.server.serve_forever, daemon=True).start()
        self.url = f"http://127.0.0.1:{self.server.server_address[1]}/{PAGE_NAME}"
        self.driver = self._start_chromium() if kind == "chromium" else self._start_webkit()
        self.driver.set_script_timeout(900)
        self.driver.get(self.url)
        self.has_private_files = bool(self.driver.execute_async_script("""
            const done = arguments[arguments.length - 1];
            (async () => {
              const root = await navigator.storage.getDirectory();
              const w = await (await root.getFileHandle('.probe', {create: true})).createWritable();
              await w.write('x'); await w.close(); await root.removeEntry('.probe');
              return true;
            })().then(done, () => done(false));"""))

    def _start_chromium(self):
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for argument in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage",
                         "--window-size=1024,768", "--autoplay-policy=no-user-gesture-required",
                         "--no-first-run", "--no-default-browser-check",
                         "--disable-background-networking", "--disable-component-update",
                         f"--user-data-dir={os.path.join(self.folder, 'profile')}"):
            options.add_argument(argument)
        # DevTools' Network events, to show that nothing leaves the page.
        options.set_capability("goog:loggingPrefs", {"performance": "ALL"})
        # A test that failed mid-run leaves the page asking before it is left.
        options.set_capability("unhandledPromptBehavior", "accept")
        driver = webdriver.Chrome(service=ChromiumService("/usr/bin/chromedriver"),
                                  options=options)
        driver.execute_cdp_cmd("Browser.setDownloadBehavior",
                               {"behavior": "allow", "downloadPath": self.downloads})
        return driver

    def _start_webkit(self):
        options = WebKitOptions()
        found = [os.path.join(root, "MiniBrowser") for root, _, files in os.walk("/usr/lib")
                 if "MiniBrowser" in files and "webkit2gtk" in root]
        if not found:
            raise RuntimeError("MiniBrowser not found (install webkit2gtk-driver)")
        options.binary_location = found[0]
        options.add_argument("--automation")
        return webdriver.WebKitGTK(executable_path="/usr/bin/WebKitWebDriver", options=options,
                                   service_log_path=os.path.join(self.folder, "webkit.log"))

    def close(self):
        try:
            self.driver.quit()
        except WebDriverException:
            pass
        self.server.shutdown()
        self.server.server_close()
        shutil.rmtree(self.folder, ignore_errors=True)


class Page:
    """The program's page in the browser, driven as a person would."""

    def __init__(self, browser, from_disk=False):
        self.browser, self.driver = browser, browser.driver
        started = time.monotonic()
        self.driver.get("file://" + browser.page_path if from_disk else browser.url)
        self.wait("the page to be ready",
                  lambda: self.js("return document.body.dataset.ready === '1'"))
        self.start_seconds = time.monotonic() - started
        if not from_disk and browser.has_private_files:
            self.js_async("""const root = await navigator.storage.getDirectory();
                for await (const name of root.keys())
                  await root.removeEntry(name, {recursive: true});""")
        self.loaded_at = time.monotonic()
        self.requests_after_load()  # those of loading are not counted
        # Every beep is one tone: one oscillator started. The prompt (one <dialog> for every
        # question) counts its closes, so that a step can wait for its own.
        self.js("""window.__tones = 0;
            const start = OscillatorNode.prototype.start;
            OscillatorNode.prototype.start = function () {
              window.__tones++;
              return start.apply(this, arguments);
            };
            window.__promptCloses = 0;
            document.getElementById('prompt').addEventListener(
              'close', () => window.__promptCloses++);
            window.__refused = [];
            document.addEventListener('securitypolicyviolation',
              (event) => window.__refused.push(event.violatedDirective));""")

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def js_async(self, body, *args):
        """Runs BODY as an async function's body, with ARGS as args; returns its result."""
        result = self.driver.execute_async_script(FILE_HELPERS + """
            const done = arguments[arguments.length - 1];
            const args = Array.prototype.slice.call(arguments, 0, -1);
            (async (args) => {""" + body + """})(args).then(
              (value) => done({value}), (error) => done({error: String(error)}));""", *args)
        if "error" in result:
            raise AssertionError(f"script failed: {result['error']}")
        return result.get("value")

    def wait(self, what, condition, seconds=STEP_SECONDS):
        deadline = time.monotonic() + seconds
        while not (value := condition()):
            if time.monotonic() > deadline:
                raise AssertionError(f"timed out after {seconds} s waiting for {what}")
            time.sleep(0.03)
        return value

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

    def import_open(self):
        return self.js("return document.getElementById('dlgImport').open")

    def refused_by_policy(self):
        """What the page's content security policy refused since the page loaded."""
        return self.js("return window.__refused")

    def busy(self):
        return self.js("return document.body.dataset.busy === '1'")

    def ended(self):
        return self.js("return document.body.dataset.ended === '1'")

    def wait_tones(self, count):
        """Waits until COUNT tones have sounded and no more follow."""
        tones = lambda: self.js("return window.__tones")  # noqa: E731
        self.wait(f"{count} tones", lambda: tones() >= count)
        time.sleep(0.6)
        if tones() != count:
            raise AssertionError(f"expected {count} tones, heard {tones()}")

    def click(self, element_id):
        self.element(element_id).click()

    def keys(self, *keys):
        """Key presses to whatever has the focus."""
        ActionChains(self.driver).send_keys(*keys).perform()

    def chord(self, modifier, key):
        ActionChains(self.driver).key_down(modifier).send_keys(key).key_up(modifier).perform()

    def answer_prompt(self, title, text, how="key"):
        """Types TEXT into the prompt and confirms it with Enter (HOW "key") or a click on OK;
        TEXT None cancels it with Escape or a click on Cancel."""
        self.wait(f'the prompt "{title}"', self.prompt_open)
        shown = (self.text("promptTitle"), self.js(
            "return document.getElementById('promptText').value"))
        if shown != (title, ""):
            raise AssertionError(f"the prompt and its field are {shown}, expected ({title!r}, '')")
        self.wait("the prompt's field to have the focus", lambda: self.focused() == "promptText")
        closes = self.js("return window.__promptCloses")
        if text is None and how == "key":
            self.keys(Keys.ESCAPE)
        elif text is None:
            self.click("promptCancel")
        elif how == "key":
            self.keys(text, Keys.ENTER)
        else:
            self.keys(text)
            self.click("promptOk")
        self.wait(f'the prompt "{title}" to close',
                  lambda: self.js("return window.__promptCloses") > closes)

    def set_counts(self, subjects, stimuli):
        self.click("cmdSubsStim")
        self.answer_prompt(SUBJECTS_PROMPT, str(subjects))
        self.answer_prompt(STIMULI_PROMPT, str(stimuli))

    def wait_idle(self):
        self.wait("the page to finish what it does",
                  lambda: not self.busy() and not self.prompt_open())

    def submit(self):
        """Presses "4. Submit" and waits for the run to end; returns the status text."""
        self.click("cmdSubmit")
        self.wait("the run to end", lambda: self.text("lblStatus") in (STATUS_DONE, STATUS_FAILED)
                  and not self.busy())
        return self.text("lblStatus")

    def requests_after_load(self):
        """What the page asked for after it had loaded: the requests the server saw, and every
        DevTools Network request but for data the page holds itself (data:, blob:)."""
        seen = [path for at, path in self.browser.requests if at > self.loaded_at]
        for entry in self.driver.get_log("performance") if self.browser.kind == "chromium" else []:
            message = json.loads(entry["message"])["message"]
            if message["method"] == "Network.requestWillBeSent":
                url = message["params"]["request"]["url"]
                if not url.startswith(("data:", "blob:")):
                    seen.append(url)
            elif message["method"] == "Network.webSocketCreated":
                seen.append(message["params"]["url"])
        return seen
