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
import subprocess
import sys

import pyatspi

from atspi import (KEY_RETURN, KEY_SPACE, E2eFailure, Session, check_log_order, find, focus,
                   has, press_key, run, run_lines, text_of, type_text, wait_for)

NAME = "Lim Mei Ling Rachel"
EMAIL = "rachel.lim@meridian-survey.example.sg"

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

# What the member's pages show once the contact is copied: (tab, field, text).
IMPORTED = [
    ("General *", "Name *", NAME),
    ("General *", "Designation", "Registered Surveyor"),
    ("Address *", "Level No.", "05"),
    ("Address *", "Unit No.", "12"),
    ("Address *", "Postal Code *", "068805"),
    ("Contact *", "Telephone No.", "61234567"),
    ("Contact *", "Mobile Phone", "91234567"),
    ("Contact *", "Email Address *", EMAIL),
]


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


def import_and_store(kestrel, vcard):
    kestrel.select_tab("Member Information *")
    kestrel.select_tab("General *")
    focus(kestrel.wait("the button", pyatspi.ROLE_PUSH_BUTTON, "Contacts"), "the Contacts button")
    press_key(KEY_SPACE)
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
    press_key(KEY_RETURN)
    wait_for("the picker to close",
             lambda: find(kestrel.app(), pyatspi.ROLE_DIALOG, "Copy a Contact") is None, 10)
    hand_back_activation(kestrel)

    for tab, field, wanted in IMPORTED:
        kestrel.select_tab(tab)
        edit = kestrel.text_field(field)
        wait_for('"%s" to show %r (it shows %r)' % (field, wanted, text_of(edit)),
                 lambda: text_of(edit) == wanted, 5)

    # What an address book does not know: the identity and the role with its number. Space on
    # the focused radio button clicks it, which is what switches the identity fields over (the
    # bus's "toggle" action only checks it).
    kestrel.select_tab("General *")
    radio = kestrel.wait("the radio button", pyatspi.ROLE_RADIO_BUTTON, "NRIC No.")
    focus(radio, '"NRIC No."')
    press_key(KEY_SPACE)
    nric = kestrel.text_field("NRIC Number")
    wait_for('"NRIC Number" to be enabled', lambda: has(nric, pyatspi.STATE_ENABLED), 5)
    kestrel.set_text("NRIC Number", "1234567D")
    kestrel.add_role("REGISTERED SURVEYOR", "5678")
    kestrel.press("Save as New")
    kestrel.list_holds("Member Information *", NAME, 10)


def main(program, scratch):
    log_file = os.path.join(scratch, "kestrel.log")
    project = os.path.join(scratch, "new project.xml")
    vcard = os.path.join(scratch, "contacts.vcf")
    with open(vcard, "w", encoding="utf-8", newline="") as f:
        f.write(VCARD)
    with Session(log_file, {"KESTREL_CONTACTS": vcard,
                            "KESTREL_PROJECT_STORE": os.path.join(scratch, "projects.db")}) \
            as session:
        kestrel = session.start(program, "NEW_PROJ", project)
        with kestrel.explained():
            import_and_store(kestrel, vcard)
        kestrel.cancel()
    if os.path.exists(project):
        raise E2eFailure("quitting without saving wrote %s" % project)
    check_log_order(log_file, run_lines("NEW_PROJ", project, "COMMAND: Cancel"))


if __name__ == "__main__":
    sys.exit(run(main, "contact-"))
