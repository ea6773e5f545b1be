#!/usr/bin/env python3
# drive_register_project.py PROGRAM WORKDIR, inside a virtual display and a private session bus
# (see run_e2e.sh): registers a new project as a user would -- the project page, one lot, one
# address, and one member copied from the user's address book (a vCard file of the driver's own,
# named in KESTREL_CONTACTS) through the contact picker by keyboard, then completed as the
# coordinating architect -- saves it with "Ok", checks the file, the host's store and the
# activity log, then opens the file again for editing and finds the member in the list.
import os
import sqlite3
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

import pyatspi

from atspi import (KEY_RETURN, KEY_SPACE, E2eFailure, Session, check_log_order, find, focus,
                   has, press_key, run, run_lines, text_of, type_text, wait_for)

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

# What the member's pages show once the contact is copied: (tab, field, text).
IMPORTED = [
    ("General *", "Designation", "Registered Surveyor"),
    ("Address *", "Level No.", "05"),
    ("Address *", "Postal Code *", "068805"),
    ("Contact *", "Telephone No.", "61234567"),
    ("Contact *", "Mobile Phone", "91234567"),
    ("Contact *", "Email Address *", EMAIL),
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

    # What an address book does not know: the identity, the coordination and the role with its
    # number. Space on the focused radio button clicks it, which is what switches the identity
    # fields over (the bus's "toggle" action only checks it).
    kestrel.select_tab("General *")
    radio = kestrel.wait("the radio button", pyatspi.ROLE_RADIO_BUTTON, "NRIC No.")
    focus(radio, '"NRIC No."')
    press_key(KEY_SPACE)
    nric = kestrel.text_field("NRIC Number")
    wait_for('"NRIC Number" to be enabled', lambda: has(nric, pyatspi.STATE_ENABLED), 5)
    kestrel.set_text("NRIC Number", "1234567D")
    kestrel.check("Project Co-ordinator")
    kestrel.add_role("ARCHITECT", PROFESSIONAL_NO)
    kestrel.press("Save as New")
    # The list marks the coordinator in front of the name.
    kestrel.list_holds(MEMBER_LIST, "* " + NAME, 10)
    kestrel.select_tab("Project Information *")
    wait_for("the coordinator's number on the project page",
             lambda: text_of(kestrel.text_field("Project Ref *")) == "A" + PROFESSIONAL_NO, 5)


def check_saved(project, store):
    try:
        root = ElementTree.parse(project).getroot()
    except (OSError, ElementTree.ParseError) as error:
        raise E2eFailure("the saved file cannot be read: %s" % error)
    # The list's coordinator marker is only drawn: the file has the name as copied.
    member = "project/member_group/member/"
    for path, wanted in [("project/reference_no", REFERENCE),
                         ("project/profile/category_code", "NE"),
                         ("project/profile/lotmkts_group/lotmkts/mk_ts_code", "MK07"),
                         ("project/profile/address_group/address/road_code", "R00826"),
                         ("project/profile/address_group/address/postal_code", "238801"),
                         (member + "member_name", NAME),
                         (member + "ic_flag", "Y"),
                         (member + "project_coordinator_flag", "Y"),
                         (member + "postal_code", "068805"),
                         (member + "email_address1", EMAIL),
                         (member + "member_role_group/member_role/member_role_code", "ARCH"),
                         (member + "member_role_group/member_role/professional_no",
                          PROFESSIONAL_NO)]:
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


def main(program, scratch):
    log_file = os.path.join(scratch, "kestrel.log")
    store = os.path.join(scratch, "projects.db")
    project = os.path.join(scratch, "new project.xml")
    vcard = os.path.join(scratch, "contacts.vcf")
    with open(vcard, "w", encoding="utf-8", newline="") as f:
        f.write(VCARD)
    with Session(log_file, {"KESTREL_PROJECT_STORE": store, "KESTREL_CONTACTS": vcard}) \
            as session:
        kestrel = session.start(program, "NEW_PROJ", project)
        with kestrel.explained():
            fill_project(kestrel)
            import_member(kestrel, vcard)
        kestrel.press("Ok")
        kestrel.wait_until_ended('"Ok"')
        check_saved(project, store)
        with open(project, "rb") as f:
            saved = f.read()

        kestrel = session.start(program, "EDIT_PROJ", project)
        with kestrel.explained():
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


if __name__ == "__main__":
    sys.exit(run(main, "register-"))
