// Renders the control kit in its states to PNG files, for a look by eye.
//
//   controls_gallery <folder>
//
// Each picture shows one control family: the hover buttons in every state, the icons enlarged,
// the record list's row colours, the editable list with an editor open, the character-filter
// edit with its info note, and the group frame enabled and disabled.

#include "controls/CharFilterEdit.h"
#include "controls/EditableListCtrl.h"
#include "controls/GroupFrame.h"
#include "controls/HoverButton.h"
#include "controls/InfoWindow.h"
#include "controls/RecordListCtrl.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QtTest/QTest>

namespace {

QDir g_out;
int g_failures = 0;

// A picture made of captioned tiles laid out in rows.
class Sheet {
public:
    void add(const QString& caption, const QImage& image) { m_row.append({caption, image}); }
    void newRow() {
        if (!m_row.isEmpty()) {
            m_rows.append(m_row);
            m_row.clear();
        }
    }
    QImage render() {
        newRow();
        const int gap = 10;
        const int captionHeight = 18;
        int width = 0;
        int height = gap;
        for (const auto& row : m_rows) {
            int rowWidth = gap;
            int rowHeight = 0;
            for (const auto& tile : row) {
                rowWidth += qMax(tile.image.width(), 90) + gap;
                rowHeight = qMax(rowHeight, tile.image.height());
            }
            width = qMax(width, rowWidth);
            height += captionHeight + rowHeight + gap;
        }
        QImage sheet(width, height, QImage::Format_RGB32);
        sheet.fill(QColor(255, 255, 255));
        QPainter painter(&sheet);
        painter.setPen(QColor(60, 60, 60));
        int y = gap;
        for (const auto& row : m_rows) {
            int x = gap;
            int rowHeight = 0;
            for (const auto& tile : row) {
                painter.drawText(QRect(x, y, 400, captionHeight), Qt::AlignLeft | Qt::AlignVCenter,
                                 tile.caption);
                painter.drawImage(x, y + captionHeight, tile.image);
                x += qMax(tile.image.width(), 90) + gap;
                rowHeight = qMax(rowHeight, tile.image.height());
            }
            y += captionHeight + rowHeight + gap;
        }
        return sheet;
    }

private:
    struct Tile {
        QString caption;
        QImage image;
    };
    QList<Tile> m_row;
    QList<QList<Tile>> m_rows;
};

void save(const QImage& image, const QString& name) {
    const QString path = g_out.filePath(name);
    if (!image.save(path)) {
        qWarning("cannot write %s", qPrintable(path));
        ++g_failures;
    }
}

QImage shot(QWidget* widget) {
    return widget->grab().toImage();
}

void settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QTest::qWait(5);
    }
}

void hoverButtons() {
    struct Button {
        const char* caption;
        int icon;
    };
    const QList<Button> buttons = {{"Update", 181}, {"Save as New", 172}, {"Delete", 173},
                                   {"Reset", 176},  {"Add", 184},         {"", 182},
                                   {"", 183}};
    Sheet sheet;
    QWidget window;
    window.resize(900, 120);
    QLineEdit elsewhere(&window);
    elsewhere.setGeometry(0, 90, 100, 24);
    window.show();
    if (!QTest::qWaitForWindowActive(&window)) {
        ++g_failures;
    }
    const QStringList states = {"normal",           "hovered",  "pressed",  "focused",
                                "edit mode (blue)", "disabled", "not flat", "not flat, focused"};
    for (const QString& state : states) {
        for (const Button& entry : buttons) {
            CHoverButton button(QString::fromLatin1(entry.caption), &window);
            button.SetIconResource(entry.icon, 0);
            button.SetFlatStyle(!state.startsWith(QLatin1String("not flat")), true);
            button.setGeometry(10, 10, entry.caption[0] ? 110 : 40, 28);
            button.show();
            if (state == QLatin1String("hovered")) {
                QEnterEvent enter(QPointF(5, 5), QPointF(15, 15), QPointF(15, 15));
                QApplication::sendEvent(&button, &enter);
            } else if (state == QLatin1String("pressed")) {
                button.setDown(true);
            } else if (state.contains(QLatin1String("focused"))) {
                button.setFocus();
            } else if (state == QLatin1String("edit mode (blue)")) {
                for (int slot : {1, 3, 5}) {
                    button.SetStateColor(slot, QColor(0, 0, 255));
                }
            } else if (state == QLatin1String("disabled")) {
                button.setEnabled(false);
            }
            settle();
            sheet.add(entry.caption[0] ? state : QString(), shot(&button));
            elsewhere.setFocus();
        }
        sheet.newRow();
    }
    save(sheet.render(), QStringLiteral("hover-buttons.png"));
}

void icons() {
    Sheet sheet;
    const QPalette pal = QApplication::palette();
    for (int id : {172, 173, 176, 181, 182, 183, 184}) {
        const QImage icon(QStringLiteral(":/icons/%1.png").arg(id));
        QImage tile(16 * 6 + 24, 16 * 6, QImage::Format_RGB32);
        tile.fill(pal.color(QPalette::Button));
        QPainter painter(&tile);
        painter.drawImage(4, 4, icon);
        painter.drawImage(QRect(24, 0, 96, 96), icon);
        painter.end();
        sheet.add(QString::number(id), tile);
    }
    save(sheet.render(), QStringLiteral("icons.png"));
}

void fillRecords(CListCtrl& list) {
    list.InsertColumn(0, QStringLiteral("MK/TS"), LVCFMT_LEFT, 120);
    list.InsertColumn(1, QStringLiteral("Plot No"), LVCFMT_LEFT, 70);
    list.InsertColumn(2, QStringLiteral("Lot No"), LVCFMT_LEFT, 70);
    list.InsertColumn(3, QStringLiteral("Partial"), LVCFMT_LEFT, 50);
    list.SetExtendedStyle(list.GetExtendedStyle() | 0xD61);
    const QStringList mukims = {"MK01 Bukit Timah", "MK17 Queenstown", "TS10 Downtown",
                                "MK05 Jurong", "MK22 Changi"};
    for (int r = 0; r < mukims.size(); ++r) {
        const int row = list.InsertItem(r, mukims[r]);
        list.SetItemText(row, 1, r % 2 ? QString() : QString::number(12 + r));
        list.SetItemText(row, 2, QString::number(3456 + 11 * r));
        list.SetItemText(row, 3, r == 1 ? QStringLiteral("Y") : QStringLiteral("N"));
    }
}

void recordList() {
    Sheet sheet;
    QWidget window;
    window.resize(360, 200);
    QLineEdit elsewhere(&window);
    elsewhere.setGeometry(0, 170, 100, 24);
    CRecordListCtrl list(&window);
    list.setGeometry(0, 0, 340, 160);
    fillRecords(list);
    window.show();
    if (!QTest::qWaitForWindowActive(&window)) {
        ++g_failures;
    }

    list.m_nCurrentItem = 1;
    elsewhere.setFocus();
    list.RedrawList();
    settle();
    sheet.add(QStringLiteral("current row 1, list without focus"), shot(&list));

    list.SetItemSelected(3, true);
    list.RedrawList();
    settle();
    sheet.add(QStringLiteral("row 3 selected by keyboard (not shown)"), shot(&list));
    sheet.newRow();

    list.SetItemSelected(1, true);
    list.setFocus();
    settle();
    sheet.add(QStringLiteral("current row 1 selected, list focused"), shot(&list));

    list.m_nCurrentItem = -1;
    list.DeselectAll();
    elsewhere.setFocus();
    list.RedrawList();
    settle();
    sheet.add(QStringLiteral("no current row (new record)"), shot(&list));
    save(sheet.render(), QStringLiteral("record-list.png"));
}

int roleColumn(int column) {
    return column == 0 ? 1 : 0;
}

void editableList() {
    Sheet sheet;
    QWidget window;
    window.resize(440, 200);
    CEditableListCtrl list(&window);
    list.setGeometry(0, 0, 420, 150);
    list.InsertColumn(0, QStringLiteral("Role"), LVCFMT_LEFT, 250);
    list.InsertColumn(1, QStringLiteral("Professional No."), LVCFMT_LEFT, 150);
    list.SetExtendedStyle(0x521);
    list.SetBkColor(QApplication::palette().color(QPalette::Button));
    list.m_pfnIsComboColumn = roleColumn;
    list.m_comboItems = {QStringLiteral("Architect"), QStringLiteral("Civil Engineer"),
                         QStringLiteral("Land Surveyor")};
    list.InsertItem(0, QStringLiteral("Architect"));
    list.SetItemText(0, 1, QStringLiteral("A0123"));
    list.InsertItem(1, QStringLiteral("Land Surveyor"));
    list.SetItemText(1, 1, QStringLiteral("LS0042"));
    window.show();
    if (!QTest::qWaitForWindowActive(&window)) {
        ++g_failures;
    }
    settle();
    sheet.add(QStringLiteral("roles list"), shot(&list));
    list.EditSubItem(1, 1);
    settle();
    if (auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget())) {
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClicks(edit, QStringLiteral("-0099-2026-KESTREL-0001"));
    }
    settle();
    sheet.add(QStringLiteral("text field open (widened)"), shot(&list));
    sheet.newRow();
    list.setFocus();
    settle();
    list.EditSubItem(0, 0);
    settle();
    if (auto* combo = list.findChild<CInPlaceCombo*>(); combo && combo->view()->isVisible()) {
        // The drop-down part is a window of its own: draw it where it stands over the list.
        QWidget* popup = combo->view()->window();
        QImage picture = shot(&window);
        QPainter painter(&picture);
        painter.drawImage(window.mapFromGlobal(popup->geometry().topLeft()), shot(popup));
        painter.end();
        sheet.add(QStringLiteral("drop-down open on the role"), picture);
    } else {
        qWarning("the drop-down did not open");
        ++g_failures;
    }
    save(sheet.render(), QStringLiteral("editable-list.png"));
}

void charFilterEdit() {
    QWidget window;
    window.resize(360, 140);
    window.move(200, 200);
    QLabel label(QStringLiteral("Lot Number *"), &window);
    label.setGeometry(10, 50, 100, 24);
    CCharFilterEdit edit(&window);
    edit.setGeometry(110, 50, 160, 24);
    edit.SetAllowedChars("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqurstuvwxyz0123456789-");
    edit.SetUpperCase(true);
    CFieldValidator validator;
    edit.SetValidator(&validator);
    QLineEdit other(&window);
    other.setGeometry(110, 90, 160, 24);
    CreateInfoWindow(&window);
    window.show();
    if (!QTest::qWaitForWindowActive(&window)) {
        ++g_failures;
    }
    edit.setFocus();
    settle();
    edit.setText(QStringLiteral("12A/5"));
    other.setFocus(); // leaving the field checks it: the note comes up above it
    settle();
    settle();

    QImage picture(window.size(), QImage::Format_RGB32);
    picture.fill(QColor(255, 255, 255));
    QPainter painter(&picture);
    painter.drawImage(0, 0, shot(&window));
    if (CInfoWindow* note = InfoWindow(); note && note->isVisible()) {
        const QPoint at = window.mapFromGlobal(note->geometry().topLeft());
        painter.drawImage(at, shot(note));
    } else {
        qWarning("the info note did not show");
        ++g_failures;
    }
    painter.end();
    save(picture, QStringLiteral("char-filter-edit.png"));
}

void groupFrame() {
    Sheet sheet;
    for (bool enabled : {true, false}) {
        QWidget page;
        page.resize(330, 160);
        CGroupFrame frame(QStringLiteral("Unformatted Address"), &page);
        frame.setGeometry(10, 10, 230, 120);
        QLineEdit line1(QStringLiteral("12 Kestrel Road"), &page);
        line1.setGeometry(20, 35, 200, 24);
        QLineEdit line2(QStringLiteral("#03-14"), &page);
        line2.setGeometry(20, 65, 200, 24);
        QCheckBox sticksOut(QStringLiteral("sticks out of the frame"), &page);
        sticksOut.setGeometry(20, 116, 200, 24);
        page.show();
        frame.setEnabled(enabled);
        settle();
        sheet.add(enabled ? QStringLiteral("frame enabled")
                          : QStringLiteral("frame disabled (check box sticks out: untouched)"),
                  shot(&page));
    }
    save(sheet.render(), QStringLiteral("group-frame.png"));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    if (!QDir().mkpath(folder)) {
        qWarning("cannot make %s", qPrintable(folder));
        return 1;
    }
    g_out = QDir(folder);
    hoverButtons();
    icons();
    recordList();
    editableList();
    charFilterEdit();
    groupFrame();
    return g_failures == 0 ? 0 : 1;
}
