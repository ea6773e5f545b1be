#!/usr/bin/env python3
# e2e.py PATH PROGRAM WORKDIR, inside a virtual display and a private session bus (see
# run_e2e.sh): walks one user path through the real program. What the program shows is found as
# a screen reader user finds it -- by role and by the name the accessibility bus gives it, with
# actions and editable text -- and the keys go through the X server (xdotool), as a keyboard's.
import os, re, shutil, sqlite3, subprocess, sys, tempfile, time  # noqa: E401
import xml.etree.ElementTree as ElementTree

import pyatspi
from gi.repository import GLib

class E2eFailure(Exception):
    pass


def wait_for(what, probe, timeout=20):
    # Polls probe until it answers something true; fails naming what was awaited.
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        try:
            found = probe()
        except Exception:  # the tree changes under us while windows come and go
            found = None
        if found:
            return found
        time.sleep(0.1)
    raise E2eFailure("timed out waiting for " + what)


def has(node, state):
    return node.getState().contains(state)


def children(node):
    return [c for c in map(node.getChildAtIndex, range(node.childCount)) if c is not None]


def below(node):
    # The lists of a closed drop-down report themselves showing; their items are never wanted.
    return [] if node.getRole() == pyatspi.ROLE_COMBO_BOX else children(node)


def find_where(node, wanted, depth=0):
    # Depth first, over what is showing.
    if node is None or depth > 40 or not has(node, pyatspi.STATE_SHOWING):
        return None
    if wanted(node):
        return node
    return next(filter(None, (find_where(c, wanted, depth + 1) for c in below(node))), None)


def find(node, role, name):
    return find_where(node, lambda n: n.getRole() == role and n.name == name)


def labelled(node, label, role):
    # A combo box names itself by its text: it is found, as a screen reader finds it, by its label.
    return find_where(node, lambda n: n.getRole() == role and (n.name == label or any(
        t is not None and t.name == label for r in n.getRelationSet()
        if r.getRelationType() == pyatspi.RELATION_LABELLED_BY
        for t in map(r.getTarget, range(r.getNTargets())))))


def do_action(node, *names):
    # Runs the first of the named actions the accessible offers.
    action = node.queryAction()
    offered = [action.getName(i).lower() for i in range(action.nActions)]
    name = next((n.lower() for n in names if n.lower() in offered), None)
    if name is None:
        raise E2eFailure("%s %r offers none of %s (only %s)"
                         % (node.getRoleName(), node.name, names, offered))
    action.doAction(offered.index(name))


def text_of(node):
    return node.queryText().getText(0, -1)


def cells(table):
    return [c.name for c in children(table) if c.getRole() == pyatspi.ROLE_TABLE_CELL]


def key(*names):
    for name in names:
        subprocess.run(["xdotool", "key", "--clearmodifiers", name], check=True)
        time.sleep(0.15)  # lets the program take in one key before the next


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "60", text], check=True)
    time.sleep(0.15)


def edit_cell(roles, text, column):
    # F2 on the focused roles list opens its current cell, the text goes in, Enter stores it. The
    # in-place editors are not on the bus: the list losing the focus shows one open.
    wait_for("the roles list to have the focus", lambda: has(roles, pyatspi.STATE_FOCUSED), 5)
    key("F2")
    wait_for("the editor of %r to open" % text, lambda: not has(roles, pyatspi.STATE_FOCUSED), 5)
    type_text(text)
    key("Return")
    wait_for("%r in the roles list" % text,
             lambda: roles.queryTable().getAccessibleAt(0, column).name == text, 5)


def dump(node, depth=0):
    # The showing part of the tree, for a failure's output.
    try:
        if node is None or depth > 40 or (depth and not has(node, pyatspi.STATE_SHOWING)):
            return ""
        return "%s%s %r\n" % ("  " * depth, node.getRoleName(), node.name) + "".join(
            dump(child, depth + 1) for child in below(node))
    except Exception as error:  # the tree may change under us
        return "%s(%s)\n" % ("  " * depth, error)


class Program:
    # One run of the program, reached through the accessibility bus. Listening, it follows the
    # focus by its events, not by states read later, and keeps the (role, name) of everything
    # that came up, as a screen reader hears them.
    def __init__(self, args, env, listen):
        self.shown, self.focus_now = [], None
        if listen:  # before the program starts, so as not to miss where its focus starts
            pyatspi.Registry.registerEventListener(self.heard, "object:state-changed:showing",
                                                   "object:state-changed:focused")
        self.proc = subprocess.Popen(args, env=env)

    def app(self):
        desktop = pyatspi.Registry.getDesktop(0)
        return next((a for a in children(desktop) if a.get_process_id() == self.proc.pid), None)

    def heard(self, event):
        if event.detail1 == 1 and event.type.endswith("focused"):
            self.focus_now = event.source
        elif event.detail1 == 1:
            try:
                self.shown.append((event.source.getRole(), event.source.name))
            except Exception:  # gone again already
                pass

    def focused(self):
        # The focused control: a list rather than the cell it reports the focus on.
        context = GLib.MainContext.default()
        while context.pending():
            context.iteration(False)
        node = self.focus_now
        if node is not None and node.getRole() == pyatspi.ROLE_TABLE_CELL and node.parent:
            return node.parent
        return node

    def tab_to(self, wanted, backwards=False):
        # Presses Tab (or Shift+Tab) until the focused control's name starts with `wanted`.
        visited = []
        for _ in range(45):
            now = self.focused()
            if now is not None and now.name.startswith(wanted):
                return now
            visited.append("%s %r" % (now.getRoleName(), now.name) if now else "nothing")
            key("shift+Tab" if backwards else "Tab")
        raise E2eFailure("Tab never reached %r; it went %s" % (wanted, " / ".join(visited)))

    def wait(self, role, name):
        return wait_for('"%s"' % name, lambda: find(self.app(), role, name))

    def press(self, name):
        button = self.wait(pyatspi.ROLE_PUSH_BUTTON, name)
        wait_for('"%s" to be enabled' % name, lambda: has(button, pyatspi.STATE_ENABLED), 5)
        do_action(button, "press", "click")

    def select_tab(self, name):
        tab = self.wait(pyatspi.ROLE_PAGE_TAB, name)
        do_action(tab, "press", "switch")
        # Qt marks the current tab "focused" (newer versions also "selected").
        wait_for('the tab "%s" to be selected' % name,
                 lambda: has(tab, pyatspi.STATE_SELECTED) or has(tab, pyatspi.STATE_FOCUSED), 5)

    def set_text(self, name, text):
        field = self.wait(pyatspi.ROLE_TEXT, name)
        field.queryEditableText().setTextContents(text)
        wait_for('"%s" to hold %r' % (name, text), lambda: text_of(field) == text, 5)

    def choose(self, label, typed):
        # The user opens the drop-down, types the item's first letters and takes it with Enter.
        combo = wait_for('the combo box "%s"' % label,
                         lambda: labelled(self.app(), label, pyatspi.ROLE_COMBO_BOX))
        lists = lambda: [c for c in children(combo) if c.getRole() == pyatspi.ROLE_LIST]
        is_open = lambda: has(combo, pyatspi.STATE_EXPANDED) or any(
            has(c, pyatspi.STATE_SHOWING) for c in lists())
        do_action(combo, "showmenu", "press")
        wait_for('the drop-down of "%s" to open' % label, is_open, 5)
        type_text(typed)
        key("Return")
        wait_for('the drop-down of "%s" to close' % label, lambda: not is_open(), 5)

    def list_holds(self, name, text):
        # Waits for the list to show a row with this text in one of its cells.
        table = self.wait(pyatspi.ROLE_TABLE, name)
        wait_for("%r in the list %s" % (text, name), lambda: text in cells(table))
        return table

    def ended(self, what):
        try:
            code = self.proc.wait(timeout=30)
        except subprocess.TimeoutExpired:
            code = "none: it did not end"
        if code != 0:
            raise E2eFailure("Kestrel's exit code after %s: %s" % (what, code))


class Session:
    # An accessibility bus inside the private session bus run_e2e.sh made, and the runs of the
    # program on it, which end with it. A failure inside tells what the last run showed.
    def __init__(self, scratch, **env):
        self.log_file = os.path.join(scratch, "kestrel.log")
        self.env = dict(os.environ, KESTREL_LOG_FILE=self.log_file, QT_ACCESSIBILITY="1",
                        QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", **env)
        self.env.pop("QT_QPA_PLATFORM", None)  # the real program needs the virtual display
        self.runs = []

    def __enter__(self):
        self.bus = subprocess.Popen([os.environ["KESTREL_E2E_LAUNCHER"], "--launch-immediately"],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("the accessibility registry (at-spi-bus-launcher / at-spi2-registryd)",
                 lambda: pyatspi.Registry.getDesktop(0).childCount >= 0, 20)
        return self

    def start(self, *args, listen=False):
        run = Program(args, self.env, listen)
        self.runs.append(run)
        wait_for("Kestrel on the bus", lambda: run.app() is not None and run.app().childCount, 30)
        return run

    def __exit__(self, kind, error, trace):
        if isinstance(error, E2eFailure) and self.runs:
            last = self.runs[-1]
            error.args = ("%s\nwhat the bus shows:\n%s\nwhat came up: %r"
                          % (error, dump(last.app()), last.shown),)
        for run in self.runs:
            run.proc.kill()  # nothing if it ended
            run.proc.wait()
        self.bus.terminate()  # run_e2e.sh's time limit ends it if this does not
        self.bus.wait(timeout=10)


def start_cancel(program, scratch):
    # Starts without the lookup database, "Cancel", "Yes". The activity log holds the run's own
    # lines only: the database's warning goes to standard error, and a line break in the path
    # starts no line of its own.
    project = os.path.join(scratch, 'new "project"\nfile.xml')
    with Session(scratch, KESTREL_LOOKUP_DB=os.path.join(scratch, "missing.db")) as session:
        kestrel = session.start(program, "NEW_PROJ", project)
        kestrel.press("Cancel")
        kestrel.press("Yes")
        kestrel.ended('"Cancel" and "Yes"')
    with open(session.log_file, encoding="utf-8", errors="replace", newline="") as f:
        lines = re.sub(r"(?m)^ \d{4}-\d\d-\d\d \d\d:\d\d:\d\d: ", "", f.read()).split("\r\n")
    expected = ["START: " + "-" * 34, 'Command Line: NEW_PROJ "%s"' % project.replace("\n", "\\n"),
                "Editing type: NEW_PROJ", "COMMAND: Cancel", "END: " + "-" * 36, ""]
    if lines != expected:
        raise E2eFailure("the log holds %r, expected %r" % (lines, expected))
    if os.path.exists(project):
        raise E2eFailure("quitting without saving wrote the file")


REFERENCE = "A1234-00042-2026"
NAME = "LIM MEI LING RACHEL"
MEMBERS = "Member Information *"
# What the saved file holds: codes of the lookup data, the road's of the program's own road list.
MEMBER = "project/member_group/member/"
SAVED = [("project/reference_no", REFERENCE), ("project/profile/category_code", "NE"),
         ("project/profile/lotmkts_group/lotmkts/mk_ts_code", "MK07"),
         (MEMBER + "member_name", NAME), (MEMBER + "road_code", "R00826"),
         (MEMBER + "member_role_group/member_role/member_role_code", "ARCH")]


def fill_project(kestrel):
    # The user's own number goes first; the coordinator's replaces it once the member is stored.
    for field, text in [("Project Ref *", "A9999"), ("Project Ref Serial Number", "42"),
                        ("Project Ref Year", "2026"), ("Title *", "NEW ERECTION OF A HOUSE")]:
        kestrel.set_text(field, text)
    kestrel.choose("Category *", "NEW")
    kestrel.choose("Classification *", "RESIDENTIAL")
    kestrel.choose("Land Ownership *", "PRIVATE")
    kestrel.select_tab("Mukim/TS Plot/Lot No.")  # a lot, or else an address, is required
    kestrel.choose("Mukim/TS *", "MUKIM 07")
    kestrel.set_text("Lot Number *", "1234K")
    kestrel.press("Save as New")
    kestrel.list_holds("Mukim/TS Plot/Lot No.", "1234K")


def enter_member(kestrel):
    # The coordinating architect, whose number becomes the project's reference.
    kestrel.select_tab(MEMBERS)
    kestrel.select_tab("Address *")
    kestrel.choose("Road Name *", "ORCHARD ROAD")
    for tab, field, text in [("Address *", "Postal Code *", "238801"),
                             ("Contact *", "Email Address *", "rachel.lim@meridian.example.sg"),
                             ("Contact *", "Mobile Phone", "91234567"), ("General *", "Name *", NAME),
                             ("General *", "NRIC Number", "1234567D")]:
        kestrel.select_tab(tab)
        kestrel.set_text(field, text)
    coordinator = kestrel.wait(pyatspi.ROLE_CHECK_BOX, "Project Co-ordinator")
    do_action(coordinator, "toggle", "press", "click")
    wait_for("the coordinator checked", lambda: has(coordinator, pyatspi.STATE_CHECKED), 5)
    # "Add" gives the roles list a new row and the focus; F2 opens the role's cell, whose choices
    # drop open, Enter takes the typed role; then the number's cell the same way.
    kestrel.press("Add")
    roles = kestrel.wait(pyatspi.ROLE_TABLE, "Roles")
    edit_cell(roles, "ARCHITECT", 0)
    key("Right")
    edit_cell(roles, "1234", 1)
    kestrel.press("Save as New")
    kestrel.list_holds(MEMBERS, "* " + NAME)  # the list marks the coordinator


def register_project(program, scratch):
    # Registers a new project as a user would: the project page, a lot and a member; "Ok" saves
    # and registers it. Then a view-only run shows it, locked, and quits without a question or a
    # change.
    store, project = os.path.join(scratch, "projects.db"), os.path.join(scratch, "new project.xml")
    with Session(scratch, KESTREL_PROJECT_STORE=store) as session:
        kestrel = session.start(program, "NEW_PROJ", project)
        fill_project(kestrel)
        enter_member(kestrel)
        kestrel.press("Ok")
        kestrel.ended('"Ok"')
        root = ElementTree.parse(project).getroot()
        for path, wanted in SAVED:
            if getattr(root.find(path), "text", None) != wanted:
                raise E2eFailure("%s in the file is not %r" % (path, wanted))
        stored = sqlite3.connect("file:%s?mode=ro" % store, uri=True).execute(
            "SELECT REFERENCE_NO FROM PROJECT").fetchall()
        if stored != [(REFERENCE,)]:
            raise E2eFailure("the host store holds %s, expected only %s" % (stored, REFERENCE))
        with open(project, "rb") as f:
            saved = f.read()

        kestrel = session.start(program, "VIEW_PROJ", project)
        if not has(kestrel.wait(pyatspi.ROLE_TEXT, "Project Ref *"), pyatspi.STATE_READ_ONLY) or \
                has(kestrel.wait(pyatspi.ROLE_PUSH_BUTTON, "Ok"), pyatspi.STATE_ENABLED):
            raise E2eFailure("a view-only run lets the record be changed")
        kestrel.select_tab(MEMBERS)
        kestrel.list_holds(MEMBERS, "* " + NAME)
        kestrel.press("Cancel")
        kestrel.ended('"Cancel" in a view-only run')
    with open(project, "rb") as f:
        if f.read() != saved:
            raise E2eFailure("quitting without saving changed the file")


def keyboard_record(program, scratch):
    # One lot record by keyboard only. On the way: the note of a failed field check is announced
    # as an alert with its text, and Escape then Enter keeps the record ("abort changes?"
    # defaults to No).
    lots = "Mukim/TS Plot/Lot No."
    with Session(scratch) as session:
        s = session.start(program, "NEW_PROJ", os.path.join(scratch, "k.xml"), listen=True)
        if not wait_for("a focused control", s.focused, 10).name.startswith("Project Ref"):
            raise E2eFailure("the focus does not start on the project reference")
        type_text("A123")

        s.tab_to("Title")
        type_text("NEW OFFICE")
        key("Return", "Tab")  # a line break: the title takes it, its check does not
        alert = wait_for("the note announced", lambda: (s.focused(), [
            name for role, name in s.shown if role == pyatspi.ROLE_ALERT])[1], 10)
        if alert != ["Invalid Input"] or not s.focused().name.startswith("Title"):
            raise E2eFailure("the note %r, and the focus on %r" % (alert, s.focused().name))
        key("ctrl+End", "BackSpace", "Tab")  # the line break goes; the field lets the user on

        # A lot, stored with Enter on "Save as New".
        s.tab_to("Mukim/TS")
        key("Down")
        s.tab_to("Lot Number")
        type_text("12a")  # the field writes capitals
        s.tab_to("Save as New")
        key("Return")
        s.list_holds(lots, "12A")

        # Back into the form with Enter on its row, changed, and stored with Enter on "Update".
        s.tab_to("Mukim/TS Plot")
        key("Home", "Return")
        lot = s.tab_to("Lot Number", backwards=True)
        wait_for("the lot loaded", lambda: text_of(lot) == "12A", 10)
        key("ctrl+a")
        type_text("12B")
        s.tab_to("Update")
        key("Return")
        if "12A" in cells(s.list_holds(lots, "12B")):
            raise E2eFailure("Update added a row instead of changing it")

        # Escape asks "abort changes?"; Enter answers its default, No, and the record stays.
        key("Escape")
        s.wait(pyatspi.ROLE_PUSH_BUTTON, "No")
        key("Return")
        wait_for("the question gone", lambda: find(s.app(), pyatspi.ROLE_PUSH_BUTTON, "No") is None)
        s.list_holds(lots, "12B")
        key("Escape")
        s.wait(pyatspi.ROLE_PUSH_BUTTON, "Yes")
        key("y")
        s.ended("Escape and Yes")


def main(path, program, workdir):
    scratch = tempfile.mkdtemp(prefix=path + "-", dir=workdir)
    try:
        globals()[path](program, scratch)
    except E2eFailure as failure:  # the scratch folder is kept for a look
        print("E2E FAILURE: %s" % failure, file=sys.stderr)
        return 1
    shutil.rmtree(scratch, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
