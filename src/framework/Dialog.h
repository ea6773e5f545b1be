#pragma once
// The dialog base: a QDialog that sets itself up once, just before it is first shown
// (OnInitDialog), and moves values between its controls and its members (DoDataExchange through
// UpdateData). Every dialog is a form of its own, so its controls are found by id with GetDlgItem.

#include <QDialog>

class CDataExchange;

class CDialog : public QDialog {
    Q_OBJECT
public:
    explicit CDialog(int templateId, QWidget* parent = nullptr);

    // The number of the dialog's layout (100 the About box, 102 the main dialog, ...).
    int TemplateId() const { return m_nTemplateId; }

    // Shows the dialog modally and returns the code given to EndDialog. When the run has ended,
    // OnDestroy runs and the next show sets the dialog up again, as a fresh window would be.
    int DoModal();
    // Ends a modal run (or hides a modeless dialog) with this result.
    void EndDialog(int result);

    // saveAndValidate true: controls -> members (false when a check failed, with the focus on
    // the offending control); false: members -> controls.
    bool UpdateData(bool saveAndValidate = true);

    bool IsInitialized() const { return m_bInitialized; }
    // Runs OnInitDialog now unless it already ran (for code that needs the set-up controls
    // before the dialog is shown).
    void EnsureInitDialog();

    // Shows the dialog; the first time, once OnInitDialog answered true, the first control in
    // Tab order takes the focus.
    void setVisible(bool visible) override;

    // The first control that Tab reaches in `window`, or null.
    static QWidget* FirstTabStop(QWidget* window);

protected:
    // Default: fills the controls from the members (UpdateData(false)); returns true. True
    // gives the first control the focus when the dialog appears; false leaves the focus where
    // OnInitDialog put it.
    virtual bool OnInitDialog();
    // Default: no fields.
    virtual void DoDataExchange(CDataExchange* pDX);
    // The modal run has ended; undo what OnInitDialog set up outside the dialog itself.
    virtual void OnDestroy() {}

private:
    int m_nTemplateId;
    bool m_bInitialized = false;
    bool m_bFocusFirstControl = false;
};
