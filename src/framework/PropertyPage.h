#pragma once
// The property-page base: one page of a CPropertySheet. A page is a form of its own; its
// controls are set up the first time the page is shown (OnInitDialog), and the sheet tells it
// when it becomes the active page (OnSetActive) and asks it before another page takes its place
// (OnKillActive).

#include <QWidget>

class CDataExchange;
class CPropertySheet;

class CPropertyPage : public QWidget {
    Q_OBJECT
public:
    // captionId is kept for the page's own use; the tab shows the page's windowTitle().
    explicit CPropertyPage(int templateId, int captionId = 0, QWidget* parent = nullptr);

    int TemplateId() const { return m_nTemplateId; }
    int CaptionId() const { return m_nCaptionId; }

    // See CDialog::UpdateData.
    bool UpdateData(bool saveAndValidate = true);

    bool IsInitialized() const { return m_bInitialized; }
    // Runs OnInitDialog now unless it already ran. The sheet calls it before a page is first
    // activated; code that must read a page that was never shown calls it too. Controls that
    // OnInitDialog makes are shown with the page.
    void EnsureInitDialog();

    // The sheet this page was added to, or null.
    CPropertySheet* GetParentSheet() const { return m_pSheet; }

    // The page became the sheet's active page. Default: the first time nothing (OnInitDialog
    // has just filled the controls), later the controls are filled again from the members.
    virtual bool OnSetActive();
    // Another page is about to become active; false keeps this one. Default: the members are
    // updated from the controls, and a failed check keeps the page.
    virtual bool OnKillActive();

protected:
    // Default: fills the controls from the members (UpdateData(false)); returns true.
    virtual bool OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);

    void showEvent(QShowEvent* event) override;

private:
    friend class CPropertySheet;
    int m_nTemplateId;
    int m_nCaptionId;
    bool m_bInitialized = false;
    bool m_bFirstSetActive = true;
    CPropertySheet* m_pSheet = nullptr;
};
