// The hover button (colours, edges, icon, focus hand-over) and the group frame.

#include "controls/GroupFrame.h"
#include "controls/HoverButton.h"
#include "framework/WindowClass.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QtTest>

#include <utility>

namespace {

// A child control at a fixed place, the way a dialog template lays its controls out.
template <class W, class... Args>
W* placedAt(QWidget* parent, const QRect& geometry, Args&&... args) {
    auto* widget = new W(std::forward<Args>(args)..., parent);
    widget->setGeometry(geometry);
    return widget;
}

} // namespace

class HoverButtonTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void stateColorSlots();
    void iconResources();
    void flatButtonEdgesFollowTheMouse();
    void captionColourFollowsState();
    void systemColourChangeDiscardsColours();
    void disablingMovesFocusOnward();
    void neverADefaultButtonAndNamedByCaption();

    void frameCarriesWhollyContainedControls();
    void frameMoveCarriesContainedControls();

private:
    QImage shot() { return m_button->grab().toImage(); }
    // Pixel colours compared by their RGB value only.
    static QRgb at(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }
    static QRgb rgb(const QColor& color) { return color.rgb() & 0xFFFFFF; }

    QWidget* m_form = nullptr;
    QLineEdit* m_before = nullptr;
    CHoverButton* m_button = nullptr;
    QLineEdit* m_after = nullptr;
};

void HoverButtonTest::init() {
    m_form = new QWidget;
    m_form->resize(300, 200);
    m_before = placedAt<QLineEdit>(m_form, {10, 10, 120, 24});
    m_button = placedAt<CHoverButton>(m_form, {10, 50, 100, 28}, QStringLiteral("Update"));
    m_after = placedAt<QLineEdit>(m_form, {10, 100, 120, 24});
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
}

void HoverButtonTest::cleanup() {
    delete m_form;
}

void HoverButtonTest::stateColorSlots() {
    const QColor face = QApplication::palette().color(QPalette::Button);
    const QColor text = QApplication::palette().color(QPalette::ButtonText);
    QCOMPARE(m_button->SetStateColor(6, Qt::red), 3);
    QCOMPARE(m_button->SetStateColor(200, Qt::red), 3);
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(m_button->GetStateColor(i), i % 2 ? text : face);
    }
    for (int i : {1, 3, 5}) {
        QCOMPARE(m_button->SetStateColor(i, QColor(0, 0, 255)), 0);
        QCOMPARE(m_button->GetStateColor(i), QColor(0, 0, 255));
    }
    QCOMPARE(m_button->ResetStateColors(true), 0);
    QCOMPARE(m_button->GetStateColor(3), text);
}

void HoverButtonTest::iconResources() {
    for (int id : {172, 173, 176, 181, 182, 183, 184}) {
        QCOMPARE(m_button->SetIconResource(id, 0), 0);
        QCOMPARE(m_button->iconSizeDrawn(), QSize(16, 16));
    }
    QCOMPARE(m_button->SetIconResource(9999, 0), 1);
    QVERIFY(!m_button->iconSizeDrawn().isValid());
    QCOMPARE(m_button->SetFlatStyle(true, true), 0);
}

void HoverButtonTest::flatButtonEdgesFollowTheMouse() {
    QTest::mouseMove(m_form, QPoint(250, 180));
    m_button->SetFlatStyle(true);
    const QPalette pal = m_button->palette();
    const QColor face = m_button->GetStateColor(2);
    QCOMPARE(at(shot(), 0, 0), rgb(face));
    QCOMPARE(at(shot(), m_button->width() - 1, m_button->height() - 1), rgb(face));

    QTest::mouseMove(m_button, QPoint(20, 10));
    QTRY_VERIFY(m_button->IsHovered());
    QCOMPARE(at(shot(), 0, 0), rgb(pal.color(QPalette::Light)));
    QCOMPARE(at(shot(), m_button->width() - 1, m_button->height() - 1),
             rgb(pal.color(QPalette::Dark)));

    // Pressed: a sunken edge, and the caption one pixel further right and down.
    m_button->SetIconResource(181);
    const QImage up = shot();
    QTest::mousePress(m_button, Qt::LeftButton, {}, QPoint(20, 10));
    QVERIFY(m_button->isDown());
    const QImage down = shot();
    QCOMPARE(at(down, 0, 0), rgb(pal.color(QPalette::Dark)));
    QCOMPARE(at(down, m_button->width() - 1, m_button->height() - 1),
             rgb(pal.color(QPalette::Light)));
    const QRect inner = up.rect().adjusted(2, 2, -3, -3);
    QCOMPARE(down.copy(inner.translated(1, 1)), up.copy(inner));
    QTest::mouseRelease(m_button, Qt::LeftButton, {}, QPoint(20, 10));

    QTest::mouseMove(m_form, QPoint(250, 180));
    QTRY_VERIFY(!m_button->IsHovered());
    QCOMPARE(at(shot(), 0, 0), rgb(m_button->GetStateColor(2)));
}

void HoverButtonTest::captionColourFollowsState() {
    QTest::mouseMove(m_form, QPoint(250, 180));
    m_button->SetFlatStyle(true);
    const QColor blue(0, 0, 255);
    const QColor red(255, 0, 0);
    m_button->SetStateColor(2, QColor(200, 255, 200));
    m_button->SetStateColor(3, blue);
    m_button->SetStateColor(0, QColor(255, 255, 200));
    m_button->SetStateColor(1, red);
    auto contains = [](const QImage& image, const QColor& color) {
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (at(image, x, y) == rgb(color)) {
                    return true;
                }
            }
        }
        return false;
    };
    QImage normal = shot();
    QCOMPARE(at(normal, 5, 5), rgb(QColor(200, 255, 200)));
    QVERIFY(contains(normal, blue));
    QVERIFY(!contains(normal, red));

    QTest::mouseMove(m_button, QPoint(20, 10));
    QTRY_VERIFY(m_button->IsHovered());
    QImage hovered = shot();
    QCOMPARE(at(hovered, 5, 5), rgb(QColor(255, 255, 200)));
    QVERIFY(contains(hovered, red));
    QVERIFY(!contains(hovered, blue));
}

void HoverButtonTest::systemColourChangeDiscardsColours() {
    m_button->SetStateColor(3, QColor(0, 0, 255));
    const QPalette original = QApplication::palette();
    QPalette changed = original;
    changed.setColor(QPalette::ButtonText, QColor(10, 20, 30));
    QApplication::setPalette(changed);
    QTRY_COMPARE(m_button->GetStateColor(3), QColor(10, 20, 30));
    QApplication::setPalette(original);
}

void HoverButtonTest::disablingMovesFocusOnward() {
    m_before->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_before);
    m_button->setEnabled(false);
    QTRY_COMPARE(QApplication::focusWidget(), m_after);

    // Re-enabling does nothing to the focus; a disabled page does not count as disabling it.
    m_before->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_before);
    m_button->setEnabled(true);
    QCOMPARE(QApplication::focusWidget(), m_before);
}

void HoverButtonTest::neverADefaultButtonAndNamedByCaption() {
    QVERIFY(!m_button->autoDefault());
    QVERIFY(!m_button->isDefault());
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(m_button);
    QVERIFY(access);
    QCOMPARE(access->role(), QAccessible::Button);
    QCOMPARE(access->text(QAccessible::Name), QStringLiteral("Update"));
    auto* iconOnly = new CHoverButton(m_form);
    iconOnly->SetIconResource(182);
    iconOnly->setAccessibleName(QStringLiteral("Move left"));
    QCOMPARE(QAccessible::queryAccessibleInterface(iconOnly)->text(QAccessible::Name),
             QStringLiteral("Move left"));
    QCOMPARE(kestrel::WindowClassName(m_button), QStringLiteral("Button"));
}

void HoverButtonTest::frameCarriesWhollyContainedControls() {
    QWidget page;
    page.resize(400, 300);
    auto* frame = placedAt<CGroupFrame>(&page, {10, 10, 200, 120}, QStringLiteral("Formatted"));
    auto* inside = placedAt<QLineEdit>(&page, {20, 30, 100, 24});
    auto* partly = placedAt<QCheckBox>(&page, {150, 60, 120, 24}, QStringLiteral("sticks out"));
    auto* outside = placedAt<QLineEdit>(&page, {250, 200, 100, 24});
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));

    QCOMPARE(frame->ContainedControls(), QList<QWidget*>{inside});
    QCOMPARE(kestrel::WindowClassName(frame), QStringLiteral("Button"));
    frame->setEnabled(false);
    QVERIFY(!inside->isEnabled());
    QVERIFY(partly->isEnabled());
    QVERIFY(outside->isEnabled());
    frame->setEnabled(true);
    QVERIFY(inside->isEnabled());

    frame->hide();
    QVERIFY(inside->isHidden());
    QVERIFY(!partly->isHidden());
    frame->show();
    QVERIFY(!inside->isHidden());

    // A control the page keeps hidden stays hidden when the page itself is shown again.
    auto* hidden = placedAt<QLineEdit>(&page, {20, 70, 60, 24});
    hidden->hide();
    page.hide();
    page.show();
    QVERIFY(hidden->isHidden());

    // Disabling the page disables everything, but the frame does not re-enable on its own.
    page.setEnabled(false);
    page.setEnabled(true);
    QVERIFY(inside->isEnabled());
}

void HoverButtonTest::frameMoveCarriesContainedControls() {
    QWidget page;
    page.resize(400, 300);
    auto* frame = placedAt<CGroupFrame>(&page, {10, 10, 200, 120}, QStringLiteral("Unformatted"));
    auto* inside = placedAt<QLineEdit>(&page, {20, 30, 100, 24});
    auto* partly = placedAt<QLineEdit>(&page, {180, 60, 100, 24});
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));

    frame->move(15, 17);
    QCOMPARE(inside->geometry(), QRect(25, 37, 100, 24));
    QCOMPARE(partly->geometry(), QRect(180, 60, 100, 24));
    frame->move(15, 17);
    QCOMPARE(inside->pos(), QPoint(25, 37));
}

QTEST_MAIN(HoverButtonTest)
#include "tst_hover_button.moc"
