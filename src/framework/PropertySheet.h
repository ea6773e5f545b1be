#pragma once
// The property-sheet base: a tab widget holding CPropertyPage pages. Switching pages asks the
// page being left (OnKillActive, which may refuse) and tells the new one (OnSetActive). A sheet
// is a form of its own: its pages' controls are not found from the enclosing dialog.

#include <QTabWidget>

class CPropertyPage;

class CPropertySheet : public QTabWidget {
    Q_OBJECT
public:
    explicit CPropertySheet(QWidget* parent = nullptr);

    // The tab shows the page's windowTitle(). The sheet takes the page as its child.
    void AddPage(CPropertyPage* page);
    int GetPageCount() const;
    CPropertyPage* GetPage(int index) const;
    int GetPageIndex(const CPropertyPage* page) const; // -1 when not a page of this sheet
    CPropertyPage* GetActivePage() const;
    int GetActiveIndex() const;
    // false when the index/page is unknown or the current page refused to be left.
    bool SetActivePage(int index);
    bool SetActivePage(CPropertyPage* page);

    bool IsInitialized() const { return m_bInitialized; }

protected:
    // Runs once, when the sheet is first shown (after its first page was set up). Default: true.
    virtual bool OnInitDialog();

    void showEvent(QShowEvent* event) override;

private:
    void onCurrentChanged(int index);

    bool m_bInitialized = false;
    bool m_bSwitching = false;
    int m_nActive = -1;
};
