#include "pages/member/PropPageMemberKeeper.h"

#include "controls/ListCtrl.h"
#include "sdk/XmlHelpers.h"

#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>

namespace {

constexpr int kNameColumnWidth = 360;

bool isCoordinator(pugi::xml_node member) {
    return GetNodeText(member.child("project_coordinator_flag")).trimmed() == QLatin1String("Y");
}
} // namespace

CPropPageMemberKeeper::CPropPageMemberKeeper(CToolTipHost* host, QWidget* parent)
    : CToolTipPropertyPage(IDD, host, parent) {
    setWindowTitle(QStringLiteral("Member Information *"));
}

bool CPropPageMemberKeeper::OnInitDialog() {
    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(QStringLiteral("Member editing is not available in this version. The "
                                           "members of the project file are kept exactly as they "
                                           "are.\n* marks the Project Co-ordinator."),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);
    // However many members the file holds, the page keeps its size: they scroll in a list.
    m_pList = new CListCtrl(this);
    m_pList->setObjectName(QStringLiteral("memberList"));
    m_pList->setAccessibleName(QStringLiteral("Members"));
    m_pList->InsertColumn(0, QStringLiteral("Member Name"), LVCFMT_LEFT, kNameColumnWidth);
    m_pList->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_pList, 1);
    CToolTipPropertyPage::OnInitDialog();
    m_pList->SetTable(m_names);
    return true;
}

QString CPropPageMemberKeeper::ReadXml(pugi::xml_document&, pugi::xml_node group) {
    m_group = group;
    m_strCoordinator.clear();
    m_names.RemoveAll();
    for (pugi::xml_node member : group.children("member")) {
        const QString name = GetNodeText(member.child("member_name"));
        // The marker is for the eye only; the file keeps the name as it is.
        const bool coordinator = isCoordinator(member);
        if (coordinator && m_strCoordinator.isEmpty())
            m_strCoordinator = name;
        m_names.AppendRow().SetCell(0, coordinator ? QStringLiteral("* ") + name : name);
    }
    if (m_pList)
        m_pList->SetTable(m_names);
    return {};
}

QString CPropPageMemberKeeper::WriteXml(pugi::xml_document&, pugi::xml_node group) {
    if (!group || group == m_group)
        return {};
    for (pugi::xml_node child = m_group.first_child(); child;) {
        const pugi::xml_node next = child.next_sibling();
        if (!group.append_move(child))
            group.append_copy(child);
        child = next;
    }
    // A copy into another document leaves the members where they were; a move takes them along.
    if (!m_group.first_child())
        m_group = group;
    return {};
}

QStringList CPropPageMemberKeeper::MemberNames() const {
    QStringList names;
    names.reserve(m_names.GetRowCount());
    for (int row = 0; row < m_names.GetRowCount(); ++row)
        names.append(m_names.GetCell(row, 0));
    return names;
}
