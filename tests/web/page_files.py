"""The ways the page gets at files, as the tests place, choose and look at them. state() gives
every file a test can see: its path, and its size, time and SHA-256.

PickedFiles: the browser's pickers (Chromium), replaced by ones that hand out files of its
private file system; the page reads and writes them itself.
DiskFiles: the page opened from disk without the pickers, as Firefox and Safari have it: the
file input given a file from disk, the output a download into the browser's download folder."""

import base64
import hashlib
import os
import shutil
import tempfile

from selenium.webdriver.common.keys import Keys

from browser import FILE_HELPERS


class PickedFiles:
    def __init__(self, page):
        self.page = page
        # The pickers answer from a queue the test fills: a path, or null for a cancel (an
        # AbortError, as a person's cancel gives). Each call's options are kept.
        page.js(FILE_HELPERS + """
            window.__answers = {open: [], save: []};
            window.__pickerCalls = [];
            function __answer(kind, options) {
              window.__pickerCalls.push({kind, options: JSON.stringify(options || {})});
              const path = window.__answers[kind].shift();
              if (path === undefined) throw new Error('no answer for this ' + kind + ' picker');
              if (path === null) throw new DOMException('The user aborted.', 'AbortError');
              return path;
            }
            window.showOpenFilePicker = async (o) => [await __handle(__answer('open', o), false)];
            window.showSaveFilePicker = async (o) => __handle(__answer('save', o), true);""")

    def place(self, path, data):
        self.page.js_async("""const handle = await __handle(args[0], true);
            const writable = await handle.createWritable();
            await writable.write(Uint8Array.from(atob(args[1]), (c) => c.charCodeAt(0)));
            await writable.close();""", path, base64.b64encode(data).decode())

    def state(self):
        return self.page.js_async("""const state = {};
            async function walk(folder, prefix) {
              for await (const [name, handle] of folder.entries()) {
                if (handle.kind === 'directory') {
                  await walk(handle, prefix + name + '/');
                } else {
                  const file = await handle.getFile();
                  state[prefix + name] = [file.size, file.lastModified,
                                          (await __digests(file, [file.size]))[0]];
                }
              }
            }
            await walk(await navigator.storage.getDirectory(), '');
            return state;""")

    def choose_input(self, path, press=None):
        """Presses "2. Select Input File" (or PRESS does) and picks PATH (None: cancels)."""
        self._choose("open", path, press or (lambda: self.page.click("cmdDataIn")))

    def choose_output(self, path):
        self.choose_save(path, lambda: self.page.click("cmdDataOut"))

    def choose_save(self, path, press):
        """PRESS opens a save picker, which picks PATH (None: cancels)."""
        self._choose("save", path, press)

    def _choose(self, kind, path, press):
        page = self.page
        page.js("window.__answers[arguments[0]].push(arguments[1])", kind, path)
        press()
        page.wait("the picker to be used", lambda: page.js(
            "return window.__answers.open.length + window.__answers.save.length") == 0)
        page.wait_idle()

    def close(self):
        pass


class DiskFiles:
    def __init__(self, page):
        self.page = page
        self.folder = tempfile.mkdtemp(prefix="dissim-web-files-")
        self.downloads = page.browser.downloads
        for name in os.listdir(self.downloads):
            os.remove(os.path.join(self.downloads, name))
        if page.js("""for (const name of ['showOpenFilePicker', 'showSaveFilePicker']) {
                        delete window[name];
                        delete Window.prototype[name];
                      }
                      return 'showOpenFilePicker' in window || 'showSaveFilePicker' in window;"""):
            raise AssertionError("the pickers could not be removed")
        page.driver.execute_cdp_cmd("Page.setInterceptFileChooserDialog", {"enabled": True})

    def place(self, path, data):
        full = os.path.join(self.folder, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(data)

    def state(self):
        """The files given to the page by their paths, the downloads by their names."""
        state = {}
        for top in (self.folder, self.downloads):
            for root, _, names in os.walk(top):
                for name in names:
                    full = os.path.join(root, name)
                    with open(full, "rb") as f:
                        data = f.read()
                    state[os.path.relpath(full, top)] = [
                        len(data), os.stat(full).st_mtime_ns, hashlib.sha256(data).hexdigest()]
        return state

    def choose_input(self, path):
        self.page.click("cmdDataIn")
        self.page.element("fileInput").send_keys(os.path.join(self.folder, path))
        self.page.wait_idle()

    def choose_output(self, path):
        self.choose_save(path, lambda: self.page.click("cmdDataOut"))

    def choose_save(self, path, press):
        """PRESS opens the page's own Save As dialog, where the download's name is typed (None:
        Escape)."""
        page = self.page
        press()
        save_as_open = lambda: page.js("return document.getElementById('saveAs').open")  # noqa
        page.wait("the Save As dialog", save_as_open)
        page.wait("the name field to have the focus", lambda: page.focused() == "saveAsName")
        # The name kept from the open is offered selected, so that typing replaces it.
        offered = page.js("""const field = document.getElementById('saveAsName');
            return [field.value, field.selectionStart, field.selectionEnd]""")
        if offered[1:] != [0, len(offered[0])]:
            raise AssertionError(f"the offered name {offered[0]!r} is not selected: {offered}")
        if path is None:
            page.keys(Keys.ESCAPE)
        else:
            page.keys(os.path.basename(path), Keys.ENTER)
        page.wait("the Save As dialog to close", lambda: not save_as_open())
        page.wait_idle()

    def close(self):
        shutil.rmtree(self.folder, ignore_errors=True)


class InjectedFiles(DiskFiles):
    """WebKit under WebDriver, whose file chooser cancels at once and whose downloads a test
    cannot collect: the file input given a File made in the page, as a chooser gives it (through
    DataTransfer), and each download kept in the page (the link's blob) instead of handed to the
    browser. The pickers are removed, as DiskFiles does; the page's Save As is typed into."""

    def __init__(self, page):
        self.page = page
        page.js("""for (const name of ['showOpenFilePicker', 'showSaveFilePicker']) {
              delete window[name];
              delete Window.prototype[name];
            }
            window.__placed = {};
            window.__chosen = [];
            window.__blobs = {};
            window.__downloads = {};
            const click = HTMLInputElement.prototype.click;
            HTMLInputElement.prototype.click = function () {
              if (this.type !== 'file') return click.apply(this, arguments);
              const input = this, file = window.__placed[window.__chosen.shift()];
              setTimeout(() => {
                if (file === undefined) return input.dispatchEvent(new Event('cancel'));
                const transfer = new DataTransfer();
                transfer.items.add(file);
                input.files = transfer.files;
                input.dispatchEvent(new Event('change'));
              }, 0);
            };
            const objectUrl = URL.createObjectURL;
            URL.createObjectURL = function (blob) {
              const url = objectUrl.call(URL, blob);
              window.__blobs[url] = blob;
              return url;
            };
            const follow = HTMLAnchorElement.prototype.click;
            HTMLAnchorElement.prototype.click = function () {
              if (!this.download) return follow.apply(this, arguments);
              window.__downloads[this.download] = window.__blobs[this.href];
            };""")

    def place(self, path, data):
        self.page.js("""window.__placed[arguments[0]] = new File(
            [Uint8Array.from(atob(arguments[1]), (c) => c.charCodeAt(0))],
            arguments[0].split('/').pop());""", path, base64.b64encode(data).decode())

    def state(self):
        """The files placed by their paths, the downloads by their names (no times)."""
        files = self.page.js_async("""const files = {};
            const all = Object.assign({}, window.__placed, window.__downloads);
            for (const [name, blob] of Object.entries(all)) {
              const bytes = new Uint8Array(await blob.arrayBuffer());
              let text = '';
              for (let i = 0; i < bytes.length; i += 8192)
                text += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
              files[name] = btoa(text);
            }
            return files;""")
        state = {}
        for name, encoded in files.items():
            data = base64.b64decode(encoded)
            state[name] = [len(data), 0, hashlib.sha256(data).hexdigest()]
        return state

    def choose_input(self, path):
        self.page.js("window.__chosen.push(arguments[0])", path)
        self.page.click("cmdDataIn")
        self.page.wait_idle()

    def close(self):
        pass
