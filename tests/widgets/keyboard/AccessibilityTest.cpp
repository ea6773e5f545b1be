// What a screen reader is told (the note as an alert, the road combo's value and open list), the
// tips reachable from the keyboard, and what low-vision users need to read: contrast in a
// view-only run and on the active tab, list columns wide enough for their headings, cut cells
// that show their whole text.

#include "TestRecord.h"
#include "controls/ComboDropList.h"
#include "controls/DropListCombo.h"
#include "controls/HoverButton.h"
#include "controls/InfoWindow.h"
#include "controls/ToolTipPropertySheet.h"
#include "framework/Contrast.h"
#include "pages/RecordPage.h"
#include "pages/project/PropPageProjectAddress.h"
#include "pages/project/PropPageProjectMukimTS.h"
#include "sdk/StringTable.h"

#include <QAccessible>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QTabBar>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtTest>

using namespace kestrel;

namespace {

struct Folder {
    QTemporaryDir dir;
};

// The sample project, editable or in a view-only run.
struct Harness : Folder, RecordDialog {
    explicit Harness(bool viewOnly = false)
        : RecordDialog(CopyOfSample(dir),
                       viewOnly ? QStringLiteral("VIEW_PROJ") : QStringLiteral("EDIT_PROJ")) {}
    // Keeps a picture for the documentation when the run asks for them.
    void picture(const QString& name) {
        const QString folder = qEnvironmentVariable("KESTREL_SCREENSHOT_DIR");
        if (folder.isEmpty())
            return;
        QTest::qWait(100);
        dialog.grab().save(folder + QLatin1Char('/') + name);
    }
};

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT
private slots:
    void theNoteIsAnAlertNamedByItsText() {
        QWidget form;
        auto* field = new QLineEdit(&form);
        new QVBoxLayout(&form);
        form.layout()->addWidget(field);
        CreateInfoWindow(&form);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        field->setFocus();
        QTRY_VERIFY(field->hasFocus());

        ShowInfo(field, QStringLiteral(" Invalid postal code "));
        QAccessibleInterface* note = QAccessible::queryAccessibleInterface(InfoWindow());
        QVERIFY(note);
        QCOMPARE(note->role(), QAccessible::AlertMessage);
        QCOMPARE(note->text(QAccessible::Name), QStringLiteral("Invalid postal code"));
        QVERIFY(!note->state().disabled);
        // (That it is announced as it appears is seen on the accessibility bus: the offscreen
        // platform sends no accessible events. See tests/e2e.)
        ShowInfo(field, QStringLiteral(" Invalid Input "));
        QCOMPARE(note->text(QAccessible::Name), QStringLiteral("Invalid Input"));
        delete InfoWindow();
    }

    void theRoadComboGivesItsRoadAndItsOpenList() {
        TestAppServices services;
        CComboDropList::SetSlideEnabled(false);
        QWidget form;
        new QVBoxLayout(&form);
        auto* combo = new CDropListCombo(&form);
        form.layout()->addWidget(combo);
        combo->setAccessibleName(QStringLiteral("Road Name"));
        combo->SetItemSource(services.GetRoadTable());
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        combo->setFocus();

        combo->SetCurSel(2);
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(combo);
        QCOMPARE(box->role(), QAccessible::ComboBox);
        QCOMPARE(box->text(QAccessible::Name), QStringLiteral("Road Name"));
        QCOMPARE(box->text(QAccessible::Value), QStringLiteral("ADAM CLOSE"));
        QVERIFY(box->textInterface());
        QCOMPARE(box->textInterface()->text(0, -1), QStringLiteral("ADAM CLOSE"));

        QTest::keyClick(combo, Qt::Key_Down, Qt::AltModifier);
        QVERIFY(combo->IsDroppedDown());
        QCOMPARE(box->childCount(), 1);
        QAccessibleInterface* list = box->child(0);
        QCOMPARE(list->role(), QAccessible::List);
        QCOMPARE(list->parent()->object(), combo);
        // Six roads, all in view: six items named by their roads, the chosen one selected.
        QCOMPARE(list->childCount(), 6);
        for (int i = 0; i < list->childCount(); ++i) {
            QAccessibleInterface* row = list->child(i);
            QCOMPARE(row->role(), QAccessible::ListItem);
            QCOMPARE(row->text(QAccessible::Name), TestAppServices::DefaultRoads().at(i));
            QCOMPARE(row->state().selected, i == 2);
            QCOMPARE(list->indexOfChild(row), i);
        }
        QTest::keyClick(combo, Qt::Key_Down);
        QVERIFY(list->child(3)->state().selected);
        QCOMPARE(box->textInterface()->text(0, -1), QStringLiteral("ADAM GARDENS"));
        QTest::keyClick(combo, Qt::Key_Escape);
        QCOMPARE(list->childCount(), 0);
        CComboDropList::SetSlideEnabled(true);
    }

    void shiftF1ShowsTheFocusedControlsTipBesideIt() {
        Harness h;
        QVERIFY(h.active());
        auto* title = h.control(h.project(), 1004);
        title->setFocus();
        QTRY_VERIFY(title->hasFocus());
        QTest::keyClick(title, Qt::Key_F1, Qt::ShiftModifier);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), GetRCString(1004));
        QToolTip::hideText();
    }

    void aViewOnlyRunKeepsItsValuesReadable() {
        Harness h(true);
        QVERIFY(h.active());
        for (int id : {1005, 1054, 1008, 1007}) {
            QWidget* value = h.control(h.project(), id);
            QVERIFY(!value->isEnabled());
            const QPalette& pal = value->palette();
            for (auto [text, background] : {std::pair{QPalette::ButtonText, QPalette::Button},
                                            std::pair{QPalette::Text, QPalette::Base},
                                            std::pair{QPalette::WindowText, QPalette::Window}}) {
                const double ratio = ContrastRatio(pal.color(QPalette::Disabled, text),
                                                   pal.color(QPalette::Disabled, background));
                QVERIFY2(ratio >= kReadableContrast, qPrintable(QString::number(ratio)));
            }
        }
        h.picture(QStringLiteral("view-only.png"));
    }

    void theActiveTabsCaptionIsReadable() {
        Harness h;
        QVERIFY(h.active());
        for (QTabBar* tabs : {h.dialog.Sheet()->tabBar(), h.project()->NestedSheet()->tabBar()}) {
            const QColor caption = tabs->tabTextColor(tabs->currentIndex());
            QVERIFY(caption.isValid());
            for (QPalette::ColorRole background : {QPalette::Window, QPalette::Base}) {
                const double ratio = ContrastRatio(caption, tabs->palette().color(background));
                QVERIFY2(ratio >= kReadableContrast, qPrintable(QString::number(ratio)));
            }
        }
    }

    void listColumnsFitTheirHeadingsAndCutCellsShowTheirText() {
        Harness h;
        QVERIFY(h.active());
        h.project()->NestedSheet()->SetActivePage(h.project()->AddressPage());
        auto* lots = h.control<CRecordListCtrl>(h.project()->LotPage(), 1020);
        auto* list = h.project()->AddressPage()->findChild<CRecordListCtrl*>();
        QVERIFY(list && list->GetItemCount() > 0);
        for (CRecordListCtrl* each : {lots, list}) {
            QHeaderView* header = each->horizontalHeader();
            for (int column = 0; column < header->count(); ++column) {
                const QString heading =
                    each->itemModel()->headerData(column, Qt::Horizontal).toString();
                QVERIFY2(header->isSectionHidden(column) ||
                             header->sectionSize(column) >= header->sectionSizeHint(column),
                         qPrintable(heading));
            }
        }
        // The lots' four columns leave room, which the last one takes.
        QHeaderView* header = lots->horizontalHeader();
        QCOMPARE(header->sectionViewportPosition(3) + header->sectionSize(3),
                 lots->viewport()->width());

        const QString longText = QString(80, QLatin1Char('W'));
        list->SetItemText(0, 0, longText);
        const QRect cut = list->GetSubItemRect(0, 0);
        QHelpEvent onCut(QEvent::ToolTip, cut.center(),
                         list->viewport()->mapToGlobal(cut.center()));
        QApplication::sendEvent(list->viewport(), &onCut);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), longText);
        QToolTip::hideText();
        QTRY_VERIFY(!QToolTip::isVisible());
        // A cell shown whole has no tip of its own.
        list->SetItemText(0, 0, QStringLiteral("W"));
        QHelpEvent onWhole(QEvent::ToolTip, cut.center(),
                           list->viewport()->mapToGlobal(cut.center()));
        QApplication::sendEvent(list->viewport(), &onWhole);
        QVERIFY(QToolTip::text() != QStringLiteral("W"));
    }

    void keyboardFocusIsFramed() {
        Harness h;
        QVERIFY(h.active());
        CPropPageProjectMukimTS* lots = h.project()->LotPage();
        auto* list = h.control<CRecordListCtrl>(lots, 1020);
        auto* saveAsNew = h.control<CHoverButton>(lots, CRecordPage::IDC_SAVE_AS_NEW);
        const QColor focusColour = h.dialog.palette().color(QPalette::Active, QPalette::Highlight);
        const auto hasFrame = [&](QWidget* w, QPoint at) {
            return w->grab().toImage().pixelColor(at) == focusColour;
        };
        // A flat button reached by Tab frames itself; clicked, it looks as it always did.
        saveAsNew->setFocus(Qt::TabFocusReason);
        QVERIFY(hasFrame(saveAsNew, QPoint(0, saveAsNew->height() / 2)));
        h.picture(QStringLiteral("keyboard-focus-button.png"));
        saveAsNew->clearFocus();
        saveAsNew->setFocus(Qt::MouseFocusReason);
        QVERIFY(!hasFrame(saveAsNew, QPoint(0, saveAsNew->height() / 2)));

        // The list frames the keyboard's row, which the arrows move.
        list->setFocus(Qt::TabFocusReason);
        QTest::keyClick(list, Qt::Key_Home);
        QTest::keyClick(list, Qt::Key_Down);
        const QRect row = list->GetSubItemRect(1, 0);
        QVERIFY(hasFrame(list->viewport(), QPoint(row.left() + 5, row.top())));
        QVERIFY(
            !hasFrame(list->viewport(), QPoint(row.left() + 5, list->GetSubItemRect(0, 0).top())));
        h.picture(QStringLiteral("keyboard-focus-list.png"));
    }
};

QTEST_MAIN(AccessibilityTest)
#include "AccessibilityTest.moc"
