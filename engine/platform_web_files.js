// The engine's files in a browser: the files the user has chosen, by the names the engine sees
// as paths, and the files the engine has open, by the numbers it holds (platform_web.cpp).
//
// A browser never shows a path: the page registers each file the user chooses under its name,
// in the role it was chosen for (to open, to save). A path is looked up in the role it is opened
// for first, then in the other: the input chosen again as the output by a cancelled save (the
// dialog keeps the name) comes back as the input file itself, so the run can tell it is one.
//
// An entry is {name, handle} (a FileSystemFileHandle, read and written in place), {name, file}
// (a File from a file input: read only) or {name, download: true} (a name to save under, where
// the browser cannot write a chosen file). What is written to an entry that cannot be written
// in place is handed out as a download under its name when the file is closed. Until then it
// goes, as it is written, into a file of the browser's private file system where the page may
// have one (served over http or https; a page opened from disk may not), so that a download of
// any size stays on disk; else it is collected in a Blob, which the browser holds outside the
// page (Chromium holds about 2 GB of them, on disk or in memory).
var dissimFiles = {
  chosen: { open: new Map(), save: new Map() },
  open: new Map(),
  nextNumber: 1,
  // Reads are taken from the file in pieces of this size and handed out from there.
  readAheadBytes: 1 << 20,
  // Collected output is moved into a Blob (which the browser holds outside the page) each time
  // this much has come, so that the page holds little of it at any time.
  collectBytes: 32 << 20,

  // Registers a chosen file: role 'open' or 'save'. Returns the name the engine sees.
  choose: function (role, entry) {
    this.chosen[role].set(entry.name, entry);
    return entry.name;
  },

  find: function (path, role) {
    var other = role === 'open' ? 'save' : 'open';
    return this.chosen[role].get(path) || this.chosen[other].get(path) || null;
  },

  reasonOf: function (error) {
    if (error && error.message) return error.message;
    return String(error);
  },

  add: function (record) {
    var number = this.nextNumber++;
    this.open.set(number, record);
    return number;
  },

  openForReading: async function (path) {
    var entry = this.find(path, 'open');
    if (entry === null || entry.download) throw new Error('No such file');
    var file = entry.handle ? await entry.handle.getFile() : entry.file;
    return this.add({ entry: entry, file: file, position: 0, ahead: null, aheadAt: 0 });
  },

  openForWriting: function (path) {
    var entry = this.find(path, 'save');
    if (entry === null) throw new Error('No such file');
    return this.add({ entry: entry, writing: true, writable: null, parts: [], partsBytes: 0,
                      blob: null, spill: null, sameAsInput: false });
  },

  record: function (number) {
    var record = this.open.get(number);
    if (!record) throw new Error('Bad file number');
    return record;
  },

  size: async function (number) {
    var record = this.record(number);
    if (!record.writing) return record.file.size;
    if (record.entry.handle) return (await record.entry.handle.getFile()).size;
    return 0;
  },

  sameEntry: async function (first, second) {
    if (first === second) return true;
    if (first.handle && second.handle) return await first.handle.isSameEntry(second.handle);
    return false;
  },

  isSameFile: async function (firstNumber, secondNumber) {
    var first = this.record(firstNumber);
    var second = this.record(secondNumber);
    var same = await this.sameEntry(first.entry, second.entry);
    if (same) {
      first.sameAsInput = true;
      second.sameAsInput = true;
    }
    return same;
  },

  namesFile: async function (path, number) {
    var entry = this.find(path, 'save');
    return entry !== null && (await this.sameEntry(entry, this.record(number).entry));
  },

  // Up to size bytes from the file's current position, as a Uint8Array (empty at the end).
  read: async function (number, size) {
    var record = this.record(number);
    var aheadEnd = record.ahead ? record.aheadAt + record.ahead.length : 0;
    if (!record.ahead || record.position >= aheadEnd) {
      var end = Math.min(record.file.size, record.position + Math.max(size, this.readAheadBytes));
      if (record.position >= end) return new Uint8Array(0);
      var piece = record.file.slice(record.position, end);
      record.ahead = new Uint8Array(await piece.arrayBuffer());
      record.aheadAt = record.position;
      aheadEnd = record.aheadAt + record.ahead.length;
    }
    var from = record.position - record.aheadAt;
    var bytes = record.ahead.subarray(from, Math.min(record.ahead.length, from + size));
    record.position += bytes.length;
    return bytes;
  },

  writable: async function (record) {
    if (record.writable === null) {
      // Written to the browser's copy of the file and put in its place on close.
      record.writable = await record.entry.handle.createWritable({ keepExistingData: false });
    }
    return record.writable;
  },

  // A download's file in the browser's private file system, made at its first write; false where
  // the page has no such file system. Each page names its own; the page's one before, and any
  // left by a page more than a day ago, are removed (by then their downloads are long done).
  spillPrefix: 'download-being-written-',
  spillName: null,
  spillFor: async function (record) {
    if (record.spill !== null) return record.spill;
    record.spill = false;
    try {
      if (!navigator.storage || !navigator.storage.getDirectory) return false;
      var folder = await navigator.storage.getDirectory();
      await this.removeOldSpills(folder);
      this.spillName = this.spillPrefix + Date.now() + '-' + Math.random().toString(36).slice(2);
      var handle = await folder.getFileHandle(this.spillName, { create: true });
      if (typeof handle.createWritable !== 'function') return false;
      record.spill = { handle: handle, writable: await handle.createWritable() };
    } catch (error) {
      record.spill = false;
    }
    return record.spill;
  },

  removeOldSpills: async function (folder) {
    var dayAgo = Date.now() - 24 * 3600 * 1000;
    var names = [];
    if (typeof folder.keys === 'function') {
      for await (var name of folder.keys()) {
        if (name.indexOf(this.spillPrefix) === 0) names.push(name);
      }
    }
    for (var i = 0; i < names.length; ++i) {
      try {
        var old = names[i] === this.spillName ||
                  (await (await folder.getFileHandle(names[i])).getFile()).lastModified < dayAgo;
        if (old) await folder.removeEntry(names[i]);
      } catch (error) {
        // in use by another page: left to it
      }
    }
  },

  empty: async function (number) {
    var record = this.record(number);
    if (record.entry.handle) {
      var writable = record.writable;
      if (writable === null) await this.writable(record);
      else await writable.truncate(0);
    } else if (record.spill) {
      await record.spill.writable.truncate(0);
    } else {
      record.parts = [];
      record.partsBytes = 0;
      record.blob = null;
    }
  },

  // bytes: a view of the engine's buffer, which stays as it is until the write has settled.
  write: async function (number, bytes) {
    var record = this.record(number);
    if (record.entry.handle) {
      await (await this.writable(record)).write(bytes);
      return;
    }
    var spill = await this.spillFor(record);
    if (spill) {
      await spill.writable.write(bytes);
      return;
    }
    record.parts.push(bytes.slice());
    record.partsBytes += bytes.length;
    if (record.partsBytes >= this.collectBytes) this.collect(record);
  },

  collect: function (record) {
    var parts = record.blob ? [record.blob].concat(record.parts) : record.parts;
    record.blob = new Blob(parts, { type: 'application/octet-stream' });
    record.parts = [];
    record.partsBytes = 0;
  },

  close: async function (number) {
    var record = this.record(number);
    this.open.delete(number);
    if (!record.writing) return;
    if (record.entry.handle) {
      if (record.writable !== null) await record.writable.close();
      return;
    }
    // An output that turned out to be the input is left as it is: nothing is handed out.
    if (record.sameAsInput) return;
    if (record.spill) {
      await record.spill.writable.close();
      this.download(await record.spill.handle.getFile(), record.entry.name);
      return;
    }
    this.collect(record);
    this.download(record.blob, record.entry.name);
  },

  download: function (blob, name) {
    var url = URL.createObjectURL(blob);
    var link = document.createElement('a');
    link.href = url;
    link.download = name;
    link.style.display = 'none';
    document.body.appendChild(link);
    link.click();
    link.remove();
    // The browser has taken the file once the download has started.
    setTimeout(function () { URL.revokeObjectURL(url); }, 60000);
  },
};
