#include "framework/FocusTarget.h"

#include "framework/ControlId.h"
#include "framework/PropertyPage.h"
#include "framework/PropertySheet.h"

namespace kestrel {

void BringForward(const FocusTarget& target) {
    if (target.page) {
        if (CPropertySheet* sheet = target.page->GetParentSheet()) {
            sheet->SetActivePage(target.page);
        }
    }
    QWidget* control = nullptr;
    if (target.nestedSheet && target.nestedPage) {
        target.nestedSheet->SetActivePage(target.nestedPage);
        control = GetDlgItem(target.nestedPage, target.controlId);
    }
    if (!control && target.page) {
        control = GetDlgItem(target.page, target.controlId);
    }
    if (control) {
        control->setFocus(Qt::OtherFocusReason);
    }
}

} // namespace kestrel
