#pragma once
// CPropPageMemberContact: the third tab of the member page's nested sheet ("Contact *"): the
// telephone, extension, mobile, pager and fax numbers and two email addresses. Typing is filtered
// per field and an email is checked when its field is left; whether a member can be stored is
// the member page's decision.

#include "controls/CharFilterEdit.h"
#include "controls/ToolTipPropertyPage.h"
#include "pages/member/MemberRecord.h"

// An email must hold a full stop somewhere after its at sign; else string 125.
class CEmailValidator : public CFieldValidator {
public:
    QString CheckFormat(QString& text) override;
};

// True at the first "." after an "@"; false when the text ends without one.
bool HasAtThenDot(const QString& text);

class CPropPageMemberContact : public CToolTipPropertyPage {
    Q_OBJECT
public:
    enum { IDD = 136 };
    static constexpr int IDC_TEL_NO = kestrel::IDC_TEL_NO;
    static constexpr int IDC_TEL_EXT = kestrel::IDC_TEL_EXT;
    static constexpr int IDC_MOBILE_NO = kestrel::IDC_MOBILE_NO;
    static constexpr int IDC_PAGER_NO = kestrel::IDC_PAGER_NO;
    static constexpr int IDC_FAX_NO = kestrel::IDC_FAX_NO;
    static constexpr int IDC_EMAIL = kestrel::IDC_EMAIL;
    static constexpr int IDC_EMAIL2 = kestrel::IDC_EMAIL2;

    explicit CPropPageMemberContact(CToolTipHost* host, QWidget* parent = nullptr);
    ~CPropPageMemberContact() override;

    void ResetContactPage();
    void GetValues(kestrel::MemberValues& values);
    void SetValues(const kestrel::MemberValues& values);

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

private:
    void buildLayout();

    // The seven fields in the order of their values below.
    enum Field { AlternateEmail, Email, Extension, Fax, Mobile, Pager, Telephone, kFieldCount };

    QString m_strValues[kFieldCount];
    CCharFilterEdit* m_edits[kFieldCount] = {};
    CFieldValidator m_validator;
    CEmailValidator m_emailValidator;
    bool m_bInitialized = false;
};
