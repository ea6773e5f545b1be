#!/usr/bin/env python3
# drive_start_cancel.py PROGRAM WORKDIR, inside a virtual display and a private session bus (see
# run_e2e.sh): starts Kestrel without its lookup database, presses "Cancel", answers "Yes". The
# activity log holds the run's own lines and nothing else: the database's warning goes to
# standard error, and a line break in the path does not start a line of its own.
import os
import re
import sys

from atspi import E2eFailure, Session, run, run_lines


def main(program, scratch):
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


if __name__ == "__main__":
    sys.exit(run(main, "start-cancel-"))
