// Record-list cells to and from the road combo, as the address and site pages move them.
#include "controls/DropListExchange.h"
#include "controls/DropListCombo.h"
#include "controls/ListCtrl.h"
#include "controls/ListExchange.h"
#include "controls/ListSource.h"
#include "framework/ControlId.h"

#include <QTest>

#include <memory>

namespace {
constexpr int kListId = 1010;
constexpr int kComboId = 1024;
constexpr int kMissingId = 4242;
} // namespace

class DropListExchangeTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_page = std::make_unique<QWidget>();
        kestrel::MarkAsForm(m_page.get());
        m_list = new CListCtrl(m_page.get());
        kestrel::SetControlId(m_list, kListId);
        m_list->InsertColumn(0, QStringLiteral("No."));
        m_list->InsertColumn(1, QStringLiteral("Road"));
        m_list->InsertItem(0, QStringLiteral("1"));
        m_combo = new CDropListCombo(m_page.get());
        kestrel::SetControlId(m_combo, kComboId);
        m_combo->SetItemSource(&m_roads);
    }
    void cleanup() { m_page.reset(); }

    void cellChoosesTheFirstMatchingRoad() {
        m_list->SetItemText(0, 1, QStringLiteral("BAKER"));
        QCOMPARE(ListCellToDropListCombo(m_page.get(), kListId, kComboId, 0, 1), 1);
        QCOMPARE(m_combo->GetWindowText(), QStringLiteral("Baker Street"));
        m_list->SetItemText(0, 1, QStringLiteral("Nowhere Lane"));
        QCOMPARE(ListCellToDropListCombo(m_page.get(), kListId, kComboId, 0, 1), 0);
        QCOMPARE(m_combo->GetCurSel(), 1); // unchanged
        QCOMPARE(ListCellToDropListCombo(m_page.get(), kMissingId, kComboId, 0, 1), 0);
        QCOMPARE(ListCellToDropListCombo(m_page.get(), kListId, kMissingId, 0, 1), 0);
    }

    void choiceGoesIntoTheCellAndCanBeCleared() {
        m_page->show();
        m_combo->SetCurSel(3);
        QCOMPARE(ComboToListCell(m_page.get(), kListId, m_combo, 0, 1, false), 1);
        QCOMPARE(m_list->GetItemText(0, 1), QStringLiteral("Canal Walk"));
        QCOMPARE(m_combo->GetCurSel(), 3);
        m_combo->SetCurSel(4);
        QCOMPARE(DropListComboToListCell(m_page.get(), kListId, kComboId, 0, 1, true), 1);
        QCOMPARE(m_list->GetItemText(0, 1), QStringLiteral("Zephyr Row"));
        QCOMPARE(m_combo->GetCurSel(), -1);
        QCOMPARE(m_combo->GetWindowText(), QString());
        // Nothing chosen: the cell becomes empty, and the keys start again from the top.
        QCOMPARE(ComboToListCell(m_page.get(), kListId, kComboId, 0, 1, true), 1);
        QCOMPARE(m_list->GetItemText(0, 1), QString());
        QTest::keyClick(m_combo, Qt::Key_Down);
        QCOMPARE(m_combo->GetCurSel(), 0);
        QCOMPARE(DropListComboToListCell(m_page.get(), kListId, kMissingId, 0, 1, true), 0);
        QCOMPARE(m_combo->GetCurSel(), 0); // not cleared
    }

private:
    CStringListSource m_roads{
        {"Abbey Road", "Baker Street", "Bakery Close", "Canal Walk", "Zephyr Row"}, true};
    std::unique_ptr<QWidget> m_page;
    CListCtrl* m_list = nullptr;
    CDropListCombo* m_combo = nullptr;
};

QTEST_MAIN(DropListExchangeTest)
#include "DropListExchangeTest.moc"
