#!/usr/bin/env python3
# drive_import_contact.py PROGRAM WORKDIR, inside a virtual display and a private session bus
# (see run_e2e.sh): a member is filled from the user's address book by keyboard. The driver
# writes a small vCard file of its own and names it in KESTREL_CONTACTS, starts a new project,
# focuses the member page's Contacts button and presses Space, types part of the name into the
# picker's search field and takes the contact with Enter; it then reads the member's fields from
# the bus, completes what a vCard cannot give (the identity and a role with its professional
# number), stores the member with "Save as New", finds it in the member list and quits with
# "Cancel" and "Yes".
import os
import shutil
import subprocess
import sys
import tempfile

import pyatspi

from atspi import (KEY_F2, KEY_RETURN, KEY_RIGHT, E2eFailure, Session, check_log_order, do_action,
                   dump, find_where, press_key, run, text_of, type_text, wait_for)

KEY_SPACE = 0x20

NAME = "Lim Mei Ling Rachel"
FIRM = "Meridian Land Survey Pte Ltd"
DESIGNATION = "Registered Surveyor"
EMAIL = "rachel.lim@meridian-survey.example.sg"
PROFESSIONAL_NO = "5678"
ROLE = "REGISTERED SURVEYOR"

# An invented person, as a phone or address book exports her: folded and escaped lines, TYPE
# parameters in both spellings, a grouped property.
VCARD = "\r\n".join([
    "BEGIN:VCARD",
    "VERSION:3.0",
    "N:Lim;Mei Ling Rachel;;;",
    "FN:" + NAME,
    "ORG:" + FIRM + ";",
    "TITLE:" + DESIGNATION,
    "TEL;TYPE=WORK,VOICE:+65 6123 4567",
    "TEL;type=CELL:+65 9123 4567",
    "EMAIL;TYPE=INTERNET,WORK:" + EMAIL,
    "item1.ADR;TYPE=WORK:;;3 Shenton Way\\n#05-12;Singapore;;068805;Singapore",
    "item1.X-ABLabel:Office",
    "NOTE:Survey of the site boundary\\, due in June.",
    "END:VCARD",
    "BEGIN:VCARD",
    "VERSION:3.0",
    "FN:Ong Boon Huat",
    "ORG:Ong & Partners Architects;",
    "EMAIL:boonhuat@ongpartners.example.sg",
    "END:VCARD",
    ""])

# What the member's pages show once the contact is copied: (tab, field, text).
IMPORTED = [
    ("General *", "Name *", NAME),
    ("General *", "Firm Name", FIRM),
    ("General *", "Designation", DESIGNATION),
    ("Address *", "House/Block No.", "3"),
    ("Address *", "Level No.", "05"),
    ("Address *", "Unit No.", "12"),
    ("Address *", "Postal Code *", "068805"),
    ("Contact *", "Telephone No.", "61234567"),
    ("Contact *", "Mobile Phone", "91234567"),
    ("Contact *", "Email Address *", EMAIL),
]


def list_holds(kestrel, list_name, text):
    """The list shows a row with this text in one of its cells."""
    table = kestrel.wait("the list", pyatspi.ROLE_TABLE, list_name)
    return find_where(table, lambda n: n.getRole() == pyatspi.ROLE_TABLE_CELL and n.name == text)


def has_focus(node):
    return node.getState().contains(pyatspi.STATE_FOCUSED)


def focus(node, what):
    """Gives the control the keyboard focus, as a screen reader's "move focus here" does."""
    try:
        node.queryComponent().grabFocus()
    except NotImplementedError:
        do_action(node, "setfocus")
    wait_for("%s to have the focus" % what, lambda: has_focus(node), 5)


def active(node):
    return node.getState().contains(pyatspi.STATE_ACTIVE)


def main_window(kestrel):
    return kestrel.wait("the main window", pyatspi.ROLE_DIALOG, "KESTREL")


def hand_back_activation(kestrel):
    """When the picker closes, a window manager makes the form's window the active one again.
    The virtual display has none, so the driver does what it would: gives the window the X
    input focus."""
    window = main_window(kestrel)
    if active(window):
        return
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(kestrel.proc.pid),
                            "--name", "^KESTREL$"], capture_output=True, text=True, timeout=10)
    ids = found.stdout.split()
    if not ids:
        raise E2eFailure("xdotool finds no window of Kestrel: %s" % found.stderr)
    subprocess.run(["xdotool", "windowfocus", "--sync", ids[0]], check=True, timeout=10)
    wait_for("the main window to be active again", lambda: active(window), 5)


def cell_text(table, row, column):
    return table.queryTable().getAccessibleAt(row, column).name


def edit_cell(roles, what, text, column):
    """Opens the current cell of the focused roles list with F2, types the text, stores it (the
    in-place editors are not on the bus: the list losing the focus shows one open)."""
    wait_for("the roles list to have the focus", lambda: has_focus(roles), 5)
    press_key(KEY_F2)
    wait_for("the editor of %s to open" % what, lambda: not has_focus(roles), 5)
    type_text(text)
    press_key(KEY_RETURN)
    wait_for("%s in the roles list" % what, lambda: cell_text(roles, 0, column) == text, 5)


def pick_contact(kestrel, vcard):
    kestrel.select_tab("Member Information *")
    kestrel.select_tab("General *")
    button = kestrel.wait("the button", pyatspi.ROLE_PUSH_BUTTON, "Contacts")
    focus(button, "the Contacts button")
    press_key(KEY_SPACE)

    picker = kestrel.wait("the picker", pyatspi.ROLE_DIALOG, "Copy a Contact")
    # The line saying where the contacts come from (read, as a screen reader reads it, from its
    # description) names the sandbox's file, not the user's.
    source = kestrel.wait("the line", pyatspi.ROLE_LABEL, "Address book", picker)
    wait_for("the picker to name %s as its address book" % vcard,
             lambda: vcard in source.description, 5)
    search = kestrel.text_field("Search", picker)
    wait_for("the search field to have the focus", lambda: has_focus(search), 5)
    type_text("mei l")
    wait_for("the search to hold what was typed", lambda: text_of(search) == "mei l", 5)
    status = kestrel.wait("the line", pyatspi.ROLE_LABEL, "Search result", picker)
    wait_for("the picker to say one contact matches",
             lambda: status.description == "1 contact of 2 match.", 5)
    press_key(KEY_RETURN)
    wait_for("the picker to close",
             lambda: find_where(kestrel.app(), lambda n: n.getRole() == pyatspi.ROLE_DIALOG
                                and n.name == "Copy a Contact") is None, 10)
    hand_back_activation(kestrel)


def check_imported(kestrel):
    for tab, field, wanted in IMPORTED:
        kestrel.select_tab(tab)
        edit = kestrel.text_field(field)
        wait_for('"%s" to show %r (it shows %r)' % (field, wanted, text_of(edit)),
                 lambda: text_of(edit) == wanted, 5)


def complete_member(kestrel):
    # What an address book does not know: the identity and the role with its number.
    kestrel.select_tab("General *")
    radio = kestrel.wait("the radio button", pyatspi.ROLE_RADIO_BUTTON, "NRIC No.")
    # By keyboard: Space on the focused radio button clicks it, which is what switches the
    # identity fields over (the bus's "toggle" action only checks it).
    focus(radio, '"NRIC No."')
    press_key(KEY_SPACE)
    wait_for('"NRIC No." to be chosen', lambda: radio.getState().contains(pyatspi.STATE_CHECKED), 5)
    nric = kestrel.text_field("NRIC Number")
    wait_for('"NRIC Number" to be enabled',
             lambda: nric.getState().contains(pyatspi.STATE_ENABLED), 5)
    kestrel.set_text("NRIC Number", "1234567D")
    kestrel.press("Add")
    roles = kestrel.wait("the list", pyatspi.ROLE_TABLE, "Roles")
    edit_cell(roles, "the role", ROLE, 0)
    press_key(KEY_RIGHT)
    edit_cell(roles, "the professional number", PROFESSIONAL_NO, 1)


def import_and_store(session, program, project, vcard):
    kestrel = session.start(program, "NEW_PROJ", project)
    try:
        pick_contact(kestrel, vcard)
        check_imported(kestrel)
        complete_member(kestrel)
        kestrel.press("Save as New")
        wait_for("the member in the member list",
                 lambda: list_holds(kestrel, "Member Information *", NAME), 10)
    except E2eFailure as failure:
        raise E2eFailure("%s\nwhat the bus shows:\n%s" % (failure, dump(kestrel.app())))
    kestrel.press("Cancel")
    kestrel.press("Yes")
    kestrel.wait_until_ended('"Cancel" and "Yes"')


def main():
    program, workdir = sys.argv[1], sys.argv[2]
    os.makedirs(workdir, exist_ok=True)
    scratch = tempfile.mkdtemp(prefix="contact-", dir=workdir)
    log_file = os.path.join(scratch, "kestrel.log")
    project = os.path.join(scratch, "new project.xml")
    vcard = os.path.join(scratch, "contacts.vcf")
    with open(vcard, "w", encoding="utf-8", newline="") as f:
        f.write(VCARD)

    with Session(log_file, {"KESTREL_CONTACTS": vcard,
                            "KESTREL_PROJECT_STORE": os.path.join(scratch, "projects.db")}) \
            as session:
        import_and_store(session, program, project, vcard)
    if os.path.exists(project):
        raise E2eFailure("quitting without saving wrote %s" % project)

    with open(log_file, encoding="utf-8", errors="replace") as f:
        log = f.read()
    check_log_order(log, [
        "START: ----------------------------------",
        'Command Line: NEW_PROJ "%s"' % project,
        "Editing type: NEW_PROJ",
        "COMMAND: Cancel",
        "END: ------------------------------------"])
    print("ok: %s copied from %s by keyboard, completed and stored in the member list"
          % (NAME, os.path.basename(vcard)))
    shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(run(main, 120))
