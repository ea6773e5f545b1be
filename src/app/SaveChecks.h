#pragma once
// The part of Save & Quit that looks across the pages before anything is written: first the
// record forms that hold edits not stored in their lists (one question), then the field checks of
// the project and of the members (one "Input Error" message listing every failure). Each step
// brings its first focus target forward before its box appears.

class CPropPageMemberInfo;
class CPropPageProjectInfo;
class QWidget;

class CSaveChecks {
public:
    CSaveChecks(CPropPageProjectInfo* project, CPropPageMemberInfo* members);

    // false when the save must stop: the user kept the unsaved edits, or a check failed.
    bool Run(QWidget* dialog);

private:
    bool confirmUnsavedForms(QWidget* dialog);
    bool checkFields(QWidget* dialog);

    CPropPageProjectInfo* m_pProject;
    CPropPageMemberInfo* m_pMembers;
};
