#include "pages/member/PropPageMemberKeeper.h"

#include "sdk/XmlHelpers.h"

#include <QLabel>
#include <QVBoxLayout>

namespace {

bool isCoordinator(pugi::xml_node member) {
    return GetNodeText(member.child("project_coordinator_flag")).trimmed() == QLatin1String("Y");
}
} // namespace

CPropPageMemberKeeper::CPropPageMemberKeeper(CToolTipHost* host, QWidget* parent)
    : CToolTipPropertyPage(IDD, host, parent) {
    setWindowTitle(QStringLiteral("Member Information *"));
    m_kept.append_child("member_group");
}

bool CPropPageMemberKeeper::OnInitDialog() {
    auto* layout = new QVBoxLayout(this);
    m_pSummary = new QLabel(this);
    m_pSummary->setObjectName(QStringLiteral("memberSummary"));
    m_pSummary->setWordWrap(true);
    m_pSummary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_pSummary, 1);
    CToolTipPropertyPage::OnInitDialog();
    showMembers();
    return true;
}

void CPropPageMemberKeeper::showMembers() {
    if (!m_pSummary) {
        return;
    }
    const QStringList names = MemberNames();
    QString text = QStringLiteral("Member editing is not available in this version. The members "
                                  "of the project file are kept exactly as they are.\n\n");
    if (names.isEmpty()) {
        text += QStringLiteral("This project has no members.");
    } else {
        text += QStringLiteral("Members (* = Project Co-ordinator):\n  ") +
                names.join(QStringLiteral("\n  "));
    }
    m_pSummary->setText(text);
    m_pSummary->setAccessibleName(QStringLiteral("Members"));
}

QString CPropPageMemberKeeper::ReadXml(pugi::xml_document&, pugi::xml_node group) {
    m_kept.reset();
    pugi::xml_node copy = m_kept.append_child("member_group");
    for (pugi::xml_node child : group.children()) {
        copy.append_copy(child);
    }
    showMembers();
    return {};
}

QString CPropPageMemberKeeper::WriteXml(pugi::xml_document&, pugi::xml_node group) {
    for (pugi::xml_node child : m_kept.child("member_group").children()) {
        group.append_copy(child);
    }
    return {};
}

int CPropPageMemberKeeper::GetMemberCount() const {
    int count = 0;
    for ([[maybe_unused]] pugi::xml_node member : m_kept.child("member_group").children("member")) {
        ++count;
    }
    return count;
}

QString CPropPageMemberKeeper::CoordinatorName() const {
    for (pugi::xml_node member : m_kept.child("member_group").children("member")) {
        if (isCoordinator(member)) {
            return GetNodeText(member.child("member_name"));
        }
    }
    return {};
}

QStringList CPropPageMemberKeeper::MemberNames() const {
    QStringList names;
    for (pugi::xml_node member : m_kept.child("member_group").children("member")) {
        const QString name = GetNodeText(member.child("member_name"));
        names.append(isCoordinator(member) ? QStringLiteral("* ") + name : name);
    }
    return names;
}
