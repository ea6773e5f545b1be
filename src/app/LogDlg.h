#pragma once
// The LOG window (dialog 138, "LOG Messages"): a read-only, monospace view of the activity log
// as the run writes it, newest line last and scrolled into view. Modeless; it lives from
// start-up to the end of the run and is shown and hidden from the main dialog's window menu.

#include "framework/Dialog.h"

class QPlainTextEdit;

class CLogDlg : public CDialog {
    Q_OBJECT
public:
    explicit CLogDlg(QWidget* parent = nullptr);

    // Appends one log line (its line break is the view's business) and shows it.
    void AppendLine(const QString& line);
    QString Text() const;
    QPlainTextEdit* Edit() const { return m_pEdit; }

private:
    QPlainTextEdit* m_pEdit;
};
