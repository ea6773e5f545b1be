#pragma once
// CPropPageProjectSiteDesc: up to four road names serving the site and a free-text site
// description (third tab of the project page's nested sheet). There is no record form: a road
// goes straight from the road combo into the list with ">>" and leaves it with "<<". The roads
// are the page's record table; site_descr and road_group of the profile element are its part of
// the project file.

#include "controls/CharFilterEdit.h"
#include "controls/RecordTable.h"
#include "controls/ToolTipPropertyPage.h"
#include "document/XmlRecordGroup.h"

#include <QString>

class CDropListCombo;
class CHoverButton;
class CListCtrl;

class CPropPageProjectSiteDesc : public CToolTipPropertyPage, public CXmlRecordGroup {
    Q_OBJECT
public:
    enum { IDD = 133 };
    // Control ids.
    static constexpr int IDC_ROAD_NAME = 1024;
    static constexpr int IDC_ADD_ROAD = 1026;
    static constexpr int IDC_REMOVE_ROAD = 1011;
    static constexpr int IDC_ROAD_LIST = 1059;
    static constexpr int IDC_SITE_DESCR = 1030;
    // Icons of the two road buttons.
    static constexpr int IDI_ADD_ROAD = 183;
    static constexpr int IDI_REMOVE_ROAD = 182;
    static constexpr int kMaxRoads = 4;
    static constexpr int kSiteDescrLimit = 255;
    static constexpr int kRoadColumnWidth = 200;

    // The texts of a refused road, and the caption of their box.
    static inline const QString kRoadMandatory = QStringLiteral("Road Name is mandatory. \n");
    static inline const QString kTooManyRoads = QStringLiteral("Maximum 4 road names.\n");
    static inline const QString kDuplicateRoad = QStringLiteral("Duplicate road selected.\n");
    static inline const QString kRoadErrorCaption = QStringLiteral("Input error");

    explicit CPropPageProjectSiteDesc(CToolTipHost* host, QWidget* parent = nullptr);
    ~CPropPageProjectSiteDesc() override;

    // The stored road names, one column (refreshed from the list by UpdateData(true)).
    const RecordTable& GetRecordTable() const { return m_roadTable; }
    // "NORTH ROAD, EAST AVENUE": rebuilt by WriteXml.
    QString LocationSummary() const { return m_strLocationSummary; }
    const QString& SiteDescription() const { return m_strSiteDescr; }

    // Under the profile element itself: site_descr, then road_group with one road element per
    // stored road holding the road's code. Returns "".
    QString WriteXml(pugi::xml_document& doc, pugi::xml_node profile) override;
    // The site description, and the roads (names looked up from their codes) replacing the
    // stored ones. Returns "".
    QString ReadXml(pugi::xml_document& doc, pugi::xml_node profile) override;

    // ">>": adds the chosen road at the end of the list, or shows every reason it cannot.
    void OnAddRoad();
    // "<<": removes the selected road after asking.
    void OnRemoveRoad();

    QSize sizeHint() const override;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

private:
    void buildLayout();
    void fitRoadList();

    QString m_strLocationSummary;
    RecordTable m_roadTable{1};
    CDropListCombo* m_comboRoad = nullptr;
    CHoverButton* m_btnAddRoad = nullptr;
    CHoverButton* m_btnRemoveRoad = nullptr;
    CListCtrl* m_listRoads = nullptr;
    QString m_strSiteDescr;
    CCharFilterTextEdit* m_editSiteDescr = nullptr;
    CFieldValidator m_validator;
    bool m_bInitialized = false;
};
