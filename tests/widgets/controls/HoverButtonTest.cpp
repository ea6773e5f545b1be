// The hover button (colours, edges, focus hand-over) and the group frame.

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

// Pixel colours compared by their RGB value only.
QRgb at(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}
QRgb rgb(const QColor& color) {
    return color.rgb() & 0xFFFFFF;
}

} // namespace

class HoverButtonTest : public QObject {
    Q_OBJECT

private slots:
    void edgesCaptionAndFocusFollowTheUser() {
        QWidget form;
        form.resize(300, 200);
        auto* before = placedAt<QLineEdit>(&form, {10, 10, 120, 24});
        m_button = placedAt<CHoverButton>(&form, {10, 50, 100, 28}, QStringLiteral("Update"));
        auto* after = placedAt<QLineEdit>(&form, {10, 100, 120, 24});
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(m_button->SetStateColor(6, Qt::red), 3);
        QTest::mouseMove(&form, QPoint(250, 180));
        m_button->SetFlatStyle(true);
        const QPalette pal = m_button->palette();
        const int r = m_button->width() - 1, b = m_button->height() - 1;
        m_button->SetStateColor(2, QColor(200, 255, 200)); // face and caption, at rest
        m_button->SetStateColor(3, QColor(0, 0, 255));
        m_button->SetStateColor(0, QColor(255, 255, 200)); // face and caption, hovered
        m_button->SetStateColor(1, QColor(255, 0, 0));
        QImage image = shot();
        QCOMPARE(at(image, 0, 0), rgb(QColor(200, 255, 200))); // flat: no edge
        QVERIFY(contains(image, QColor(0, 0, 255)) && !contains(image, QColor(255, 0, 0)));

        QTest::mouseMove(m_button, QPoint(20, 10));
        QTRY_VERIFY(m_button->IsHovered());
        image = shot();
        QCOMPARE(at(image, 0, 0), rgb(pal.color(QPalette::Light)));
        QCOMPARE(at(image, r, b), rgb(pal.color(QPalette::Dark)));
        QCOMPARE(at(image, 5, 5), rgb(QColor(255, 255, 200)));
        QVERIFY(contains(image, QColor(255, 0, 0)) && !contains(image, QColor(0, 0, 255)));

        // Pressed: a sunken edge, and the caption one pixel further right and down.
        QTest::mousePress(m_button, Qt::LeftButton, {}, QPoint(20, 10));
        const QImage down = shot();
        QCOMPARE(at(down, 0, 0), rgb(pal.color(QPalette::Dark)));
        QCOMPARE(at(down, r, b), rgb(pal.color(QPalette::Light)));
        const QRect inner = image.rect().adjusted(2, 2, -3, -3);
        QCOMPARE(down.copy(inner.translated(1, 1)), image.copy(inner));
        QTest::mouseRelease(m_button, Qt::LeftButton, {}, QPoint(20, 10));

        // Disabled, it hands the focus on.
        before->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), before);
        m_button->setEnabled(false);
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
        QVERIFY(!inside->isEnabled());
        QVERIFY(partly->isEnabled());
        frame->move(15, 17);
        QCOMPARE(inside->pos(), QPoint(25, 37));
        QCOMPARE(partly->pos(), QPoint(150, 60));
    }

private:
    QImage shot() { return m_button->grab().toImage(); }
    static bool contains(const QImage& image, const QColor& color) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (at(image, x, y) == rgb(color))
                    return true;
        return false;
    }

    CHoverButton* m_button = nullptr;
};

QTEST_MAIN(HoverButtonTest)
#include "HoverButtonTest.moc"
