// Renders the drop-list combo for the documentation: closed, open, and open while the user
// types a search. Run offscreen: combo_gallery <output folder>.
#include "controls/ComboDropList.h"
#include "controls/DropListCombo.h"
#include "controls/ListSource.h"

#include <QApplication>
#include <QDir>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace {

QStringList galleryRoads() {
    const QStringList first = {"Adam",         "Balmoral",
                               "Cairnhill",    "Dunearn",
                               "Emerald Hill", "Farrer",
                               "Grange",       "Holland",
                               "Jervois",      "Kampong Java",
                               "Lornie",       "Mandalay",
                               "Marine",       "Mount Sophia",
                               "Newton",       "Orchard",
                               "Paterson",     "Queen",
                               "River Valley", "Scotts",
                               "Tanglin",      "Upper Bukit Timah",
                               "Victoria",     "Wilkie",
                               "Yio Chu Kang"};
    const QStringList kinds = {"Avenue", "Close", "Crescent", "Drive", "Lane",
                               "Link",   "Park",  "Rise",     "Road",  "Walk"};
    QStringList roads;
    for (const QString& name : first)
        for (const QString& kind : kinds)
            roads << name.toUpper() + ' ' + kind.toUpper();
    return roads;
}

void pump() {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// The form and, when open, the popup as they stand on the screen, on one picture.
QImage shoot(QWidget* form, CComboDropList* popup) {
    QRect area = form->frameGeometry();
    if (popup->isVisible())
        area = area.united(popup->geometry());
    area.adjust(-8, -8, 8, 8);
    const qreal ratio = form->devicePixelRatioF();
    QImage image((area.size() * ratio), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(form->palette().color(QPalette::Window).darker(108));
    QPainter painter(&image);
    painter.drawPixmap(form->geometry().topLeft() - area.topLeft(), form->grab());
    if (popup->isVisible())
        painter.drawPixmap(popup->geometry().topLeft() - area.topLeft(), popup->grab());
    return image;
}

void key(QWidget* target, int code, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);
    CComboDropList::SetSlideEnabled(false);

    CStringListSource roads(galleryRoads());
    roads.Sort();

    QWidget form;
    form.setWindowTitle(QStringLiteral("Site description"));
    auto* layout = new QFormLayout(&form);
    auto* combo = new CDropListCombo(&form);
    combo->SetItemSource(&roads);
    combo->setAccessibleName(QStringLiteral("Road name 1"));
    auto* label = new QLabel(QStringLiteral("Road name &1:"), &form);
    label->setBuddy(combo);
    layout->addRow(label, combo);
    form.move(60, 40);
    form.resize(360, form.sizeHint().height());
    form.show();
    form.activateWindow();
    combo->setFocus();
    combo->SelectString(0, QStringLiteral("MANDALAY ROAD"));
    pump();

    bool ok = shoot(&form, combo->DropList()).save(QDir(out).filePath("droplist-closed.png"));

    combo->showPopup();
    pump();
    ok = shoot(&form, combo->DropList()).save(QDir(out).filePath("droplist-open.png")) && ok;

    qint64 now = 0;
    combo->DropList()->SetSearchClock([&now] { return now; });
    for (QChar c : QStringLiteral("orc"))
        key(combo->DropList(), Qt::Key_A + (c.toUpper().unicode() - 'A'), QString(c));
    pump();
    ok = shoot(&form, combo->DropList()).save(QDir(out).filePath("droplist-search.png")) && ok;

    std::printf("%s\n", ok ? "written" : "failed");
    return ok ? 0 : 1;
}
