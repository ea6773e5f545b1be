#include "app/LogDlg.h"

#include "app/ResourceIds.h"
#include "framework/ControlId.h"
#include "framework/DialogUnits.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {
// A long run must not make the window hold the whole history in memory; the file has it all.
constexpr int kMaxLines = 20000;
} // namespace

CLogDlg::CLogDlg(QWidget* parent) : CDialog(kestrel::ids::IDD_LOG, parent) {
    setWindowTitle(QStringLiteral("LOG Messages"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setModal(false);

    m_pEdit = new QPlainTextEdit(this);
    kestrel::SetControlId(m_pEdit, kestrel::ids::IDC_LOG_TEXT);
    m_pEdit->setReadOnly(true);
    m_pEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_pEdit->setMaximumBlockCount(kMaxLines);
    m_pEdit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_pEdit->setAccessibleName(QStringLiteral("LOG Messages"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pEdit);

    // 307 x 127 dialog units of the monospace font, at (1, 1).
    resize(kestrel::DialogUnitsToPixels(m_pEdit->font(), QSize(307, 127)));
    move(1, 1);
}

void CLogDlg::AppendLine(const QString& line) {
    QString text = line;
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r'))) {
        text.chop(1);
    }
    m_pEdit->appendPlainText(text);
    QScrollBar* bar = m_pEdit->verticalScrollBar();
    bar->setValue(bar->maximum());
}

QString CLogDlg::Text() const {
    return m_pEdit->toPlainText();
}
