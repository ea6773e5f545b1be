#!/usr/bin/env python3
"""Starts Kestrel, presses "Cancel", answers "Yes", and checks the activity log.

Run inside a virtual display and a private session bus (see run_e2e.sh):
    drive_start_cancel.py PROGRAM WORKDIR
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import pyatspi

LOG_ORDER = [
    "START: ----------------------------------",
    "Command Line: ",
    "Editing type: NEW_PROJ",
    "COMMAND: Cancel",
    "END: ------------------------------------",
]


class E2eFailure(Exception):
    pass


def wait_for(what, probe, timeout):
    """Polls probe() until it gives something true; fails after timeout seconds."""
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


def start_accessibility_bus():
    launcher = os.environ.get("KESTREL_E2E_LAUNCHER", "/usr/libexec/at-spi-bus-launcher")
    bus = subprocess.Popen([launcher, "--launch-immediately"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def registry_answers():
        pyatspi.Registry.getDesktop(0).childCount  # raises while the registry is not up
        return True

    try:
        wait_for("the accessibility registry", registry_answers, 20)
    except E2eFailure:
        bus.kill()
        raise E2eFailure("the accessibility bus could not be started "
                         "(at-spi-bus-launcher / at-spi2-registryd did not answer)")
    return bus


def application_of(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def find(node, role, name, depth=0):
    """Depth-first search for an accessible with this role and name."""
    if node is None or depth > 40:
        return None
    try:
        if node.getRole() == role and node.name == name and \
                node.getState().contains(pyatspi.STATE_SHOWING):
            return node
        count = node.childCount
    except Exception:
        return None
    for i in range(count):
        found = find(node.getChildAtIndex(i), role, name, depth + 1)
        if found is not None:
            return found
    return None


def press(button):
    action = button.queryAction()
    for i in range(action.nActions):
        if action.getName(i) in ("Press", "press", "click", "Click"):
            action.doAction(i)
            return
    action.doAction(0)


def main():
    program, workdir = sys.argv[1], sys.argv[2]
    os.makedirs(workdir, exist_ok=True)
    scratch = tempfile.mkdtemp(prefix="start-cancel-", dir=workdir)
    log_file = os.path.join(scratch, "kestrel.log")
    project = os.path.join(scratch, "new project.xml")

    bus = start_accessibility_bus()
    env = dict(os.environ)
    env["KESTREL_LOG_FILE"] = log_file
    env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
    env["QT_ACCESSIBILITY"] = "1"
    env.pop("QT_QPA_PLATFORM", None)
    proc = subprocess.Popen([program, "NEW_PROJ", project], env=env)
    try:
        app = wait_for("Kestrel on the accessibility bus", lambda: application_of(proc.pid), 30)
        cancel = wait_for('the "Cancel" button',
                          lambda: find(app, pyatspi.ROLE_PUSH_BUTTON, "Cancel"), 30)
        press(cancel)
        yes = wait_for('the "Yes" button of the question',
                       lambda: find(application_of(proc.pid), pyatspi.ROLE_PUSH_BUTTON, "Yes"), 30)
        press(yes)
        try:
            proc.wait(timeout=30)
        except subprocess.TimeoutExpired:
            raise E2eFailure("Kestrel did not end after Cancel and Yes")
        if proc.returncode != 0:
            raise E2eFailure("Kestrel ended with exit code %d" % proc.returncode)
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
        bus.send_signal(signal.SIGTERM)

    with open(log_file, encoding="utf-8", errors="replace") as f:
        lines = f.read().splitlines()
    position = 0
    for expected in LOG_ORDER:
        while position < len(lines) and expected not in lines[position]:
            position += 1
        if position == len(lines):
            raise E2eFailure("log line %r missing or out of order in:\n%s"
                             % (expected, "\n".join(lines)))
        position += 1
    command_line = [l for l in lines if "Command Line: " in l][0]
    if '"%s"' % project not in command_line:
        raise E2eFailure("the command line lost the quoted path: " + command_line)
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
