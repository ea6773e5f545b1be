#!/usr/bin/env python3
# drive_start_cancel.py PROGRAM WORKDIR, inside a virtual display and a private session bus (see
# run_e2e.sh): starts Kestrel, presses "Cancel", answers "Yes", and checks the activity log.
import os
import shutil
import sys
import tempfile

from atspi import E2eFailure, Session, check_log_order, run

LOG_ORDER = ["START: ----------------------------------", "Command Line: ",
             "Editing type: NEW_PROJ", "COMMAND: Cancel", "END: ------------------------------------"]


def main():
    program, workdir = sys.argv[1], sys.argv[2]
    os.makedirs(workdir, exist_ok=True)
    scratch = tempfile.mkdtemp(prefix="start-cancel-", dir=workdir)
    log_file = os.path.join(scratch, "kestrel.log")
    project = os.path.join(scratch, "new project.xml")

    with Session(log_file) as session:
        kestrel = session.start(program, "NEW_PROJ", project)
        kestrel.press("Cancel", timeout=30)
        kestrel.press("Yes", timeout=30)
        kestrel.wait_until_ended('"Cancel" and "Yes"')

    with open(log_file, encoding="utf-8", errors="replace") as f:
        log = f.read()
    check_log_order(log, LOG_ORDER)
    if 'Command Line: NEW_PROJ "%s"' % project not in log:
        raise E2eFailure("the command line lost the quoted path")
    print("ok: " + " / ".join(LOG_ORDER))
    shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(run(main, 120))
