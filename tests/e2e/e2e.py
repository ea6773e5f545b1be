#!/usr/bin/env python3
# e2e.py PATH PROGRAM WORKDIR, inside a virtual display and a private session bus (see
# run_e2e.sh): walks one user path through the real program. What the program shows is found as
# a screen reader user finds it -- by role and by the name the accessibility bus gives it, with
# actions and editable text -- and the keys go through the X server (xdotool), as a keyboard's.
import os
import re
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ElementTree

import pyatspi
from gi.repository import GLib

START = "START: " + "-" * 34
END = "END: " + "-" * 36


class E2eFailure(Exception):
    """What went wrong, for the test's output."""


def wait_for(what, probe, timeout=20):
    """Polls probe until it answers something true; fails naming what was awaited."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            found = probe()
        except Exception:  # the tree changes under us while windows come and go
            found = None
        if found:
            return found
        if time.monotonic() >= deadline:
            raise E2eFailure("timed out waiting for " + what)
        time.sleep(0.1)


def has(node, state):
    return node.getState().contains(state)


def children(node):
    return [c for c in map(node.getChildAtIndex, range(node.childCount)) if c is not None]


def find_where(node, wanted, depth=0):
    """Depth-first search for a showing accessible that wanted() accepts."""
    if node is None or depth > 40 or not has(node, pyatspi.STATE_SHOWING):
        return None
    if wanted(node):
        return node
    # The lists of a closed drop-down report themselves showing; their items are never wanted.
    if node.getRole() == pyatspi.ROLE_COMBO_BOX:
        return None
    for child in children(node):
        found = find_where(child, wanted, depth + 1)
        if found is not None:
            return found
    return None


def find(node, role, name):
    return find_where(node, lambda n: n.getRole() == role and n.name == name)


def labelled(node, label, role):
    """The control of this role that the label names (a combo box shows its text as its name,
    so it is found, as a screen reader finds it, through its label)."""
    def names_it(n):
        if n.getRole() != role:
            return False
        for relation in n.getRelationSet():
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
                targets = [relation.getTarget(i) for i in range(relation.getNTargets())]
                if any(t is not None and t.name == label for t in targets):
                    return True
        return n.name == label
    return find_where(node, names_it)


def do_action(node, *names):
    """Runs the first of the named actions the accessible offers."""
    action = node.queryAction()
    offered = [action.getName(i).lower() for i in range(action.nActions)]
    for name in names:
        if name.lower() in offered:
            action.doAction(offered.index(name.lower()))
            return
    raise E2eFailure("%s %r offers none of %s (only %s)"
                     % (node.getRoleName(), node.name, names, offered))


def text_of(node):
    return node.queryText().getText(0, -1)


def cells(table):
    return [c.name for c in children(table) if c.getRole() == pyatspi.ROLE_TABLE_CELL]


def choice_lists(combo):
    return [c for c in children(combo) if c.getRole() == pyatspi.ROLE_LIST]


def popup_open(combo):
    return has(combo, pyatspi.STATE_EXPANDED) or \
        any(has(c, pyatspi.STATE_SHOWING) for c in choice_lists(combo))


def key(*names):
    for name in names:
        subprocess.run(["xdotool", "key", "--clearmodifiers", name], check=True)
        time.sleep(0.15)  # lets the program take in one key before the next


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "60", text], check=True)
    time.sleep(0.15)


def focus(node, what):
    """Gives the control the keyboard focus, as a screen reader's "move focus here" does."""
    try:
        node.queryComponent().grabFocus()
    except NotImplementedError:
        do_action(node, "setfocus")
    wait_for("%s to have the focus" % what, lambda: has(node, pyatspi.STATE_FOCUSED), 5)


def edit_cell(roles, what, text, column):
    """Opens the current cell of the focused roles list with F2, types the text, stores it. The
    in-place editors are not on the bus: the list losing the focus shows one open, the cell's
    new text shows it stored."""
    wait_for("the roles list to have the focus", lambda: has(roles, pyatspi.STATE_FOCUSED), 5)
    key("F2")
    wait_for("the editor of %s to open" % what, lambda: not has(roles, pyatspi.STATE_FOCUSED), 5)
    type_text(text)
    key("Return")
    wait_for("%s in the roles list" % what,
             lambda: roles.queryTable().getAccessibleAt(0, column).name == text, 5)


def dump(node, depth=0):
    """The showing part of the tree, for a failure's output."""
    try:
        if node is None or depth > 40 or (depth and not has(node, pyatspi.STATE_SHOWING)):
            return ""
        below = [] if node.getRole() == pyatspi.ROLE_COMBO_BOX else children(node)
        return "%s%s %r\n" % ("  " * depth, node.getRoleName(), node.name) + "".join(
            dump(child, depth + 1) for child in below)
    except Exception as error:  # the tree may change under us
        return "%s(%s)\n" % ("  " * depth, error)


class Program:
    """The program under test, reached through the accessibility bus. Listening, it follows the
    focus by its events, not by states read later, and keeps the (role, name) of everything
    that came up, as a screen reader hears them."""

    def __init__(self, listen):
        self.proc = None
        self.shown = []
        self.focus_now = None
        if listen:
            pyatspi.Registry.registerEventListener(self.on_showing, "object:state-changed:showing")
            pyatspi.Registry.registerEventListener(self.on_focus, "object:state-changed:focused")

    def app(self):
        desktop = pyatspi.Registry.getDesktop(0)
        return next((a for a in children(desktop) if a.get_process_id() == self.proc.pid), None)

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
        context = GLib.MainContext.default()
        while context.pending():
            context.iteration(False)
        node = self.focus_now
        if node is not None and node.getRole() == pyatspi.ROLE_TABLE_CELL and node.parent:
            return node.parent
        return node

    def tab_to(self, wanted, backwards=False):
        """Presses Tab (or Shift+Tab) until the focused control's name starts with `wanted`."""
        visited = []
        for _ in range(45):
            now = self.focused()
            if now is not None and now.name.startswith(wanted):
                return now
            visited.append("%s %r" % (now.getRoleName(), now.name) if now else "nothing")
            key("shift+Tab" if backwards else "Tab")
        raise E2eFailure("Tab never reached %r; it went %s" % (wanted, " / ".join(visited)))

    def wait(self, what, role, name, within=None, timeout=20):
        return wait_for('%s "%s"' % (what, name),
                        lambda: find(within or self.app(), role, name), timeout)

    def press(self, name, within=None, timeout=20):
        button = self.wait("the button", pyatspi.ROLE_PUSH_BUTTON, name, within, timeout)
        wait_for('"%s" to be enabled' % name, lambda: has(button, pyatspi.STATE_ENABLED), 5)
        do_action(button, "press", "click")

    def select_tab(self, name):
        tab = self.wait("the tab", pyatspi.ROLE_PAGE_TAB, name)
        do_action(tab, "press", "switch")
        # Qt marks the current tab "focused" (newer versions also "selected").
        wait_for('the tab "%s" to be selected' % name,
                 lambda: has(tab, pyatspi.STATE_SELECTED) or has(tab, pyatspi.STATE_FOCUSED), 5)

    def text_field(self, name, within=None):
        return self.wait("the field", pyatspi.ROLE_TEXT, name, within)

    def set_text(self, name, text, within=None):
        field = self.text_field(name, within)
        field.queryEditableText().setTextContents(text)
        wait_for('"%s" to hold %r' % (name, text), lambda: text_of(field) == text, 5)

    def choose(self, label, item, typed=None):
        """Chooses an item of the combo box the label names: the user opens its drop-down, types
        the item's first letters (typed, or all of it) and takes it with Enter."""
        combo = wait_for('the combo box "%s"' % label,
                         lambda: labelled(self.app(), label, pyatspi.ROLE_COMBO_BOX))
        do_action(combo, "showmenu", "press")
        wait_for('the drop-down of "%s" to open' % label, lambda: popup_open(combo), 5)
        type_text(typed or item)
        key("Return")
        wait_for('the drop-down of "%s" to close' % label, lambda: not popup_open(combo), 5)
        # Qt's own combo box names itself by its text. The road box keeps its label's name and
        # gives the road as its text.
        if choice_lists(combo):
            wait_for('"%s" to show %r' % (label, item),
                     lambda: combo.name == item or text_of(combo) == item, 5)

    def list_holds(self, name, text):
        """Waits for the list to show a row with this text in one of its cells."""
        table = wait_for('the list "%s"' % name,
                         lambda: find(self.app(), pyatspi.ROLE_TABLE, name))
        wait_for("%r in the list %s" % (text, name), lambda: text in cells(table))
        return table

    def wait_until_ended(self, what):
        try:
            self.proc.wait(timeout=30)
        except subprocess.TimeoutExpired:
            raise E2eFailure("Kestrel did not end after " + what)
        if self.proc.returncode != 0:
            raise E2eFailure("Kestrel ended with exit code %d after %s"
                             % (self.proc.returncode, what))

    def cancel(self, timeout=20):
        self.press("Cancel", timeout=timeout)
        self.press("Yes", timeout=timeout)
        self.wait_until_ended('"Cancel" and "Yes"')


class Session:
    """An accessibility bus inside the private session bus run_e2e.sh made, and the programs
    started on it; everything started here ends with it. A failure inside tells what the bus
    showed of the last program at that moment."""

    def __init__(self, log_file, extra_env=None):
        self.bus = None
        self.programs = []
        self.env = dict(os.environ, KESTREL_LOG_FILE=log_file,
                        QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
        self.env.update(extra_env or {})
        # The real program needs the virtual display, not the offscreen platform.
        self.env.pop("QT_QPA_PLATFORM", None)

    def __enter__(self):
        self.bus = subprocess.Popen([os.environ.get("KESTREL_E2E_LAUNCHER"),
                                     "--launch-immediately"],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("the accessibility registry (at-spi-bus-launcher / at-spi2-registryd)",
                 lambda: pyatspi.Registry.getDesktop(0).childCount >= 0, 20)
        return self

    def start(self, *args, listen=False):
        # A listener comes before the program, so as not to miss where its focus starts.
        program = Program(listen)
        program.proc = subprocess.Popen(list(args), env=self.env)
        self.programs.append(program)
        wait_for("Kestrel on the accessibility bus",
                 lambda: program.app() is not None and program.app().childCount > 0, 30)
        return program

    def __exit__(self, kind, error, trace):
        if isinstance(error, E2eFailure) and self.programs:
            error.args = ("%s\nwhat the bus shows:\n%s" % (error, dump(self.programs[-1].app())),)
        for program in self.programs:
            if program.proc.poll() is None:
                program.proc.kill()
                program.proc.wait()
        if self.bus is not None:  # run_e2e.sh's time limit ends it if this does not
            self.bus.terminate()
            self.bus.wait(timeout=10)
        return False


def run_lines(kind, project, *lines):
    """The activity log of one run of the program, from its start to its end."""
    return [START, 'Command Line: %s "%s"' % (kind, project), "Editing type: " + kind,
            *lines, END]


def check_log_order(log_file, expected_lines):
    """Each expected text found in the log after the one before it."""
    with open(log_file, encoding="utf-8", errors="replace") as f:
        log = f.read()
    position = 0
    for expected in expected_lines:
        found = log.find(expected, position)
        if found < 0:
            raise E2eFailure("log line %r missing or out of order in:\n%s" % (expected, log))
        position = found + len(expected)


def start_cancel(program, scratch):
    """Starts without the lookup database, presses "Cancel", answers "Yes". The activity log
    holds the run's own lines and nothing else: the database's warning goes to standard error,
    and a line break in the path does not start a line of its own."""
    log_file = os.path.join(scratch, "kestrel.log")
    project = os.path.join(scratch, 'new "project"\nfile.xml')
    with Session(log_file, {"KESTREL_LOOKUP_DB": os.path.join(scratch, "missing.db")}) as session:
        session.start(program, "NEW_PROJ", project).cancel(timeout=30)
    with open(log_file, encoding="utf-8", errors="replace", newline="") as f:
        lines = re.sub(r"(?m)^ \d{4}-\d\d-\d\d \d\d:\d\d:\d\d: ", "", f.read()).split("\r\n")
    expected = run_lines("NEW_PROJ", project.replace("\n", "\\n"), "COMMAND: Cancel") + [""]
    if lines != expected:
        raise E2eFailure("the log holds %r, expected %r" % (lines, expected))
    if os.path.exists(project):
        raise E2eFailure("quitting without saving wrote the file")


PROFESSIONAL_NO = "1234"
REFERENCE = "A1234-00042-2026"
NAME = "Lim Mei Ling Rachel"
EMAIL = "rachel.lim@meridian-survey.example.sg"
MEMBER_LIST = "Member Information *"

# An invented person, as a phone or address book exports her: folded and escaped lines, TYPE
# parameters in both spellings, a grouped property.
VCARD = "\r\n".join([
    "BEGIN:VCARD", "VERSION:3.0", "N:Lim;Mei Ling Rachel;;;", "FN:" + NAME,
    "ORG:Meridian Land Survey Pte Ltd;", "TITLE:Registered Surveyor",
    "TEL;TYPE=WORK,VOICE:+65 6123 4567", "TEL;type=CELL:+65 9123 4567",
    "EMAIL;TYPE=INTERNET,WORK:" + EMAIL,
    "item1.ADR;TYPE=WORK:;;3 Shenton Way\\n#05-12;Singapore;;068805;Singapore",
    "item1.X-ABLabel:Office", "NOTE:Survey of the site boundary\\, due in June.", "END:VCARD",
    "BEGIN:VCARD", "VERSION:3.0", "FN:Ong Boon Huat", "ORG:Ong & Partners Architects;",
    "EMAIL:boonhuat@ongpartners.example.sg", "END:VCARD", ""])

# What the saved file holds (the list's coordinator marker is only drawn: the name is as copied).
MEMBER = "project/member_group/member/"
SAVED = [
    ("project/reference_no", REFERENCE),
    ("project/profile/category_code", "NE"),
    ("project/profile/lotmkts_group/lotmkts/mk_ts_code", "MK07"),
    ("project/profile/address_group/address/road_code", "R00826"),
    ("project/profile/address_group/address/postal_code", "238801"),
    (MEMBER + "member_name", NAME),
    (MEMBER + "ic_flag", "Y"),
    (MEMBER + "project_coordinator_flag", "Y"),
    (MEMBER + "postal_code", "068805"),
    (MEMBER + "email_address1", EMAIL),
    (MEMBER + "member_role_group/member_role/member_role_code", "ARCH"),
    (MEMBER + "member_role_group/member_role/professional_no", PROFESSIONAL_NO),
]


def fill_project(kestrel):
    # The user's own number goes first; the coordinator's replaces it once the member is stored.
    kestrel.set_text("Project Ref *", "A9999")
    kestrel.set_text("Project Ref Serial Number", "42")
    kestrel.set_text("Project Ref Year", "2026")
    kestrel.set_text("Title *", "NEW ERECTION OF A DETACHED HOUSE")
    kestrel.choose("Category *", "NEW ERECTION", "NEW")
    kestrel.choose("Classification *", "RESIDENTIAL (LANDED)", "RESIDENTIAL")
    kestrel.choose("Land Ownership *", "PRIVATE (FREEHOLD)", "PRIVATE")

    kestrel.select_tab("Mukim/TS Plot/Lot No.")
    kestrel.choose("Mukim/TS *", "MUKIM 07")
    kestrel.set_text("Lot Number *", "1234K")
    kestrel.press("Save as New")
    kestrel.list_holds("Mukim/TS Plot/Lot No.", "1234K")

    kestrel.select_tab("Project Address")
    kestrel.set_text("House/Block No.", "10")
    kestrel.choose("Road Name *", "ORCHARD ROAD")
    kestrel.set_text("Postal Code *", "238801")
    kestrel.press("Save as New")
    kestrel.list_holds("Project Address", "ORCHARD ROAD")


def hand_back_activation(kestrel):
    """When the picker closes, a window manager makes the form's window the active one again.
    The virtual display has none, so the driver does what it would: gives the window the X
    input focus."""
    window = kestrel.wait("the main window", pyatspi.ROLE_DIALOG, "KESTREL")
    if has(window, pyatspi.STATE_ACTIVE):
        return
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(kestrel.proc.pid),
                            "--name", "^KESTREL$"], capture_output=True, text=True, timeout=10)
    ids = found.stdout.split()
    if not ids:
        raise E2eFailure("xdotool finds no window of Kestrel: %s" % found.stderr)
    subprocess.run(["xdotool", "windowfocus", "--sync", ids[0]], check=True, timeout=10)
    wait_for("the main window to be active again", lambda: has(window, pyatspi.STATE_ACTIVE), 5)


def import_member(kestrel, vcard):
    kestrel.select_tab(MEMBER_LIST)
    kestrel.select_tab("General *")
    focus(kestrel.wait("the button", pyatspi.ROLE_PUSH_BUTTON, "Contacts"), "the Contacts button")
    key("space")
    picker = kestrel.wait("the picker", pyatspi.ROLE_DIALOG, "Copy a Contact")
    # The line saying where the contacts come from (read, as a screen reader reads it, from its
    # description) names the sandbox's file, not the user's.
    source = kestrel.wait("the line", pyatspi.ROLE_LABEL, "Address book", picker)
    wait_for("the picker to name %s as its address book" % vcard,
             lambda: vcard in source.description, 5)
    search = kestrel.text_field("Search", picker)
    wait_for("the search field to have the focus", lambda: has(search, pyatspi.STATE_FOCUSED), 5)
    type_text("mei l")
    status = kestrel.wait("the line", pyatspi.ROLE_LABEL, "Search result", picker)
    wait_for("the picker to say one contact matches",
             lambda: status.description == "1 contact of 2 match.", 5)
    key("Return")
    wait_for("the picker to close",
             lambda: find(kestrel.app(), pyatspi.ROLE_DIALOG, "Copy a Contact") is None, 10)
    hand_back_activation(kestrel)

    # What an address book does not know: the identity, the coordination and the role with its
    # number. Space on the focused radio button clicks it, which is what switches the identity
    # fields over (the bus's "toggle" action only checks it).
    kestrel.select_tab("General *")
    focus(kestrel.wait("the radio button", pyatspi.ROLE_RADIO_BUTTON, "NRIC No."), '"NRIC No."')
    key("space")
    nric = kestrel.text_field("NRIC Number")
    wait_for('"NRIC Number" to be enabled', lambda: has(nric, pyatspi.STATE_ENABLED), 5)
    kestrel.set_text("NRIC Number", "1234567D")
    coordinator = kestrel.wait("the check box", pyatspi.ROLE_CHECK_BOX, "Project Co-ordinator")
    do_action(coordinator, "toggle", "press", "click")
    wait_for("the coordinator checked", lambda: has(coordinator, pyatspi.STATE_CHECKED), 5)
    # "Add" gives the roles list a new row and the focus; F2 opens the role cell, whose choices
    # drop open, Enter takes the typed role; then the number's cell the same way.
    kestrel.press("Add")
    roles = kestrel.wait("the list", pyatspi.ROLE_TABLE, "Roles")
    edit_cell(roles, "the role", "ARCHITECT", 0)
    key("Right")
    edit_cell(roles, "the professional number", PROFESSIONAL_NO, 1)
    kestrel.press("Save as New")
    # The list marks the coordinator in front of the name.
    kestrel.list_holds(MEMBER_LIST, "* " + NAME)
    kestrel.select_tab("Project Information *")
    wait_for("the coordinator's number on the project page",
             lambda: text_of(kestrel.text_field("Project Ref *")) == "A" + PROFESSIONAL_NO, 5)


def check_saved(project, store):
    try:
        root = ElementTree.parse(project).getroot()
    except (OSError, ElementTree.ParseError) as error:
        raise E2eFailure("the saved file cannot be read: %s" % error)
    for path, wanted in SAVED:
        found = root.find(path)
        value = None if found is None else (found.text or "")
        if value != wanted:
            raise E2eFailure("%s in the file is %r, expected %r" % (path, value, wanted))
    if len(root.findall("project/member_group/member")) != 1:
        raise E2eFailure("the saved file holds more than the one member")
    connection = sqlite3.connect("file:%s?mode=ro" % store, uri=True)
    try:
        references = [row[0] for row in connection.execute("SELECT REFERENCE_NO FROM PROJECT")]
    finally:
        connection.close()
    if references != [REFERENCE]:
        raise E2eFailure("the host store holds %s, expected only %s" % (references, REFERENCE))


def register_project(program, scratch):
    """Registers a new project as a user would -- the project page, one lot, one address, and
    one member copied from the user's address book (a vCard file of the test's own, named in
    KESTREL_CONTACTS) through the contact picker by keyboard, then completed as the coordinating
    architect -- saves it with "Ok", checks the file, the host's store and the activity log,
    then opens the file again for editing, finds the member in the list and cancels."""
    log_file = os.path.join(scratch, "kestrel.log")
    store = os.path.join(scratch, "projects.db")
    project = os.path.join(scratch, "new project.xml")
    vcard = os.path.join(scratch, "contacts.vcf")
    with open(vcard, "w", encoding="utf-8", newline="") as f:
        f.write(VCARD)
    with Session(log_file, {"KESTREL_PROJECT_STORE": store, "KESTREL_CONTACTS": vcard}) \
            as session:
        kestrel = session.start(program, "NEW_PROJ", project)
        fill_project(kestrel)
        import_member(kestrel, vcard)
        kestrel.press("Ok")
        kestrel.wait_until_ended('"Ok"')
        check_saved(project, store)
        with open(project, "rb") as f:
            saved = f.read()

        kestrel = session.start(program, "EDIT_PROJ", project)
        kestrel.select_tab(MEMBER_LIST)
        kestrel.list_holds(MEMBER_LIST, "* " + NAME)
        kestrel.cancel()
    with open(project, "rb") as f:
        if f.read() != saved:
            raise E2eFailure("quitting without saving changed the file")
    check_log_order(log_file, run_lines("NEW_PROJ", project, "Saving file to: " + project,
                                        "TernSdkDef::CreateProject call: " + REFERENCE,
                                        "TernSdkDef::CreateProject ret: 0") +
                    run_lines("EDIT_PROJ", project, "COMMAND: Cancel"))


def keyboard_record(program, scratch):
    """One whole lot record by keyboard only. On the way: the note of a failed field check is
    announced as an alert with its text, and Escape then Enter keeps the record ("abort
    changes?" defaults to No)."""
    log_file = os.path.join(scratch, "kestrel.log")
    lots = "Mukim/TS Plot/Lot No."
    with Session(log_file) as session:
        s = session.start(program, "NEW_PROJ", os.path.join(scratch, "k.xml"), listen=True)
        start = wait_for("a focused control", s.focused, 10)
        if not start.name.startswith("Project Ref"):
            raise E2eFailure("the focus starts on %r, not on the project reference" % start.name)
        type_text("A123")

        # A failed check on leaving a field: the note comes up, announced as an alert.
        s.tab_to("Title")
        type_text("NEW OFFICE")
        key("Return", "Tab")  # a line break: the title takes it, its check does not
        try:
            alert = wait_for("the note announced", lambda: (s.focused(), next(
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
        s.wait("the abort question", pyatspi.ROLE_PUSH_BUTTON, "No", timeout=10)
        key("Return")
        wait_for("the question gone", lambda: find(s.app(), pyatspi.ROLE_PUSH_BUTTON, "No") is None)
        s.list_holds(lots, "12B")
        key("Escape")
        s.wait("the abort question again", pyatspi.ROLE_PUSH_BUTTON, "Yes", timeout=10)
        key("y")
        s.wait_until_ended("Escape and Yes")
    check_log_order(log_file, ["COMMAND: Cancel"])


def main(path, program, workdir):
    os.makedirs(workdir, exist_ok=True)
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
