# What the end-to-end drivers share: starting the accessibility bus and the program, and finding
# and using controls the way a screen reader user does -- by role and by the name the bus gives
# them, with actions, editable text and keys typed through the X server.
import contextlib
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import pyatspi

# X keysyms of the keys the drivers press.
KEY_F2 = 0xFFBF
KEY_RETURN = 0xFF0D
KEY_RIGHT = 0xFF53
KEY_SPACE = 0x20

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


def application_of(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    apps = [desktop.getChildAtIndex(i) for i in range(desktop.childCount)]
    return next((a for a in apps if a is not None and a.get_process_id() == pid), None)


def has(node, state):
    return node.getState().contains(state)


def find_where(node, wanted, showing=True, depth=0):
    """Depth-first search for an accessible that wanted() accepts, among the showing ones unless
    told otherwise."""
    if node is None or depth > 40 or (showing and not has(node, pyatspi.STATE_SHOWING)):
        return None
    if wanted(node):
        return node
    # The lists of a closed drop-down report themselves showing; their items are never wanted.
    if node.getRole() == pyatspi.ROLE_COMBO_BOX:
        return None
    for i in range(node.childCount):
        found = find_where(node.getChildAtIndex(i), wanted, showing, depth + 1)
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
    text = node.queryText()
    return text.getText(0, text.characterCount)


def choice_lists(combo):
    children = [combo.getChildAtIndex(i) for i in range(combo.childCount)]
    return [c for c in children if c is not None and c.getRole() == pyatspi.ROLE_LIST]


def popup_open(combo):
    return has(combo, pyatspi.STATE_EXPANDED) or \
        any(has(c, pyatspi.STATE_SHOWING) for c in choice_lists(combo))


def press_key(keysym):
    """One key, pressed and released through the X server, as a keyboard would."""
    pyatspi.Registry.generateKeyboardEvent(keysym, None, pyatspi.KEY_SYM)
    time.sleep(0.05)


def type_text(text):
    pyatspi.Registry.generateKeyboardEvent(0, text, pyatspi.KEY_STRING)
    time.sleep(0.05)


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
    press_key(KEY_F2)
    wait_for("the editor of %s to open" % what, lambda: not has(roles, pyatspi.STATE_FOCUSED), 5)
    type_text(text)
    press_key(KEY_RETURN)
    wait_for("%s in the roles list" % what,
             lambda: roles.queryTable().getAccessibleAt(0, column).name == text, 5)


def dump(node, depth=0):
    """The showing part of the tree, for a failure's output."""
    try:
        if node is None or depth > 40 or (depth and not has(node, pyatspi.STATE_SHOWING)):
            return ""
        children = [] if node.getRole() == pyatspi.ROLE_COMBO_BOX else range(node.childCount)
        return "%s%s %r\n" % ("  " * depth, node.getRoleName(), node.name) + "".join(
            dump(node.getChildAtIndex(i), depth + 1) for i in children)
    except Exception as error:  # the tree may change under us
        return "%s(%s)\n" % ("  " * depth, error)


class Program:
    """The program under test, reached through the accessibility bus."""

    def __init__(self, proc):
        self.proc = proc

    def app(self):
        return application_of(self.proc.pid)

    @contextlib.contextmanager
    def explained(self):
        """A failure inside tells what the bus showed at that moment."""
        try:
            yield
        except E2eFailure as failure:
            raise E2eFailure("%s\nwhat the bus shows:\n%s" % (failure, dump(self.app())))

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

    def check(self, name):
        box = self.wait("the check box", pyatspi.ROLE_CHECK_BOX, name)
        if not has(box, pyatspi.STATE_CHECKED):
            do_action(box, "toggle", "press", "click")
        wait_for('"%s" to be checked' % name, lambda: has(box, pyatspi.STATE_CHECKED), 5)

    def choose(self, label, item, typed=None):
        """Chooses an item of the combo box the label names: the user opens its drop-down, types
        the item's first letters (typed, or all of it) and takes it with Enter."""
        combo = wait_for('the combo box "%s"' % label,
                         lambda: labelled(self.app(), label, pyatspi.ROLE_COMBO_BOX))
        do_action(combo, "showmenu", "press")
        wait_for('the drop-down of "%s" to open' % label, lambda: popup_open(combo), 5)
        type_text(typed or item)
        press_key(KEY_RETURN)
        wait_for('the drop-down of "%s" to close' % label, lambda: not popup_open(combo), 5)
        # Qt's own combo box names itself by its text. The road box keeps its label's name and
        # gives the road as its text.
        if choice_lists(combo):
            wait_for('"%s" to show %r' % (label, item),
                     lambda: combo.name == item or text_of(combo) == item, 5)

    def list_holds(self, list_name, text, timeout=20):
        """Waits for the list to show a row with this text in one of its cells."""
        table = self.wait("the list", pyatspi.ROLE_TABLE, list_name)
        wait_for("%r in the list %s" % (text, list_name), lambda: find_where(
            table, lambda n: n.getRole() == pyatspi.ROLE_TABLE_CELL and n.name == text), timeout)

    def add_role(self, role, number):
        """"Add" gives the roles list a new row and the focus; F2 opens the role cell, whose
        choices drop open, Enter takes the typed role; then the number's cell the same way."""
        self.press("Add")
        roles = self.wait("the list", pyatspi.ROLE_TABLE, "Roles")
        edit_cell(roles, "the role", role, 0)
        press_key(KEY_RIGHT)
        edit_cell(roles, "the professional number", number, 1)

    def wait_until_ended(self, what, timeout=30):
        try:
            self.proc.wait(timeout=timeout)
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
    started on it; everything started here ends with it."""

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

    def start(self, *args):
        proc = subprocess.Popen(list(args), env=self.env)
        self.programs.append(proc)
        program = Program(proc)
        wait_for("Kestrel on the accessibility bus",
                 lambda: program.app() is not None and program.app().childCount > 0, 30)
        return program

    def __exit__(self, *exc):
        for proc in self.programs:
            if proc.poll() is None:
                proc.kill()
                proc.wait()
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


def run(main, prefix, seconds=120):
    """Runs main(program, scratch folder) of a driver started as DRIVER PROGRAM WORKDIR, within
    a time limit; a failure is reported, keeps the folder and ends with 1."""
    def out_of_time(*_):
        raise E2eFailure("driver timed out")
    signal.signal(signal.SIGALRM, out_of_time)
    signal.alarm(seconds)
    program, workdir = sys.argv[1], sys.argv[2]
    os.makedirs(workdir, exist_ok=True)
    scratch = tempfile.mkdtemp(prefix=prefix, dir=workdir)
    try:
        main(program, scratch)
    except E2eFailure as failure:
        print("E2E FAILURE: %s" % failure, file=sys.stderr)
        return 1
    finally:
        signal.alarm(0)
    shutil.rmtree(scratch, ignore_errors=True)
    return 0
