#include "pages/project/TabHighlight.h"

#include <QColor>
#include <QPalette>
#include <QTabBar>
#include <QTabWidget>

namespace kestrel {

void HighlightSheetTab(QTabWidget* sheet, int index, bool highlight) {
    if (!sheet || index < 0 || index >= sheet->count()) {
        return;
    }
    QTabBar* bar = sheet->tabBar();
    // An invalid colour gives the tab back the style's own text colour.
    bar->setTabTextColor(index, highlight ? bar->palette().color(QPalette::Highlight) : QColor());
}

bool IsSheetTabHighlighted(const QTabWidget* sheet, int index) {
    if (!sheet || index < 0 || index >= sheet->count()) {
        return false;
    }
    return sheet->tabBar()->tabTextColor(index).isValid();
}

} // namespace kestrel
