#pragma once
// CPropPageProjectInfo: the project particulars (first page of the main sheet, "Project
// Information *"): the three-part reference, title, dates, category, land ownership and
// classification, and a nested sheet with the land lots, addresses and site description pages.
// It reads and writes the whole profile element of the project file, composes the reference
// the file keeps, and runs the project checks of Save & Quit.

#include "controls/CharFilterEdit.h"
#include "controls/ToolTipPropertyPage.h"
#include "document/XmlRecordGroup.h"
#include "framework/FocusTarget.h"
#include "pages/project/ProjectChecks.h"

#include <QDateTime>
#include <QList>
#include <QString>

class CPropertyPage;
class CPropertySheet;
class CPropPageProjectAddress;
class CPropPageProjectMukimTS;
class CPropPageProjectSiteDesc;
class CToolTipPropertySheet;
class QComboBox;
class QDateEdit;

class CPropPageProjectInfo : public CToolTipPropertyPage, public CXmlRecordGroup {
    Q_OBJECT
public:
    enum { IDD = 129 };
    // Control ids.
    static constexpr int IDC_PROF_NO = kestrel::IDC_PROJECT_PROF_NO;
    static constexpr int IDC_SERIAL_NO = kestrel::IDC_PROJECT_SERIAL_NO;
    static constexpr int IDC_YEAR = kestrel::IDC_PROJECT_YEAR;
    static constexpr int IDC_TITLE = kestrel::IDC_PROJECT_TITLE;
    static constexpr int IDC_COMMENCE_DATE = kestrel::IDC_PROJECT_COMMENCE_DATE;
    static constexpr int IDC_COMPLETE_DATE = kestrel::IDC_PROJECT_COMPLETE_DATE;
    static constexpr int IDC_CATEGORY = kestrel::IDC_PROJECT_CATEGORY;
    static constexpr int IDC_LAND_OWNERSHIP = kestrel::IDC_PROJECT_LAND_OWNERSHIP;
    static constexpr int IDC_CLASSIFICATION = kestrel::IDC_PROJECT_CLASSIFICATION;
    // The frame where the nested sheet goes, until the page is set up.
    static constexpr int IDC_SHEET_FRAME = 1031;
    // Field limits.
    static constexpr int kProfNoLimit = 35;
    static constexpr int kSerialNoLimit = 5;
    static constexpr int kYearLimit = 4;
    static constexpr int kTitleLimit = 1000;
    static inline const QString kDateFormat = QStringLiteral("dd-MMM-yyyy");
    static inline const QString kLocationHint =
        QStringLiteral("[Either the Mukim or Address or Site Description details are required.]");

    // Where a failed check sends the user (see kestrel::BringForward).
    using FocusTarget = kestrel::FocusTarget;
    struct SaveCheckFailure {
        QString message; // the string-table text + "\n"
        FocusTarget focus;
    };

    // The host is handed on to the nested sheet and its three pages.
    explicit CPropPageProjectInfo(CToolTipHost* host, QWidget* parent = nullptr);
    ~CPropPageProjectInfo() override;

    // --- the project file
    // Under the profile element: the particulars, lotmkts_group and address_group (filled by
    // their pages), site_descr and road_group (the site page), then location_descr. Composes
    // the reference first (ComposedReference). Returns "".
    QString WriteXml(pugi::xml_document& doc, pugi::xml_node profile) override;
    // The particulars from the profile element (the reference from the loaded reference), and
    // the nested pages' parts. Returns "". The controls show the values at the next exchange
    // towards them (or when the page is first shown).
    QString ReadXml(pugi::xml_document& doc, pugi::xml_node profile) override;

    // The reference_no text of the file; set by the document before it calls ReadXml.
    void SetLoadedReference(const QString& reference) { m_strLoadedReference = reference; }
    // The project coordinator's professional number, given by the member page: it becomes the
    // first part of the reference, in the value and in field 1000.
    void SetProfessionalNo(const QString& number);
    const QString& LoadedReference() const { return m_strLoadedReference; }
    // The reference as WriteXml last composed it from the three fields.
    const QString& ComposedReference() const { return m_strComposedReference; }

    // --- Save & Quit (after UpdateData(true) took the controls' values)
    // The project checks, in order; every failure with its message and focus target (the first
    // one is where the user is sent). The title is trimmed at both ends and kept trimmed.
    QList<SaveCheckFailure> RunSaveChecks();
    // All failures' messages, one after the other.
    static QString JoinMessages(const QList<SaveCheckFailure>& failures);
    // Whether any of the lots, addresses and roads tables holds a row.
    bool HasLocationRecord() const;

    // Forwarded to the nested pages: (true, false) answers false when that form holds edits
    // not yet stored in its list.
    bool ResetLotForm(bool detect, bool clear);
    bool ResetAddressForm(bool detect, bool clear);

    CToolTipPropertySheet* NestedSheet() const { return m_pSheet; }
    CPropPageProjectMukimTS* LotPage() const { return m_pLotPage; }
    CPropPageProjectAddress* AddressPage() const { return m_pAddressPage; }
    CPropPageProjectSiteDesc* SitePage() const { return m_pSitePage; }

    // --- the values (what the controls showed at the last UpdateData(true))
    const QString& ProfessionalNo() const { return m_strProfessionalNo; }
    const QString& SerialNo() const { return m_strSerialNo; }
    const QString& Year() const { return m_strYear; }
    const QString& Title() const { return m_strTitle; }
    const QDateTime& CommencementDate() const { return m_commenceDate; }
    const QDateTime& CompletionDate() const { return m_completeDate; }
    const QString& Category() const { return m_strCategory; }
    const QString& Classification() const { return m_strClassification; }
    const QString& LandOwnership() const { return m_strLandOwnership; }

    // The member page puts the coordinator's professional number into field 1000 this way;
    // the next UpdateData(true) takes it into the value.
    void SetProfessionalNoText(const QString& text);

    QSize sizeHint() const override;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

private:
    void buildLayout(CToolTipHost* host);
    void fillLists();
    FocusTarget focusFor(const kestrel::ProjectCheckFailure& failure);

    // Values.
    QString m_strProfessionalNo;
    QString m_strSerialNo;
    QString m_strYear;
    QString m_strTitle;
    QDateTime m_commenceDate;
    QDateTime m_completeDate;
    QString m_strCategory;
    QString m_strClassification;
    QString m_strLandOwnership;
    QString m_strLoadedReference;
    QString m_strComposedReference;

    // The nested sheet and its pages, in tab order.
    QWidget* m_pSheetFrame = nullptr; // frame 1031, until the page is set up
    CToolTipPropertySheet* m_pSheet = nullptr;
    CPropPageProjectMukimTS* m_pLotPage = nullptr;
    CPropPageProjectAddress* m_pAddressPage = nullptr;
    CPropPageProjectSiteDesc* m_pSitePage = nullptr;

    // Controls.
    CCharFilterEdit* m_editProfNo = nullptr;
    CCharFilterEdit* m_editSerialNo = nullptr;
    CCharFilterEdit* m_editYear = nullptr;
    CCharFilterTextEdit* m_editTitle = nullptr;
    QDateEdit* m_dateCommence = nullptr;
    QDateEdit* m_dateComplete = nullptr;
    QComboBox* m_comboCategory = nullptr;
    QComboBox* m_comboLandOwnership = nullptr;
    QComboBox* m_comboClassification = nullptr;

    // One validator for the four fields: the default character check, no format rule.
    CFieldValidator m_validator;
};
