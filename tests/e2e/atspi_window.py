#!/usr/bin/python3
"""Reads the running program's window as assistive technology does, through AT-SPI.

    atspi_window.py tree PID              roles, names, actions, relations and texts at start
    atspi_window.py description PID LABEL TEXT
                                          waits until the label's description is TEXT
    atspi_window.py busy PID LABEL yes|no waits until the label is (or is not) busy
    atspi_window.py press PID BUTTON      presses the button through its Press action
    atspi_window.py import PID FOUND      the open Import dialog: every control with its role
                                          and name, "Found:" described as FOUND
    atspi_window.py record FILE LABEL SECONDS
                                          records into FILE, for SECONDS, every event of any
                                          program's label with this name, one line each:
                                          the event's type and the label's description

Each command fails (exit status 1, a message on stderr) when what it looks for does not
show up within its time. The recorder is started before the program, so that the program
knows of the listener from its start; it writes "ready" first.
"""

import sys
import time

import pyatspi
from gi.repository import GLib

TITLE = "Dissimilarity Matix Computation"
BUTTONS = ["1. Start Here!", "2. Select Input File", "3. Select Output File", "4. Submit", "Exit"]
# Each label: its name, the button whose result it shows, and its text at start.
LABELS = [
    ("Subjects and stimuli", "1. Start Here!", "# of Subjects and Stimuli not Defined"),
    ("Input file", "2. Select Input File", "Input File Undefined"),
    ("Output file", "3. Select Output File", "Output File Undefined"),
    ("Status", "4. Submit", "Waiting for data..."),
]


IMPORT_TITLE = "Import"
# The Import dialog's controls over a text table of one row per stimulus, in the order Tab
# walks them and then its results: each one's role and the name a screen reader reads.
IMPORT_CONTROLS = [
    (pyatspi.ROLE_LABEL, "File:"),
    (pyatspi.ROLE_COMBO_BOX, "Separator:"),
    (pyatspi.ROLE_COMBO_BOX, "Layout:"),
    (pyatspi.ROLE_CHECK_BOX, "First row holds names"),
    (pyatspi.ROLE_CHECK_BOX, "First column holds names"),
    (pyatspi.ROLE_COMBO_BOX, "Missing or contradictory data:"),
    (pyatspi.ROLE_TABLE, "Preview:"),
    (pyatspi.ROLE_LIST, "Stimuli in the matrices' order:"),
    (pyatspi.ROLE_PUSH_BUTTON, "Save List..."),
    (pyatspi.ROLE_LIST, "Problems:"),
    (pyatspi.ROLE_PUSH_BUTTON, "OK"),
    (pyatspi.ROLE_PUSH_BUTTON, "Cancel"),
    (pyatspi.ROLE_LABEL, "Found:"),
    (pyatspi.ROLE_LABEL, "Counts"),
    (pyatspi.ROLE_LABEL, "Result of Save List"),
    (pyatspi.ROLE_LABEL, "Why OK is not allowed"),
]
# The roles of the controls that take input: each must have a name.
INPUT_ROLES = {pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_PUSH_BUTTON,
               pyatspi.ROLE_TABLE, pyatspi.ROLE_LIST}


def fail(message):
    print("atspi_window: FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def poll(seconds, what, probe):
    """Calls probe until it returns something other than None; fails after `seconds`."""
    deadline = time.monotonic() + seconds
    last_error = None
    while time.monotonic() < deadline:
        try:
            result = probe()
            if result is not None:
                return result
        except Exception as error:  # the tree may change under the reader
            last_error = error
        time.sleep(0.1)
    fail("timed out waiting for %s%s" % (what, " (%s)" % last_error if last_error else ""))


def main_frame(pid):
    """The program's top-level window, once the program has shown it on the bus."""

    def probe():
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == pid:
                frames = [child for child in app if child is not None and child.name == TITLE]
                if frames:
                    return frames[0]
        return None

    return poll(20, "the program's window on the accessibility bus", probe)


def child_named(frame, role, name):
    for child in frame:
        if child is not None and child.getRole() == role and child.name == name:
            return child
    return None


def label(frame, name):
    found = child_named(frame, pyatspi.ROLE_LABEL, name)
    if found is None:
        fail("no label named %r" % name)
    return found


def text_of(node):
    return node.queryText().getText(0, -1)


def check_tree(pid):
    frame = main_frame(pid)
    if frame.getRole() != pyatspi.ROLE_FRAME:
        fail("the window's role is %s, not frame" % frame.getRoleName())
    children = [child for child in frame]
    if len(children) != len(BUTTONS) + len(LABELS):
        fail("the window has %d children: %s" % (len(children), [c.name for c in children]))
    for name in BUTTONS:
        button = child_named(frame, pyatspi.ROLE_PUSH_BUTTON, name)
        if button is None:
            fail("no push button named %r" % name)
        action = button.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        if "Press" not in names:
            fail("button %r has no Press action: %s" % (name, names))
        if not button.getState().contains(pyatspi.STATE_FOCUSABLE):
            fail("button %r is not focusable" % name)
    for name, button, start_text in LABELS:
        node = label(frame, name)
        if text_of(node) != start_text or node.description != start_text:
            fail("label %r reads %r, described %r" % (name, text_of(node), node.description))
        labelled_by = [
            relation.getTarget(i).name
            for relation in node.getRelationSet()
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY
            for i in range(relation.getNTargets())
        ]
        if labelled_by != [button]:
            fail("label %r is labelled by %s, not %r" % (name, labelled_by, button))
        if node.getState().contains(pyatspi.STATE_BUSY):
            fail("label %r is busy at start" % name)
    print("tree: frame %r, %d buttons with Press, %d labels labelled by their buttons"
          % (frame.name, len(BUTTONS), len(LABELS)))


def wait_description(pid, name, expected):
    node = label(main_frame(pid), name)
    poll(10, "%r described as %r (now %r)" % (name, expected, node.description),
         lambda: True if node.description == expected else None)
    print("description of %r: %r" % (name, expected))


def wait_busy(pid, name, wanted):
    node = label(main_frame(pid), name)
    poll(10, "%r %s" % (name, "busy" if wanted else "not busy"),
         lambda: True if node.getState().contains(pyatspi.STATE_BUSY) == wanted else None)
    print("%r is %s" % (name, "busy" if wanted else "not busy"))


def press(pid, name):
    button = child_named(main_frame(pid), pyatspi.ROLE_PUSH_BUTTON, name)
    if button is None:
        fail("no push button named %r" % name)
    action = button.queryAction()
    for i in range(action.nActions):
        if action.getName(i) == "Press":
            action.doAction(i)
            print("pressed %r through its Press action" % name)
            return
    fail("button %r has no Press action" % name)


def record(path, name, seconds):
    out = open(path, "w", buffering=1)

    def on_event(event):
        try:
            source = event.source
            if source is None or source.name != name or source.getRole() != pyatspi.ROLE_LABEL:
                return
            out.write("%s | %s\n" % (event.type, source.description.replace("\n", " ")))
        except Exception:  # a label gone with its program
            pass

    def stop():
        pyatspi.Registry.stop()
        return False

    pyatspi.Registry.registerEventListener(on_event, "object")
    GLib.timeout_add_seconds(seconds, stop)
    out.write("ready\n")
    pyatspi.Registry.start()
    out.close()


def import_dialog(pid):
    def probe():
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == pid:
                for child in app:
                    if child is not None and child.name == IMPORT_TITLE:
                        return child
        return None

    return poll(20, "the Import dialog on the accessibility bus", probe)


def controls_of(node):
    """The dialog's controls, depth first; not inside lists and tables (their items)."""
    for child in node:
        if child is None:
            continue
        yield child
        if child.getRole() not in (pyatspi.ROLE_LIST, pyatspi.ROLE_TABLE, pyatspi.ROLE_COMBO_BOX):
            yield from controls_of(child)


def spoken_names(node):
    """What a screen reader reads a control by: its name and the labels that label it (a combo
    box's own name is its present choice)."""
    names = {node.name}
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            names.update(relation.getTarget(i).name for i in range(relation.getNTargets()))
    return names


def check_import(pid, found):
    dialog = import_dialog(pid)
    if dialog.getRole() != pyatspi.ROLE_DIALOG:
        fail("the Import window's role is %s, not dialog" % dialog.getRoleName())
    controls = [(c.getRole(), spoken_names(c) - {""}, c) for c in controls_of(dialog)
                if c.getState().contains(pyatspi.STATE_SHOWING)]
    unnamed = [c.getRoleName() for role, names, c in controls if role in INPUT_ROLES and not names]
    if unnamed:
        fail("controls without a name: %s" % unnamed)
    for role, name in IMPORT_CONTROLS:
        if not any(r == role and name in names for r, names, _ in controls):
            fail("no %s named %r among %s" % (role, name,
                                              [(c.getRoleName(), n) for _, n, c in controls]))
    found_label = next(c for r, n, c in controls if r == pyatspi.ROLE_LABEL and "Found:" in n
                       and c.description)
    if found_label.description != found:
        fail("\"Found:\" is described %r, not %r" % (found_label.description, found))
    print("import dialog: %d controls, each read by its name; found: %r"
          % (len(IMPORT_CONTROLS), found))


def main(argv):
    if len(argv) == 5 and argv[1] == "record":
        record(argv[2], argv[3], int(argv[4]))
        return
    if len(argv) < 3:
        fail(__doc__)
    command, pid = argv[1], int(argv[2])
    if command == "tree":
        check_tree(pid)
    elif command == "description" and len(argv) == 5:
        wait_description(pid, argv[3], argv[4])
    elif command == "busy" and len(argv) == 5:
        wait_busy(pid, argv[3], argv[4] == "yes")
    elif command == "press" and len(argv) == 4:
        press(pid, argv[3])
    elif command == "import" and len(argv) == 4:
        check_import(pid, argv[3])
    else:
        fail("unknown command: %s" % " ".join(argv[1:]))


if __name__ == "__main__":
    main(sys.argv)
