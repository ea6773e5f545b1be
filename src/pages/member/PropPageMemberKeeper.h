#pragma once
// The second top page while member editing is not part of the program yet. It never loses what
// a file holds: whatever ReadXml finds under member_group is written back exactly as it was, so
// editing the project half of a record keeps its members. The page lists the members it carries
// and answers the two questions Save & Quit asks of the members: how many there are, and who is
// the project coordinator.

#include "controls/ToolTipPropertyPage.h"
#include "document/XmlRecordGroup.h"

#include <QString>
#include <QStringList>

#include <pugixml.hpp>

class QLabel;

class CPropPageMemberKeeper : public CToolTipPropertyPage, public CXmlRecordGroup {
    Q_OBJECT
public:
    enum { IDD = 130 };

    explicit CPropPageMemberKeeper(CToolTipHost* host, QWidget* parent = nullptr);

    QString WriteXml(pugi::xml_document& doc, pugi::xml_node group) override;
    QString ReadXml(pugi::xml_document& doc, pugi::xml_node group) override;

    int GetMemberCount() const;
    // The coordinator's name ("Y" in project_coordinator_flag), or "" when there is none.
    QString CoordinatorName() const;
    // The members' names in file order, the coordinator's marked with "* ".
    QStringList MemberNames() const;

protected:
    bool OnInitDialog() override;

private:
    void showMembers();

    // A private copy of member_group as the file had it.
    pugi::xml_document m_kept;
    QLabel* m_pSummary = nullptr;
};
