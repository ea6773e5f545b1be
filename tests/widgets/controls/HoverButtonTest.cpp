// The hover button (face and edges by state, focus hand-over) and the group frame.

#include "controls/HoverButton.h"
#include "controls/GroupFrame.h"

#include <QtTest>
#include <QtWidgets>

namespace {

// A child control at a fixed place, the way a dialog template lays its controls out.
template <class W, class... Args>
W* placedAt(QWidget* parent, const QRect& geometry, Args... args) {
    auto* widget = new W(args..., parent);
    widget->setGeometry(geometry);
    return widget;
}

// A pixel's colour by its RGB value only.
QRgb at(QWidget* widget, int x, int y) {
    return widget->grab().toImage().pixel(x, y) & 0xFFFFFF;
}

} // namespace

class HoverButtonTest : public QObject {
    Q_OBJECT

private slots:
    // Flat, the button has no edge at rest, a raised one (light top left) with its hover face under
    // the mouse and a sunken one (dark top left) pressed; disabled, it hands the focus on.
    void edgesFaceAndFocusFollowTheUser() {
        QWidget form;
        form.resize(300, 200);
        auto* before = placedAt<QLineEdit>(&form, {10, 10, 120, 24});
        auto* button = placedAt<CHoverButton>(&form, {10, 50, 100, 28}, QStringLiteral("Update"));
        auto* after = placedAt<QLineEdit>(&form, {10, 100, 120, 24});
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(button->SetStateColor(6, Qt::red), 3);
        QTest::mouseMove(&form, QPoint(250, 180));
        button->SetFlatStyle(true);
        const QRgb light = button->palette().color(QPalette::Light).rgb() & 0xFFFFFF;
        const QRgb dark = button->palette().color(QPalette::Dark).rgb() & 0xFFFFFF;
        button->SetStateColor(2, QColor(200, 255, 200)); // the face at rest
        button->SetStateColor(0, QColor(255, 255, 200)); // the face hovered
        QCOMPARE(at(button, 0, 0), QColor(200, 255, 200).rgb() & 0xFFFFFF);

        QTest::mouseMove(button, QPoint(20, 10));
        QTRY_VERIFY(button->IsHovered());
        QCOMPARE(at(button, 5, 5), QColor(255, 255, 200).rgb() & 0xFFFFFF);
        QCOMPARE(at(button, 0, 0), light);
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(20, 10));
        QCOMPARE(at(button, 0, 0), dark);
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(20, 10));

        before->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), before);
        button->setEnabled(false);
        QTRY_COMPARE(QApplication::focusWidget(), after);
    }

    void frameCarriesWhollyContainedControlsOnly() {
        QWidget page;
        page.resize(400, 300);
        auto* frame = placedAt<CGroupFrame>(&page, {10, 10, 200, 120}, QStringLiteral("Formatted"));
        auto* inside = placedAt<QLineEdit>(&page, {20, 30, 100, 24});
        auto* partly = placedAt<QCheckBox>(&page, {150, 60, 120, 24}, QStringLiteral("sticks out"));
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QCOMPARE(frame->ContainedControls(), QList<QWidget*>{inside});
        frame->setEnabled(false);
        QVERIFY(!inside->isEnabled() && partly->isEnabled());
        frame->move(15, 17);
        QCOMPARE(inside->pos(), QPoint(25, 37));
        QCOMPARE(partly->pos(), QPoint(150, 60));
    }
};

QTEST_MAIN(HoverButtonTest)
#include "HoverButtonTest.moc"
