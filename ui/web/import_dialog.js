// The Import dialog in the page (page.html's #dlgImport), drawn from what the C++ dialog
// (web_import_dialog.cpp) hands over. The page holds no state of its own: the C++ side opens
// the dialog, draws it from the model, and waits for the next thing the researcher does
// (next()), which it gives to the model before drawing everything again. Nothing here calls
// into the program: a change only settles the promise the program waits on.
var dissimImport = {
  texts: null,     // the fixed texts, once handed over
  keys: {},        // access key by the id of the control it reaches
  waiting: null,   // the program's wait for the next action
  actions: [],     // actions taken while nobody waited
  focused: null,   // what had the focus before the dialog opened
  wired: false,
  programCloses: 0, // closes by the program whose close event has yet to come

  element: function (id) { return document.getElementById(id); },

  dialog: function () { return this.element('dlgImport'); },

  // texts: the control's id (or the title's, the captions') to its text, '&' before the
  // access key; choices: the fixed lists; names: what the result labels are called.
  setup: function (texts) {
    this.texts = texts;
    this.element('importTitle').textContent = texts.title;
    var page = this;
    Object.keys(texts.captions).forEach(function (id) {
      var target = page.element(id);
      // A button shows its own caption; a control its label's; a caption stands for itself.
      var caption = target.tagName === 'BUTTON' ? target
        : document.querySelector('label[for="' + id + '"]')
          || (target.hasAttribute('aria-labelledby')
            ? page.element(target.getAttribute('aria-labelledby')) : target);
      var key = page.writeCaption(caption, texts.captions[id]);
      // The preview's key reaches the area that scrolls it, which takes the focus.
      if (key !== '') page.keys[target.tagName === 'TABLE' ? target.parentNode.id : id] = key;
    });
    this.fillChoices('cboLayout', texts.layouts);
    this.fillChoices('cboMissing', texts.missing);
    this.fillChoices('cboSeparator', texts.separators);
    Object.keys(texts.names).forEach(function (id) {
      page.element(id).setAttribute('aria-label', texts.names[id]);
    });
  },

  // The caption's text with its access key underlined; returns the key, lower case.
  writeCaption: function (element, caption) {
    var at = caption.indexOf('&');
    if (at < 0 || at + 1 >= caption.length) {
      element.textContent = caption;
      return '';
    }
    var underlined = document.createElement('u');
    underlined.textContent = caption.charAt(at + 1);
    element.replaceChildren(caption.slice(0, at), underlined, caption.slice(at + 2));
    return caption.charAt(at + 1).toLowerCase();
  },

  // Replaces a list's choices only when they changed, so that an open list stays as it is.
  fillChoices: function (id, choices) {
    var select = this.element(id);
    var present = Array.prototype.map.call(select.options, function (o) { return o.text; });
    if (present.length === choices.length && present.every(function (text, i) {
      return text === choices[i];
    })) {
      return;
    }
    select.replaceChildren.apply(select, choices.map(function (text) {
      var option = document.createElement('option');
      option.text = text;
      return option;
    }));
  },

  wire: function () {
    if (this.wired) return;
    this.wired = true;
    var page = this;
    var dialog = this.dialog();
    dialog.querySelectorAll('select').forEach(function (select) {
      select.addEventListener('change', function () { page.act(select.id, select.selectedIndex); });
    });
    dialog.querySelectorAll('input[type=checkbox]').forEach(function (box) {
      box.addEventListener('change', function () { page.act(box.id, box.checked ? 1 : 0); });
    });
    ['cmdSaveList', 'cmdImportOk', 'cmdImportCancel'].forEach(function (id) {
      page.element(id).addEventListener('click', function () { page.act(id, 0); });
    });
    // Escape is Cancel; Enter anywhere but on another button is OK, the default button.
    dialog.addEventListener('cancel', function (event) {
      event.preventDefault();
      page.act('cmdImportCancel', 0);
    });
    // A browser may close the dialog itself (a second Escape soon after the first): Cancel.
    dialog.addEventListener('close', function () {
      if (page.programCloses > 0) {
        --page.programCloses;
      } else {
        page.act('cmdImportCancel', 0, true);
      }
    });
    dialog.addEventListener('keydown', function (event) {
      if (event.key !== 'Enter' || event.isComposing || event.altKey || event.ctrlKey ||
          event.metaKey || event.target.tagName === 'BUTTON') {
        return;
      }
      event.preventDefault();
      if (!event.repeat && !page.element('cmdImportOk').disabled) page.act('cmdImportOk', 0);
    });
  },

  act: function (id, value, closed) {
    if (!this.dialog().open && !closed) return;
    var action = id + '\n' + value;
    if (this.waiting !== null) {
      var resolve = this.waiting;
      this.waiting = null;
      resolve(action);
    } else {
      this.actions.push(action);
    }
  },

  // Resolves to the next action: "control id\nvalue" (a choice's index, 1 or 0 for a check box,
  // 0 for a button).
  next: function () {
    var page = this;
    return new Promise(function (resolve) {
      if (page.actions.length > 0) {
        resolve(page.actions.shift());
      } else {
        page.waiting = resolve;
      }
    });
  },

  open: function () {
    this.wire();
    this.actions = [];
    this.focused = document.activeElement;
    this.element('lblSaveResult').textContent = '';
    this.dialog().showModal();
    this.focusFirst();
  },

  close: function () {
    this.waiting = null;
    this.actions = [];
    // Its close event comes later, maybe after the dialog has opened again.
    if (this.dialog().open) {
      ++this.programCloses;
      this.dialog().close();
    }
    // A closed dialog's access keys would still reach its controls.
    this.dialog().querySelectorAll('[accesskey]').forEach(function (control) {
      control.removeAttribute('accesskey');
    });
    if (this.focused && this.focused.focus && !dissimPage.ended) this.focused.focus();
  },

  // state: everything the model says, as web_import_dialog.cpp writes it.
  draw: function (state) {
    var page = this;
    var table = state.table;
    this.element('lblImportFile').textContent = state.file;

    // A workbook's sheet stays a choice while the one chosen cannot be read.
    this.show('cboSheet', state.sheets.length > 0, true);
    this.fillChoices('cboSheet', state.sheets);
    this.element('cboSheet').selectedIndex = state.sheet;
    this.show('cboSeparator', state.hasSeparator, table);
    this.element('cboSeparator').selectedIndex = state.separator;

    this.show('cboLayout', true, table);
    this.element('cboLayout').selectedIndex = table ? state.layout : -1;
    this.show('chkNamesInFirstRow', true, table);
    this.element('chkNamesInFirstRow').checked = table && state.namesInFirstRow;
    this.show('chkNamesInFirstColumn', true, table && state.firstColumnMatters);
    this.element('chkNamesInFirstColumn').checked = table && state.namesInFirstColumn;
    Object.keys(state.columns).forEach(function (id) {
      var column = state.columns[id];
      page.show(id, column.shown, table);
      page.fillChoices(id, column.shown ? state.columnChoices : []);
      page.element(id).selectedIndex = column.shown ? column.chosen : -1;
    });
    this.show('cboMissing', true, table);
    this.element('cboMissing').selectedIndex = table ? state.missing : -1;

    this.drawPreview(state.preview);
    this.element('lblFound').textContent = state.found;
    this.element('lblCounts').textContent = state.counts;
    this.fillList('lstStimuli', state.stimuli);
    this.fillList('lstProblems', state.problems);
    this.show('lstStimuli', true, table);
    this.show('lstProblems', true, table);
    this.show('importPreviewArea', true, table);
    this.show('cmdSaveList', true, table && state.stimuli.length > 0);
    this.element('lblSaveResult').textContent = state.saveResult;
    this.element('lblRefusal').textContent = state.refusal;
    this.show('cmdImportOk', true, state.okAllowed);
    this.show('cmdImportCancel', true, true);

    if (!this.dialog().contains(document.activeElement) || this.unusable(document.activeElement)) {
      this.focusFirst();
    }
  },

  // Shows or hides a control with its caption, enables or disables it, and gives it its access
  // key only while it can take it (a hidden control's key would reach nothing).
  show: function (id, shown, enabled) {
    var control = this.element(id);
    (control.closest('.field') || control).hidden = !shown;
    if ('disabled' in control) {
      control.disabled = !enabled;
    } else {
      control.setAttribute('aria-disabled', enabled ? 'false' : 'true');
      control.tabIndex = enabled ? 0 : -1;
    }
    if (shown && enabled && this.keys[id]) {
      control.setAttribute('accesskey', this.keys[id]);
    } else {
      control.removeAttribute('accesskey');
    }
  },

  unusable: function (element) {
    return element.disabled || element.closest('[hidden]') !== null ||
           element.getAttribute('aria-disabled') === 'true';
  },

  // The first control that takes a choice; Cancel when none does.
  focusFirst: function () {
    var page = this;
    var first = ['cboSheet', 'cboSeparator', 'cboLayout', 'cmdImportCancel'].find(function (id) {
      return !page.unusable(page.element(id));
    });
    this.element(first).focus();
  },

  fillList: function (id, lines) {
    var list = this.element(id);
    list.replaceChildren.apply(list, lines.map(function (line) {
      var item = document.createElement('li');
      item.textContent = line;
      return item;
    }));
  },

  // preview: {rows, columns, cells: [[text, role], ...] row by row}; columns headed A, B, C...,
  // rows 1, 2, 3...; a name or a problem says so to a screen reader as well as in colour.
  drawPreview: function (preview) {
    var table = this.element('tblPreview');
    if (preview.rows === 0 || preview.columns === 0) {
      table.replaceChildren();
      return;
    }
    var head = document.createElement('tr');
    head.appendChild(document.createElement('td'));
    for (var c = 0; c < preview.columns; ++c) {
      var header = document.createElement('th');
      header.scope = 'col';
      header.textContent = this.columnName(c);
      head.appendChild(header);
    }
    var rows = [head];
    for (var r = 0; r < preview.rows; ++r) {
      var row = document.createElement('tr');
      var number = document.createElement('th');
      number.scope = 'row';
      number.textContent = String(r + 1);
      row.appendChild(number);
      for (c = 0; c < preview.columns; ++c) {
        var cell = preview.cells[r * preview.columns + c];
        var data = document.createElement('td');
        data.className = cell[1];
        var text = document.createElement('span');
        text.textContent = cell[0];
        data.title = cell[0];
        data.appendChild(text);
        var said = this.texts.roles[cell[1]];
        if (said) {
          var hidden = document.createElement('span');
          hidden.className = 'visually-hidden';
          hidden.textContent = ' (' + said + ')';
          data.appendChild(hidden);
        }
        row.appendChild(data);
      }
      rows.push(row);
    }
    table.replaceChildren.apply(table, rows);
  },

  columnName: function (column) {
    var name = '';
    for (var n = column + 1; n > 0; n = Math.floor((n - 1) / 26)) {
      name = String.fromCharCode(65 + (n - 1) % 26) + name;
    }
    return name;
  },
};
