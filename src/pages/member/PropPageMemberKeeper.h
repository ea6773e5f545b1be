#pragma once
// The second top page while member editing is not part of the program yet. It never loses what
// a file holds: whatever ReadXml finds under member_group is written back exactly as it was, so
// editing the project half of a record keeps its members. The page lists the members it carries
// and answers the two questions Save & Quit asks of the members: how many there are, and who is
// the project coordinator.

#include "controls/RecordTable.h"
#include "controls/ToolTipPropertyPage.h"
#include "document/XmlRecordGroup.h"

#include <QString>
#include <QStringList>

#include <pugixml.hpp>

class CListCtrl;

class CPropPageMemberKeeper : public CToolTipPropertyPage, public CXmlRecordGroup {
    Q_OBJECT
public:
    enum { IDD = 130 };

    explicit CPropPageMemberKeeper(CToolTipHost* host, QWidget* parent = nullptr);

    // Writing moves the members' elements from where the document holds them into `group`
    // (no copy); a group of another document gets a copy.
    QString WriteXml(pugi::xml_document& doc, pugi::xml_node group) override;
    QString ReadXml(pugi::xml_document& doc, pugi::xml_node group) override;

    int GetMemberCount() const { return m_names.GetRowCount(); }
    // The coordinator's name ("Y" in project_coordinator_flag), or "" when there is none.
    QString CoordinatorName() const { return m_strCoordinator; }
    // The members' names in file order, the coordinator's marked with "* ".
    QStringList MemberNames() const;

protected:
    bool OnInitDialog() override;

private:
    // Where the members' elements are: the loaded file's member_group, then the group of the
    // last rebuilt project element. The document outlives the page's use of it.
    pugi::xml_node m_group;
    RecordTable m_names{1};
    QString m_strCoordinator;
    CListCtrl* m_pList = nullptr;
};
