#include "framework/PropertySheet.h"

#include "framework/ControlId.h"
#include "framework/FocusReclaim.h"
#include "framework/PropertyPage.h"
#include "framework/TabOrder.h"

#include <QSignalBlocker>

CPropertySheet::CPropertySheet(QWidget* parent) : QTabWidget(parent) {
    kestrel::MarkAsForm(this);
    connect(this, &QTabWidget::currentChanged, this, &CPropertySheet::onCurrentChanged);
}

void CPropertySheet::AddPage(CPropertyPage* page) {
    if (!page || GetPageIndex(page) >= 0) {
        return;
    }
    page->m_pSheet = this;
    addTab(page, page->windowTitle());
}

int CPropertySheet::GetPageCount() const {
    return count();
}

CPropertyPage* CPropertySheet::GetPage(int index) const {
    return qobject_cast<CPropertyPage*>(widget(index));
}

int CPropertySheet::GetPageIndex(const CPropertyPage* page) const {
    return page ? indexOf(const_cast<CPropertyPage*>(page)) : -1;
}

CPropertyPage* CPropertySheet::GetActivePage() const {
    return GetPage(currentIndex());
}

int CPropertySheet::GetActiveIndex() const {
    return currentIndex();
}

bool CPropertySheet::SetActivePage(int index) {
    if (index < 0 || index >= count()) {
        return false;
    }
    setCurrentIndex(index);
    return currentIndex() == index;
}

bool CPropertySheet::SetActivePage(CPropertyPage* page) {
    return SetActivePage(GetPageIndex(page));
}

bool CPropertySheet::OnInitDialog() {
    return true;
}

void CPropertySheet::showEvent(QShowEvent* event) {
    if (!m_bInitialized) {
        m_bInitialized = true;
        // The first page counts as activated once it is shown with the sheet.
        if (CPropertyPage* first = GetActivePage()) {
            first->EnsureInitDialog();
            m_nActive = currentIndex();
            first->OnSetActive();
        }
        OnInitDialog();
    }
    QTabWidget::showEvent(event);
    kestrel::TidyTabOrder(window());
}

void CPropertySheet::onCurrentChanged(int index) {
    if (m_bSwitching) {
        return;
    }
    if (!m_bInitialized) {
        // Before the sheet is shown, choosing a page only picks the one shown first.
        m_nActive = index;
        return;
    }
    CPropertyPage* leaving = GetPage(m_nActive);
    // A field of the page being left failed its check on losing the focus (the switch hid it):
    // the page stays, and the field gets the focus back with its note.
    QWidget* reclaiming = kestrel::FieldTakingFocusBack();
    const bool fieldHolds = leaving && reclaiming && leaving->isAncestorOf(reclaiming);
    if (leaving && m_nActive != index && (fieldHolds || !leaving->OnKillActive())) {
        // The page refused: put its tab back without telling anyone.
        m_bSwitching = true;
        setCurrentIndex(m_nActive);
        m_bSwitching = false;
        return;
    }
    m_nActive = index;
    if (CPropertyPage* entering = GetPage(index)) {
        entering->EnsureInitDialog();
        entering->OnSetActive();
    }
    // A page seen for the first time may just have made its controls.
    kestrel::TidyTabOrder(window());
}
