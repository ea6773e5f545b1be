#!/usr/bin/env python3
# drive_register_project.py PROGRAM WORKDIR, inside a virtual display and a private session bus
# (see run_e2e.sh): registers a new project as a user would -- the project page, one lot, one
# address and one member who coordinates as an architect -- saves it with "Ok", checks the file,
# the host's store and the activity log, then opens the file again for editing and finds the
# member in the list.
import os
import sqlite3
import sys
import xml.etree.ElementTree as ElementTree

from atspi import E2eFailure, Session, check_log_order, run, run_lines, text_of, wait_for

PROFESSIONAL_NO = "1234"
REFERENCE = "A1234-00042-2026"
MEMBER = "TAN AH KOW"
EMAIL = "ah.kow.tan@example.com"
MEMBER_LIST = "Member Information *"


def register(kestrel):
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

    kestrel.select_tab(MEMBER_LIST)
    kestrel.select_tab("General *")
    kestrel.set_text("Name *", MEMBER)
    kestrel.set_text("NRIC Number", "1234567D")
    kestrel.check("Project Co-ordinator")
    kestrel.add_role("ARCHITECT", PROFESSIONAL_NO)
    kestrel.select_tab("Address *")
    kestrel.set_text("House/Block No.", "3")
    kestrel.choose("Road Name *", "SHENTON WAY")
    kestrel.set_text("Postal Code *", "068805")
    kestrel.select_tab("Contact *")
    kestrel.set_text("Mobile Phone", "91234567")
    kestrel.set_text("Email Address *", EMAIL)
    kestrel.press("Save as New")
    # The list marks the coordinator in front of the name.
    kestrel.list_holds(MEMBER_LIST, "* " + MEMBER, 10)
    kestrel.select_tab("Project Information *")
    wait_for("the coordinator's number on the project page",
             lambda: text_of(kestrel.text_field("Project Ref *")) == "A" + PROFESSIONAL_NO, 5)


def check_saved(project, store):
    try:
        root = ElementTree.parse(project).getroot()
    except (OSError, ElementTree.ParseError) as error:
        raise E2eFailure("the saved file cannot be read: %s" % error)
    # The list's coordinator marker is only drawn: the file has the name as typed.
    member = "project/member_group/member/"
    for path, wanted in [("project/reference_no", REFERENCE),
                         ("project/profile/category_code", "NE"),
                         ("project/profile/lotmkts_group/lotmkts/mk_ts_code", "MK07"),
                         ("project/profile/address_group/address/road_code", "R00826"),
                         ("project/profile/address_group/address/postal_code", "238801"),
                         (member + "member_name", MEMBER),
                         (member + "ic_passport_no", "S1234567D"),
                         (member + "project_coordinator_flag", "Y"),
                         (member + "road_code", "R00644"),
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
    with Session(log_file, {"KESTREL_PROJECT_STORE": store}) as session:
        kestrel = session.start(program, "NEW_PROJ", project)
        with kestrel.explained():
            register(kestrel)
        kestrel.press("Ok")
        kestrel.wait_until_ended('"Ok"')
        check_saved(project, store)
        with open(project, "rb") as f:
            saved = f.read()

        kestrel = session.start(program, "EDIT_PROJ", project)
        with kestrel.explained():
            kestrel.select_tab(MEMBER_LIST)
            kestrel.list_holds(MEMBER_LIST, "* " + MEMBER)
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
