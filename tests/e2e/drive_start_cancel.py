#!/usr/bin/env python3
# drive_start_cancel.py PROGRAM WORKDIR, inside a virtual display and a private session bus (see
# run_e2e.sh): starts Kestrel, presses "Cancel", answers "Yes", and checks the activity log.
import os, shutil, signal, subprocess, sys, tempfile, time  # noqa: E401

import pyatspi

LOG_ORDER = ["START: ----------------------------------", "Command Line: ",
             "Editing type: NEW_PROJ", "COMMAND: Cancel", "END: ------------------------------------"]


class E2eFailure(Exception):
    """What went wrong, for the test's output."""


def wait_for(what, probe, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        try:
            found = probe()
        except Exception:  # the tree changes under us while windows come and go
            found = None
        if found:
            return found
        time.sleep(0.2)
    raise E2eFailure("timed out waiting for " + what)


def application_of(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    apps = [desktop.getChildAtIndex(i) for i in range(desktop.childCount)]
    return next((a for a in apps if a is not None and a.get_process_id() == pid), None)


def find(node, role, name, depth=0):
    """Depth-first search for a showing accessible with this role and name."""
    if node is None or depth > 40:
        return None
    if node.getRole() == role and node.name == name and \
            node.getState().contains(pyatspi.STATE_SHOWING):
        return node
    for i in range(node.childCount):
        found = find(node.getChildAtIndex(i), role, name, depth + 1)
        if found is not None:
            return found
    return None


def press(pid, name):
    button = wait_for('the "%s" button' % name,
                      lambda: find(application_of(pid), pyatspi.ROLE_PUSH_BUTTON, name), 30)
    action = button.queryAction()
    names = [action.getName(i).lower() for i in range(action.nActions)]
    action.doAction(next((i for i, n in enumerate(names) if n in ("press", "click")), 0))


def main():
    program, workdir = sys.argv[1], sys.argv[2]
    os.makedirs(workdir, exist_ok=True)
    scratch = tempfile.mkdtemp(prefix="start-cancel-", dir=workdir)
    log_file = os.path.join(scratch, "kestrel.log")
    project = os.path.join(scratch, "new project.xml")

    bus = subprocess.Popen([os.environ.get("KESTREL_E2E_LAUNCHER"), "--launch-immediately"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    env = dict(os.environ, KESTREL_LOG_FILE=log_file, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               QT_ACCESSIBILITY="1")
    env.pop("QT_QPA_PLATFORM", None)
    proc = None
    try:
        wait_for("the accessibility registry (at-spi-bus-launcher / at-spi2-registryd)",
                 lambda: pyatspi.Registry.getDesktop(0).childCount >= 0, 20)
        proc = subprocess.Popen([program, "NEW_PROJ", project], env=env)
        wait_for("Kestrel on the accessibility bus", lambda: application_of(proc.pid), 30)
        press(proc.pid, "Cancel")
        press(proc.pid, "Yes")
        try:
            proc.wait(timeout=30)
        except subprocess.TimeoutExpired:
            raise E2eFailure("Kestrel did not end after Cancel and Yes")
        if proc.returncode != 0:
            raise E2eFailure("Kestrel ended with exit code %d" % proc.returncode)
    finally:
        if proc is not None and proc.poll() is None:
            proc.kill()
            proc.wait()
        bus.send_signal(signal.SIGTERM)

    with open(log_file, encoding="utf-8", errors="replace") as f:
        log = f.read()
    position = 0
    for expected in LOG_ORDER:
        position = log.find(expected, position)
        if position < 0:
            raise E2eFailure("log line %r missing or out of order in:\n%s" % (expected, log))
    if 'Command Line: NEW_PROJ "%s"' % project not in log:
        raise E2eFailure("the command line lost the quoted path")
    print("ok: " + " / ".join(LOG_ORDER))
    shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    signal.signal(signal.SIGALRM, lambda *_: (_ for _ in ()).throw(E2eFailure("driver timed out")))
    signal.alarm(120)
    try:
        main()
    except E2eFailure as failure:
        print("E2E FAILURE: %s" % failure, file=sys.stderr)
        sys.exit(1)
