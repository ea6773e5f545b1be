#!/usr/bin/env python3
# drive_register_project.py PROGRAM WORKDIR, inside a virtual display and a private session bus
# (see run_e2e.sh): registers a new project as a user would -- the project page, one lot, one
# address and one member who coordinates as an architect -- saves it with "Ok", checks the file,
# the host's store and the activity log, then opens the file again for editing and finds the
# member in the list.
import os
import shutil
import sqlite3
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

import pyatspi

from atspi import (KEY_F2, KEY_RETURN, KEY_RIGHT, E2eFailure, Session, check_log_order, dump,
                   find_where, press_key, run, text_of, type_text, wait_for)

SERIAL, YEAR = "42", "2026"
PROFESSIONAL_NO = "1234"
REFERENCE = "A1234-00042-2026"
TITLE = "NEW ERECTION OF A DETACHED HOUSE"
MEMBER = "TAN AH KOW"
# The list marks the coordinator in front of the name.
MEMBER_AS_LISTED = "* " + MEMBER
EMAIL = "ah.kow.tan@example.com"


def fill_project_page(kestrel):
    # The user's own number goes first; the coordinator's replaces it once the member is stored.
    kestrel.set_text("Project Ref *", "A9999")
    kestrel.set_text("Project Ref Serial Number", SERIAL)
    kestrel.set_text("Project Ref Year", YEAR)
    kestrel.set_text("Title *", TITLE)
    kestrel.choose("Category *", "NEW ERECTION", "NEW")
    kestrel.choose("Classification *", "RESIDENTIAL (LANDED)", "RESIDENTIAL")
    kestrel.choose("Land Ownership *", "PRIVATE (FREEHOLD)", "PRIVATE")


def list_holds(kestrel, list_name, text):
    """The list shows a row with this text in one of its cells."""
    table = kestrel.wait("the list", pyatspi.ROLE_TABLE, list_name)
    return find_where(table, lambda n: n.getRole() == pyatspi.ROLE_TABLE_CELL and n.name == text)


def add_lot(kestrel):
    kestrel.select_tab("Mukim/TS Plot/Lot No.")
    kestrel.choose("Mukim/TS *", "MUKIM 07")
    kestrel.set_text("Lot Number *", "1234K")
    kestrel.press("Save as New")
    wait_for("the lot in the lot list",
             lambda: list_holds(kestrel, "Mukim/TS Plot/Lot No.", "1234K"))


def add_address(kestrel):
    kestrel.select_tab("Project Address")
    kestrel.set_text("House/Block No.", "10")
    kestrel.choose("Road Name *", "ORCHARD ROAD")
    kestrel.set_text("Postal Code *", "238801")
    kestrel.press("Save as New")
    wait_for("the address in the address list",
             lambda: list_holds(kestrel, "Project Address", "238801"))
    wait_for("the road in the address list",
             lambda: list_holds(kestrel, "Project Address", "ORCHARD ROAD"))


def has_focus(node):
    return node.getState().contains(pyatspi.STATE_FOCUSED)


def edit_cell(roles, what, text, column):
    """Opens the current cell of the focused roles list with F2, types the text, stores it."""
    wait_for("the roles list to have the focus", lambda: has_focus(roles), 5)
    press_key(KEY_F2)
    wait_for("the editor of %s to open" % what, lambda: not has_focus(roles), 5)
    type_text(text)
    press_key(KEY_RETURN)
    wait_for("%s in the roles list" % what, lambda: cell_text(roles, 0, column) == text, 5)


def cell_text(table, row, column):
    return table.queryTable().getAccessibleAt(row, column).name


def add_member(kestrel):
    kestrel.select_tab("Member Information *")
    kestrel.select_tab("General *")
    kestrel.set_text("Name *", MEMBER)
    kestrel.set_text("NRIC Number", "1234567D")
    kestrel.check("Project Co-ordinator")
    # The role: "Add" gives the roles list a new row and the focus. F2 opens the row's role
    # cell, whose choices drop open; the user types the role and takes it with Enter, moves to
    # the number's cell, opens it with F2, types the number and stores it with Enter. The
    # in-place editors are not on the bus themselves: the list losing the focus to one shows it
    # open, the cell's new text shows it stored.
    kestrel.press("Add")
    roles = kestrel.wait("the list", pyatspi.ROLE_TABLE, "Roles")
    edit_cell(roles, "the role", "ARCHITECT", 0)
    press_key(KEY_RIGHT)
    edit_cell(roles, "the professional number", PROFESSIONAL_NO, 1)

    kestrel.select_tab("Address *")
    kestrel.set_text("House/Block No.", "3")
    kestrel.choose("Road Name *", "SHENTON WAY")
    kestrel.set_text("Postal Code *", "068805")

    kestrel.select_tab("Contact *")
    kestrel.set_text("Mobile Phone", "91234567")
    kestrel.set_text("Email Address *", EMAIL)

    kestrel.press("Save as New")
    wait_for("the member in the member list",
             lambda: list_holds(kestrel, "Member Information *", MEMBER_AS_LISTED), 10)


def project_ref_holds(kestrel, text):
    return text_of(kestrel.text_field("Project Ref *")) == text


def register(session, program, project):
    kestrel = session.start(program, "NEW_PROJ", project)
    try:
        fill_project_page(kestrel)
        add_lot(kestrel)
        add_address(kestrel)
        add_member(kestrel)
        kestrel.select_tab("Project Information *")
        wait_for("the coordinator's number on the project page",
                 lambda: project_ref_holds(kestrel, "A" + PROFESSIONAL_NO), 5)
    except E2eFailure as failure:
        raise E2eFailure("%s\nwhat the bus shows:\n%s" % (failure, dump(kestrel.app())))
    kestrel.press("Ok")
    kestrel.wait_until_ended('"Ok"')


def reopen_and_find_member(session, program, project):
    kestrel = session.start(program, "EDIT_PROJ", project)
    try:
        kestrel.select_tab("Member Information *")
        wait_for("the member in the member list of the reopened file",
                 lambda: list_holds(kestrel, "Member Information *", MEMBER_AS_LISTED))
        kestrel.select_tab("Project Information *")
        wait_for("the coordinator's number on the project page of the reopened file",
                 lambda: project_ref_holds(kestrel, "A" + PROFESSIONAL_NO), 5)
    except E2eFailure as failure:
        raise E2eFailure("%s\nwhat the bus shows:\n%s" % (failure, dump(kestrel.app())))
    kestrel.press("Cancel")
    kestrel.press("Yes")
    kestrel.wait_until_ended('"Cancel" and "Yes"')


def expect(element, path, wanted):
    found = element.find(path)
    value = None if found is None else (found.text or "")
    if value != wanted:
        raise E2eFailure("%s in the file is %r, expected %r" % (path, value, wanted))


def check_file(project):
    try:
        root = ElementTree.parse(project).getroot()
    except (OSError, ElementTree.ParseError) as error:
        raise E2eFailure("the saved file cannot be read: %s" % error)
    expect(root, "project/reference_no", REFERENCE)
    profile = root.find("project/profile")
    if profile is None:
        raise E2eFailure("the saved file has no project profile")
    for path, wanted in [("title", TITLE), ("category_code", "NE"),
                         ("classification_code", "RL"), ("land_ownership_code", "FH"),
                         ("lotmkts_group/lotmkts/mk_ts_code", "MK07"),
                         ("lotmkts_group/lotmkts/lot_no", "1234K"),
                         ("address_group/address/house_block_no", "10"),
                         ("address_group/address/road_code_desc", "ORCHARD ROAD"),
                         ("address_group/address/road_code", "R00826"),
                         ("address_group/address/postal_code", "238801")]:
        expect(profile, path, wanted)
    members = root.findall("project/member_group/member")
    if len(members) != 1:
        raise E2eFailure("the saved file has %d members, expected 1" % len(members))
    member = members[0]
    # The list's coordinator marker is only drawn: the file has the name as typed.
    for path, wanted in [("member_name", MEMBER), ("ic_flag", "Y"),
                         ("ic_passport_no", "S1234567D"), ("country", "Singapore"),
                         ("project_coordinator_flag", "Y"),
                         ("address_type_flag", "F"), ("house_block_no", "3"),
                         ("road_code_desc", "SHENTON WAY"), ("road_code", "R00644"),
                         ("postal_code", "068805"), ("mobile_no", "91234567"),
                         ("email_address1", EMAIL)]:
        expect(member, path, wanted)
    roles = member.findall("member_role_group/member_role")
    if len(roles) != 1:
        raise E2eFailure("the member has %d roles in the file, expected 1" % len(roles))
    for path, wanted in [("member_role_code_desc", "ARCHITECT"), ("member_role_code", "ARCH"),
                         ("professional_no", PROFESSIONAL_NO)]:
        expect(roles[0], path, wanted)


def check_store(store):
    if not os.path.exists(store):
        raise E2eFailure("the host store %s was not made" % store)
    connection = sqlite3.connect("file:%s?mode=ro" % store, uri=True)
    try:
        references = [row[0] for row in connection.execute("SELECT REFERENCE_NO FROM PROJECT")]
    finally:
        connection.close()
    if references != [REFERENCE]:
        raise E2eFailure("the host store holds %s, expected only %s" % (references, REFERENCE))


def main():
    program, workdir = sys.argv[1], sys.argv[2]
    os.makedirs(workdir, exist_ok=True)
    scratch = tempfile.mkdtemp(prefix="register-", dir=workdir)
    log_file = os.path.join(scratch, "kestrel.log")
    store = os.path.join(scratch, "projects.db")
    project = os.path.join(scratch, "new project.xml")

    with Session(log_file, {"KESTREL_PROJECT_STORE": store}) as session:
        register(session, program, project)
        check_file(project)
        check_store(store)
        with open(project, "rb") as f:
            saved = f.read()
        reopen_and_find_member(session, program, project)
    with open(project, "rb") as f:
        if f.read() != saved:
            raise E2eFailure("quitting without saving changed the file")

    with open(log_file, encoding="utf-8", errors="replace") as f:
        log = f.read()
    check_log_order(log, [
        "START: ----------------------------------",
        'Command Line: NEW_PROJ "%s"' % project,
        "Editing type: NEW_PROJ",
        "Saving file to: " + project,
        "TernSdkDef::CreateProject call: " + REFERENCE,
        "TernSdkDef::CreateProject ret: 0",
        "END: ------------------------------------",
        "START: ----------------------------------",
        'Command Line: EDIT_PROJ "%s"' % project,
        "Editing type: EDIT_PROJ",
        "COMMAND: Cancel",
        "END: ------------------------------------"])
    print("ok: registered %s with its member, file, store and log checked, reopened" % REFERENCE)
    shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(run(main, 120))
