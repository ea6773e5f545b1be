#!/usr/bin/env python3
# drive_keyboard_record.py PROGRAM WORKDIR, inside a virtual display and a private session bus (see
# run_e2e.sh): one whole lot record by keyboard only. The keys go through the X server (xdotool);
# what the program shows is read from the accessibility bus, as a screen reader reads it. On the
# way: the note of a failed field check is announced as an alert with its text, the road combo
# gives its road as its text and its open list as a list of rows, and Escape then Enter keeps
# the record ("abort changes?" defaults to No).
import os, shutil, signal, subprocess, sys, tempfile, time  # noqa: E401

import pyatspi
from gi.repository import GLib

from atspi import E2eFailure, application_of, wait_for

STEP_PAUSE = 0.15  # lets the program take in one key before the next


def key(*names):
    for name in names:
        subprocess.run(["xdotool", "key", "--clearmodifiers", name], check=True)
        time.sleep(STEP_PAUSE)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "60", text], check=True)
    time.sleep(STEP_PAUSE)


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    for i in range(node.childCount):
        yield from walk(node.getChildAtIndex(i), depth + 1)


def control_of(node):
    """A list rather than the cell it reports the focus on."""
    if node is not None and node.getRole() == pyatspi.ROLE_TABLE_CELL and node.parent is not None:
        return node.parent
    return node


def describe(node):
    return "%s %r" % (node.getRoleName(), node.name) if node is not None else "nothing"


class Session:
    def __init__(self, pid):
        self.pid = pid
        self.shown = []  # (role, name) of everything that came up, as a screen reader hears it
        self.focus_now = None

    def app(self):
        return application_of(self.pid)

    def pump(self):
        context = GLib.MainContext.default()
        while context.pending():
            context.iteration(False)

    def on_focus(self, event):
        # As a screen reader follows the focus: by the events, not by states read later.
        if event.detail1 == 1:
            self.focus_now = event.source

    def focused(self):
        self.pump()
        return control_of(self.focus_now)

    def on_showing(self, event):
        if event.detail1 == 1:
            try:
                self.shown.append((event.source.getRole(), event.source.name))
            except Exception:  # gone again already
                pass

    def focus(self):
        return wait_for("a focused control", self.focused, 10)

    def tab_to(self, wanted, backwards=False, limit=45):
        """Presses Tab (or Shift+Tab) until the focused control's name starts with `wanted`."""
        visited = []
        for _ in range(limit):
            now = self.focused()
            if now is not None and now.name.startswith(wanted):
                return now
            visited.append(describe(now))
            key("shift+Tab" if backwards else "Tab")
        raise E2eFailure("Tab never reached %r; it went %s" % (wanted, " / ".join(visited)))

    def text_of(self, node):
        return node.queryText().getText(0, -1)

    def find(self, role, name_start, showing=True):
        for node in walk(self.app()):
            if node.getRole() == role and node.name.startswith(name_start) and \
                    (not showing or node.getState().contains(pyatspi.STATE_SHOWING)):
                return node
        return None

    def list_rows(self, name_start, showing=True):
        table = wait_for("the list " + name_start,
                         lambda: self.find(pyatspi.ROLE_TABLE, name_start, showing), 10)
        cells = [table.getChildAtIndex(i) for i in range(table.childCount)]
        return [c.name for c in cells if c is not None and c.getRole() == pyatspi.ROLE_TABLE_CELL]


def drive(s):
    start = s.focus()
    if not start.name.startswith("Project Ref"):
        raise E2eFailure("the focus starts on %s, not on the project reference" % describe(start))
    type_text("A123")

    # A failed check on leaving a field: the note comes up, announced as an alert.
    s.tab_to("Title")
    type_text("NEW OFFICE")
    key("Return")  # a line break: the title takes it, its check does not
    key("Tab")
    try:
        alert = wait_for("the note announced", lambda: (s.pump(), next(
            (name for role, name in s.shown if role == pyatspi.ROLE_ALERT), None))[1], 10)
    except E2eFailure:
        print("announced:", s.shown, "focus:", describe(s.focused()), file=sys.stderr)
        for node in walk(s.app()):
            if node.getRole() in (pyatspi.ROLE_ALERT, pyatspi.ROLE_WINDOW, pyatspi.ROLE_TOOL_TIP):
                print("window:", describe(node), node.getState().getStates(), file=sys.stderr)
        raise
    if alert != "Invalid Input":
        raise E2eFailure("the note announced %r" % alert)
    if not s.focused().name.startswith("Title"):
        raise E2eFailure("the title did not keep the focus")
    key("ctrl+End", "BackSpace", "Tab")  # the line break goes; the field lets the user on

    # A lot, stored with Enter on "Save as New".
    s.tab_to("Mukim/TS")
    key("Down")
    s.tab_to("Lot Number")
    type_text("12a")  # the field writes capitals
    s.tab_to("Save as New")
    key("Return")
    rows = wait_for("the stored lot", lambda: "12A" in s.list_rows("Mukim/TS") and
                    s.list_rows("Mukim/TS"), 10)

    # Back into the form with Enter on its row, changed, and stored with Enter on "Update".
    s.tab_to("Mukim/TS Plot")
    key("Home", "Return")
    lot = s.tab_to("Lot Number", backwards=True)
    wait_for("the lot loaded", lambda: s.text_of(lot) == "12A", 10)
    key("ctrl+a")
    type_text("12B")
    s.tab_to("Update")
    key("Return")
    wait_for("the changed lot", lambda: "12B" in s.list_rows("Mukim/TS"), 10)
    if "12A" in s.list_rows("Mukim/TS"):
        raise E2eFailure("Update added a row instead of changing it: %r" % rows)

    # The road combo: its road is its text, its open list a list of the rows in view.
    key("ctrl+Tab", "ctrl+Tab")  # to the third nested page, the site description
    road = s.tab_to("Road")
    key("alt+Down")
    rows_in_view = wait_for("the open road list", lambda: next(
        (road.getChildAtIndex(i) for i in range(road.childCount)
         if road.getChildAtIndex(i).getRole() == pyatspi.ROLE_LIST
         and road.getChildAtIndex(i).childCount > 0), None), 10)
    key("Down", "Down")
    chosen = s.text_of(road)
    names = [rows_in_view.getChildAtIndex(i).name for i in range(rows_in_view.childCount)]
    selected = [rows_in_view.getChildAtIndex(i).name for i in range(rows_in_view.childCount)
                if rows_in_view.getChildAtIndex(i).getState().contains(pyatspi.STATE_SELECTED)]
    if not chosen or chosen not in names or selected != [chosen]:
        raise E2eFailure("road %r, rows %r, selected %r" % (chosen, names[:5], selected))
    key("Escape")
    print("ok: road combo reads %r among %d rows in view" % (chosen, len(names)))

    # Escape asks "abort changes?"; Enter answers its default, No, and the record stays.
    key("Escape")
    wait_for("the abort question", lambda: s.find(pyatspi.ROLE_PUSH_BUTTON, "No"), 10)
    key("Return")
    wait_for("the question gone", lambda: s.find(pyatspi.ROLE_PUSH_BUTTON, "No") is None, 10)
    if "12B" not in s.list_rows("Mukim/TS", showing=False):  # its page is behind the site page
        raise E2eFailure("the record was thrown away")
    key("Escape")
    wait_for("the abort question again", lambda: s.find(pyatspi.ROLE_PUSH_BUTTON, "Yes"), 10)
    key("y")


def main():
    program, workdir = sys.argv[1], sys.argv[2]
    os.makedirs(workdir, exist_ok=True)
    scratch = tempfile.mkdtemp(prefix="keyboard-record-", dir=workdir)
    log_file = os.path.join(scratch, "kestrel.log")
    project = os.path.join(scratch, "keyboard.xml")
    bus = subprocess.Popen([os.environ.get("KESTREL_E2E_LAUNCHER"), "--launch-immediately"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    env = dict(os.environ, KESTREL_LOG_FILE=log_file, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               QT_ACCESSIBILITY="1")
    env.pop("QT_QPA_PLATFORM", None)
    proc = None
    try:
        wait_for("the accessibility registry", lambda: pyatspi.Registry.getDesktop(0) is not None, 20)
        proc = subprocess.Popen([program, "NEW_PROJ", project], env=env)
        session = Session(proc.pid)
        pyatspi.Registry.registerEventListener(session.on_showing, "object:state-changed:showing")
        pyatspi.Registry.registerEventListener(session.on_focus, "object:state-changed:focused")
        wait_for("Kestrel on the accessibility bus", lambda: session.app(), 30)
        drive(session)
        try:
            proc.wait(timeout=30)
        except subprocess.TimeoutExpired:
            raise E2eFailure("Kestrel did not end after Escape and Yes")
        if proc.returncode != 0:
            raise E2eFailure("Kestrel ended with exit code %d" % proc.returncode)
    finally:
        if proc is not None and proc.poll() is None:
            proc.kill()
            proc.wait()
        bus.send_signal(signal.SIGTERM)
    with open(log_file, encoding="utf-8", errors="replace") as f:
        if "COMMAND: Cancel" not in f.read():
            raise E2eFailure("the log has no COMMAND: Cancel")
    print("ok: a lot stored, loaded, changed and kept by keyboard alone; the note announced")
    shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    signal.signal(signal.SIGALRM, lambda *_: (_ for _ in ()).throw(E2eFailure("driver timed out")))
    signal.alarm(140)
    try:
        main()
    except E2eFailure as failure:
        print("E2E FAILURE: %s" % failure, file=sys.stderr)
        sys.exit(1)
