#!/usr/bin/env python3
# drive_keyboard_record.py PROGRAM WORKDIR, inside a virtual display and a private session bus (see
# run_e2e.sh): one whole lot record by keyboard only. The keys go through the X server (xdotool);
# what the program shows is read from the accessibility bus, as a screen reader reads it. On the
# way: the note of a failed field check is announced as an alert with its text, the road combo
# gives its road as its text and its open list as a list of rows, and Escape then Enter keeps
# the record ("abort changes?" defaults to No).
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

from atspi import E2eFailure, Session, check_log_order, find_where, run, wait_for

STEP_PAUSE = 0.15  # lets the program take in one key before the next


def key(*names):
    for name in names:
        subprocess.run(["xdotool", "key", "--clearmodifiers", name], check=True)
        time.sleep(STEP_PAUSE)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "60", text], check=True)
    time.sleep(STEP_PAUSE)


def describe(node):
    return "%s %r" % (node.getRoleName(), node.name) if node is not None else "nothing"


class Listener:
    """What a screen reader hears: the focus followed by its events, not by states read later,
    and the (role, name) of everything that came up."""

    def __init__(self):
        self.program = None
        self.shown = []
        self.focus_now = None
        pyatspi.Registry.registerEventListener(self.on_showing, "object:state-changed:showing")
        pyatspi.Registry.registerEventListener(self.on_focus, "object:state-changed:focused")

    def app(self):
        return self.program.app()

    def pump(self):
        context = GLib.MainContext.default()
        while context.pending():
            context.iteration(False)

    def on_focus(self, event):
        if event.detail1 == 1:
            self.focus_now = event.source

    def on_showing(self, event):
        if event.detail1 == 1:
            try:
                self.shown.append((event.source.getRole(), event.source.name))
            except Exception:  # gone again already
                pass

    def focused(self):
        """The focused control: a list rather than the cell it reports the focus on."""
        self.pump()
        node = self.focus_now
        if node is not None and node.getRole() == pyatspi.ROLE_TABLE_CELL and node.parent:
            return node.parent
        return node

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
        return find_where(self.app(), lambda n: n.getRole() == role and
                          n.name.startswith(name_start), showing)

    def list_rows(self, name_start, showing=True):
        table = wait_for("the list " + name_start,
                         lambda: self.find(pyatspi.ROLE_TABLE, name_start, showing), 10)
        cells = [table.getChildAtIndex(i) for i in range(table.childCount)]
        return [c.name for c in cells if c is not None and c.getRole() == pyatspi.ROLE_TABLE_CELL]


def drive(s):
    start = wait_for("a focused control", s.focused, 10)
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
        raise E2eFailure("no note announced; a screen reader heard %r" % s.shown)
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
    wait_for("the stored lot", lambda: "12A" in s.list_rows("Mukim/TS"), 10)

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
        raise E2eFailure("Update added a row instead of changing it")

    # The road combo: its road is its text, its open list a list of the rows in view.
    key("ctrl+Tab", "ctrl+Tab")  # to the third nested page, the site description
    road = s.tab_to("Road")
    key("alt+Down")
    in_view = wait_for("the open road list", lambda: next(
        (c for c in map(road.getChildAtIndex, range(road.childCount))
         if c.getRole() == pyatspi.ROLE_LIST and c.childCount > 0)))
    key("Down", "Down")
    chosen = s.text_of(road)
    rows = [in_view.getChildAtIndex(i) for i in range(in_view.childCount)]
    names = [row.name for row in rows]
    selected = [row.name for row in rows if row.getState().contains(pyatspi.STATE_SELECTED)]
    if not chosen or chosen not in names or selected != [chosen]:
        raise E2eFailure("road %r, rows %r, selected %r" % (chosen, names[:5], selected))
    key("Escape")

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


def main(program, scratch):
    log_file = os.path.join(scratch, "kestrel.log")
    with Session(log_file) as session:
        listener = Listener()
        listener.program = session.start(program, "NEW_PROJ", os.path.join(scratch, "k.xml"))
        drive(listener)
        listener.program.wait_until_ended("Escape and Yes")
    check_log_order(log_file, ["COMMAND: Cancel"])


if __name__ == "__main__":
    sys.exit(run(main, "keyboard-record-", 140))
