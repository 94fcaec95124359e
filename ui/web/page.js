// The little the page needs of a browser besides the engine's files: the window's controls
// (placed by the window from the one layout table), its keyboard, no input while the program is
// busy, the prompt, the file choices, the beep and the end of the program. Every step of a
// button's handler is the workflow's, in C++: a press here only hands the button over to it
// (frm_vorlan4.cpp), and nothing calls into the program again until that call is over (a
// handler waits for the prompt, a file choice or the run's files with its stack set aside).
var dissimPage = {
  window: 0,           // the C++ window, handed back with each press
  buttons: [],         // in tab order: {id, element, accessKey}
  calling: false,      // a press is being handled
  busy: false,         // a run is going
  ended: false,
  audio: null,
  nextBeepAt: 0,

  element: function (id) { return document.getElementById(id); },

  // caption: the layout's, "&" before the access key.
  addButton: function (id, name, caption, left, top, width, height) {
    var button = document.createElement('button');
    button.type = 'button';
    button.id = name;
    var at = caption.indexOf('&');
    var accessKey = '';
    if (at >= 0 && at + 1 < caption.length) {
      accessKey = caption.charAt(at + 1).toLowerCase();
      var underlined = document.createElement('u');
      underlined.textContent = caption.charAt(at + 1);
      button.append(caption.slice(0, at), underlined, caption.slice(at + 2));
      button.setAttribute('aria-keyshortcuts', 'Alt+' + accessKey.toUpperCase());
    } else {
      button.textContent = caption;
    }
    this.place(button, left, top, width, height);
    var page = this;
    button.addEventListener('click', function () { page.press(id); });
    button.addEventListener('keydown', function (event) { page.buttonKey(event); });
    this.element('frmVorlan4').appendChild(button);
    this.buttons.push({ id: id, element: button, accessKey: accessKey });
  },

  addLabel: function (name, text, accessibleName, buttonName, left, top, width, height) {
    var label = document.createElement('div');
    label.id = name;
    label.className = 'label';
    label.textContent = text;
    label.setAttribute('role', name === 'lblStatus' ? 'status' : 'note');
    label.setAttribute('aria-label', accessibleName);
    if (name === 'lblStatus') label.setAttribute('aria-live', 'polite');
    this.place(label, left, top, width, height);
    this.element('frmVorlan4').appendChild(label);
    var button = this.element(buttonName);
    if (button) button.setAttribute('aria-controls', name);
  },

  place: function (element, left, top, width, height) {
    element.style.left = left + 'px';
    element.style.top = top + 'px';
    element.style.width = width + 'px';
    element.style.height = height + 'px';
  },

  setLabelText: function (name, text) { this.element(name).textContent = text; },

  // The detail as the tooltip and the accessible description; empty text clears both.
  setLabelDetail: function (name, detail) {
    var label = this.element(name);
    if (detail === '') {
      label.removeAttribute('title');
      label.removeAttribute('aria-description');
    } else {
      label.title = detail;
      label.setAttribute('aria-description', detail);
    }
  },

  ready: function (windowPointer) {
    this.window = windowPointer;
    var page = this;
    // No input while a run goes: taken before it reaches any control.
    ['keydown', 'keypress', 'keyup', 'mousedown', 'mouseup', 'click', 'dblclick', 'pointerdown',
     'pointerup', 'contextmenu', 'wheel', 'touchstart'].forEach(function (type) {
      window.addEventListener(type, function (event) { page.screen(event); },
                              { capture: true, passive: false });
    });
    window.addEventListener('keydown', function (event) { page.windowKey(event); });
    // Leaving the page during a run asks first (the browser's own question); left all the same,
    // the chosen output file keeps what it held, as the browser's copy of it is dropped.
    window.addEventListener('beforeunload', function (event) {
      if (page.busy) {
        event.preventDefault();
        event.returnValue = '';
      }
    });
    // The first touch of the page lets its tones sound later (browsers start sound only then).
    ['pointerdown', 'keydown'].forEach(function (type) {
      window.addEventListener(type, function () { page.audioContext(); }, { capture: true });
    });
    if (this.buttons.length > 0) this.buttons[0].element.focus();
    document.body.dataset.ready = '1';
  },

  // The user's input only: the page's own clicks (a download's link) go through.
  screen: function (event) {
    if (event.isTrusted && (this.busy || this.ended)) {
      event.preventDefault();
      event.stopImmediatePropagation();
    }
  },

  // Hands a press over to the workflow, unless one is being handled or the program has ended.
  press: function (id) {
    if (this.calling || this.busy || this.ended) return;
    this.calling = true;
    var page = this;
    var done = function () { page.calling = false; };
    var failed = function (error) { page.calling = false; console.error(error); };
    try {
      Promise.resolve(Module.ccall('dissim_web_press', null, ['number', 'number'],
                                   [this.window, id], { async: true })).then(done, failed);
    } catch (error) {
      failed(error);
    }
  },

  indexOf: function (element) {
    for (var i = 0; i < this.buttons.length; ++i) {
      if (this.buttons[i].element === element) return i;
    }
    return -1;
  },

  // Tab and Shift+Tab go round the buttons in their order; Enter presses the focused button
  // once, as Space does.
  buttonKey: function (event) {
    if (event.key === 'Tab' && !event.altKey && !event.ctrlKey && !event.metaKey) {
      event.preventDefault();
      var count = this.buttons.length;
      var at = this.indexOf(event.currentTarget);
      var next = (at + (event.shiftKey ? count - 1 : 1)) % count;
      this.buttons[next].element.focus();
    } else if (event.key === 'Enter') {
      event.preventDefault();
      if (!event.repeat) event.currentTarget.click();
    }
  },

  // Alt and an access key press its button; Escape does nothing on the window.
  windowKey: function (event) {
    if (this.openDialog()) return;
    if (event.key === 'Escape') {
      event.preventDefault();
      return;
    }
    if (!event.altKey || event.ctrlKey || event.metaKey) return;
    var letter = /^Key[A-Z]$/.test(event.code) ? event.code.charAt(3).toLowerCase()
                                               : event.key.toLowerCase();
    for (var i = 0; i < this.buttons.length; ++i) {
      if (this.buttons[i].accessKey !== '' && this.buttons[i].accessKey === letter) {
        event.preventDefault();
        if (!event.repeat) this.buttons[i].element.click();
        return;
      }
    }
  },

  openDialog: function () {
    return this.element('prompt').open || this.element('saveAs').open ||
           this.element('dlgImport').open;
  },

  setBusy: function (busy) {
    this.busy = busy;
    document.body.dataset.busy = busy ? '1' : '0';
    this.element('lblStatus').setAttribute('aria-busy', busy ? 'true' : 'false');
  },

  // The program has ended: no more input, and the page says so.
  end: function () {
    this.ended = true;
    document.body.dataset.ended = '1';
    this.element('frmVorlan4').hidden = true;
    this.element('windowTitle').hidden = true;
    this.element('ended').hidden = false;
  },

  // A modal dialog with a text field: resolves to the text on OK, to null on Cancel.
  // Enter in the field is OK, Escape is Cancel.
  askText: function (dialogId, fieldId, okId, cancelId, value) {
    var page = this;
    var dialog = this.element(dialogId);
    var field = this.element(fieldId);
    var ok = this.element(okId);
    var cancel = this.element(cancelId);
    var focused = document.activeElement;
    return new Promise(function (resolve) {
      var finish = function (answer) {
        ok.onclick = cancel.onclick = field.onkeydown = dialog.oncancel = null;
        dialog.close();
        if (focused && focused.focus && !page.ended) focused.focus();
        resolve(answer);
      };
      ok.onclick = function () { finish(field.value); };
      cancel.onclick = function () { finish(null); };
      field.onkeydown = function (event) {
        if (event.key === 'Enter' && !event.isComposing) {
          event.preventDefault();
          finish(field.value);
        }
      };
      dialog.oncancel = function (event) {
        event.preventDefault();
        finish(null);
      };
      field.value = value;
      dialog.showModal();
      field.focus();
      // The text given is selected, as a Save As dialog shows the kept name: typing replaces it.
      field.select();
    });
  },

  // The step's prompt: its message and title over an empty field. Cancel gives empty text.
  prompt: async function (message, title) {
    this.element('promptTitle').textContent = title;
    this.element('promptMessage').textContent = message;
    var answer = await this.askText('prompt', 'promptText', 'promptOk', 'promptCancel', '');
    return answer === null ? '' : answer;
  },

  // filters: [{description, extensions}] with extensions like ['.txt'], [] for every file;
  // the selected one first. Resolves to the name registered for the engine, or null when the
  // user cancelled; rejects when no choice can be shown.
  chooseFile: async function (save, fileName, filters) {
    var types = [];
    filters.forEach(function (filter) {
      if (filter.extensions.length > 0) {
        types.push({ description: filter.description,
                     accept: { 'application/octet-stream': filter.extensions } });
      }
    });
    var picker = save ? window.showSaveFilePicker : window.showOpenFilePicker;
    if (typeof picker === 'function') {
      var options = save ? {} : { types: types, multiple: false };
      if (save && fileName !== '') options.suggestedName = fileName;
      var handle;
      try {
        handle = await picker.call(window, options);
      } catch (error) {
        if (error && error.name === 'AbortError') return null;
        throw error;
      }
      if (Array.isArray(handle)) handle = handle[0];
      return dissimFiles.choose(save ? 'save' : 'open', { name: handle.name, handle: handle });
    }
    if (save) {
      var name = await this.askText('saveAs', 'saveAsName', 'saveAsOk', 'saveAsCancel', fileName);
      if (name === null || name === '') return null;
      return dissimFiles.choose('save', { name: name, download: true });
    }
    var file = await this.chooseWithInput(filters.length > 0 ? filters[0].extensions : []);
    if (file === null) return null;
    return dissimFiles.choose('open', { name: file.name, file: file });
  },

  chooseWithInput: function (extensions) {
    var input = this.element('fileInput');
    return new Promise(function (resolve) {
      var finish = function (file) {
        input.onchange = input.oncancel = null;
        resolve(file);
      };
      input.value = '';
      input.accept = extensions.join(',');
      input.onchange = function () { finish(input.files.length > 0 ? input.files[0] : null); };
      input.oncancel = function () { finish(null); };
      input.click();
    });
  },

  audioContext: function () {
    var Context = window.AudioContext || window.webkitAudioContext;
    if (!Context) return null;
    if (this.audio === null) this.audio = new Context();
    if (this.audio.state === 'suspended') this.audio.resume();
    return this.audio;
  },

  // One short tone; a row of them sounds one after another.
  beep: function () {
    var audio = this.audioContext();
    if (audio === null) return;
    var oscillator = audio.createOscillator();
    var gain = audio.createGain();
    oscillator.type = 'square';
    oscillator.frequency.value = 880;
    gain.gain.value = 0.05;
    oscillator.connect(gain);
    gain.connect(audio.destination);
    var at = Math.max(audio.currentTime, this.nextBeepAt);
    oscillator.start(at);
    oscillator.stop(at + 0.12);
    this.nextBeepAt = at + 0.2;
  },

  // Lets the page paint a frame (the wait cursor before a long step), then goes on.
  // A page that paints no frames (a window not shown) goes on after 100 ms all the same.
  paint: function () {
    if (document.hidden) return this.yield();
    return new Promise(function (resolve) {
      var timer = setTimeout(resolve, 100);
      requestAnimationFrame(function () {
        clearTimeout(timer);
        setTimeout(resolve, 0);
      });
    });
  },

  // Lets the page paint and handle its events, then goes on.
  yield: function () {
    return new Promise(function (resolve) {
      if (document.hidden) {
        // Timers are slowed down in a hidden tab; a message is not.
        var channel = new MessageChannel();
        channel.port1.onmessage = function () { resolve(); };
        channel.port2.postMessage(0);
      } else {
        setTimeout(resolve, 0);
      }
    });
  },
};

// The WebAssembly is inside the page (in base64): compiled from there, with no request at all
// (the loader would otherwise fetch it from its data: address).
Module['instantiateWasm'] = function (imports, receiveInstance) {
  WebAssembly.instantiate(tryParseAsDataURI(wasmBinaryFile), imports).then(function (result) {
    receiveInstance(result.instance, result.module);
  }, function (error) {
    console.error('The program cannot start: ' + error);
  });
  return {};
};
