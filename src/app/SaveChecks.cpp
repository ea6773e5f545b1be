#include "app/SaveChecks.h"

#include "app/ResourceIds.h"
#include "controls/ToolTipPropertySheet.h"
#include "framework/FocusTarget.h"
#include "framework/MessageBox.h"
#include "pages/member/PropPageMemberGeneral.h"
#include "pages/member/PropPageMemberInfo.h"
#include "pages/project/PropPageProjectAddress.h"
#include "pages/project/PropPageProjectInfo.h"
#include "pages/project/PropPageProjectMukimTS.h"
#include "sdk/StringTable.h"

namespace {

constexpr int IDS_MEMBER_REQUIRED = 121;
constexpr int IDS_NO_COORDINATOR = 143;
constexpr int IDS_LOT_NOT_SAVED = 145;
constexpr int IDS_ADDRESS_NOT_SAVED = 146;
constexpr int IDS_MEMBER_NOT_SAVED = 147;
constexpr int IDS_DISCARD_AND_SAVE = 148;

// Collects failed rules: each text followed by "\n"; the first one chooses the focus.
class Findings {
public:
    void Add(const QString& text, const kestrel::FocusTarget& focus) {
        m_message += text + QLatin1Char('\n');
        if (!m_focus.IsSet()) {
            m_focus = focus;
        }
    }
    void AddRaw(const QString& text, const kestrel::FocusTarget& focus) {
        m_message += text;
        if (!m_focus.IsSet()) {
            m_focus = focus;
        }
    }
    bool IsEmpty() const { return m_message.isEmpty(); }
    const QString& Message() const { return m_message; }
    const kestrel::FocusTarget& Focus() const { return m_focus; }

private:
    QString m_message;
    kestrel::FocusTarget m_focus;
};

} // namespace

CSaveChecks::CSaveChecks(CPropPageProjectInfo* project, CPropPageMemberInfo* members)
    : m_pProject(project), m_pMembers(members) {}

bool CSaveChecks::Run(QWidget* dialog) {
    return confirmUnsavedForms(dialog) && checkFields(dialog);
}

bool CSaveChecks::confirmUnsavedForms(QWidget* dialog) {
    Findings unsaved;
    if (m_pMembers && !m_pMembers->ResetMemberForm(true, false)) {
        unsaved.Add(GetRCString(IDS_MEMBER_NOT_SAVED),
                    {m_pMembers, nullptr, nullptr, CRecordPage::IDC_UPDATE});
    }
    if (m_pProject && !m_pProject->ResetLotForm(true, false)) {
        unsaved.Add(GetRCString(IDS_LOT_NOT_SAVED),
                    {m_pProject, m_pProject->NestedSheet(), m_pProject->LotPage(),
                     CRecordPage::IDC_UPDATE});
    }
    if (m_pProject && !m_pProject->ResetAddressForm(true, false)) {
        unsaved.Add(GetRCString(IDS_ADDRESS_NOT_SAVED),
                    {m_pProject, m_pProject->NestedSheet(), m_pProject->AddressPage(),
                     CRecordPage::IDC_UPDATE});
    }
    if (unsaved.IsEmpty()) {
        return true;
    }
    unsaved.Add(GetRCString(IDS_DISCARD_AND_SAVE), {});
    kestrel::BringForward(unsaved.Focus());
    // Yes saves what the lists hold; the edits in the forms stay out of the record, so a hasty
    // Enter must not say Yes.
    return kestrel::MessageBox(dialog, unsaved.Message(), GetRCString(kestrel::ids::IDS_ALERT),
                               kestrel::MB_YESNO | kestrel::MB_ICONQUESTION |
                                   kestrel::MB_DEFBUTTON2) == kestrel::IDYES;
}

bool CSaveChecks::checkFields(QWidget* dialog) {
    Findings failures;
    if (m_pProject) {
        for (const CPropPageProjectInfo::SaveCheckFailure& failure : m_pProject->RunSaveChecks()) {
            failures.AddRaw(failure.message, failure.focus);
        }
    }
    if (m_pMembers) {
        if (m_pMembers->GetMemberCount() == 0) {
            failures.Add(GetRCString(IDS_MEMBER_REQUIRED),
                         {m_pMembers, m_pMembers->NestedSheet(), m_pMembers->GeneralPage(),
                          CPropPageMemberGeneral::IDC_NAME});
        }
        // The coordinator is looked for twice, once for the name and once for the professional
        // number that goes into the reference; without one, both report the same text.
        const kestrel::FocusTarget focus{m_pMembers, nullptr, nullptr, CRecordPage::IDC_RESET};
        if (m_pMembers->MarkCoordinator(true).isEmpty()) {
            failures.Add(GetRCString(IDS_NO_COORDINATOR), focus);
        }
        if (!m_pMembers->UpdateProjectProfessionalNo(-1)) {
            failures.Add(GetRCString(IDS_NO_COORDINATOR), focus);
        }
    }
    if (failures.IsEmpty()) {
        return true;
    }
    kestrel::BringForward(failures.Focus());
    kestrel::MessageBox(dialog, failures.Message(), GetRCString(kestrel::ids::IDS_INPUT_ERROR),
                        kestrel::MB_OK | kestrel::MB_ICONERROR);
    return false;
}
