#include "framework/DataExchange.h"

#include "framework/ControlId.h"
#include "framework/MessageBox.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextDocument>
#include <QTextEdit>
#include <QVariant>

QString kestrel::PlainText(const QPlainTextEdit* edit) {
    QString text = edit->document()->toRawText();
    // The document keeps a line break as a paragraph separator.
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

CDataExchange::CDataExchange(QWidget* form, bool saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(form) {}

QWidget* CDataExchange::PrepareCtrl(int id) {
    m_pLastControl = GetDlgItem(m_pDlgWnd, id);
    return m_pLastControl;
}

void CDataExchange::Fail() {
    m_bFailed = true;
    if (m_pLastControl) {
        m_pLastControl->setFocus(Qt::OtherFocusReason);
        if (auto* line = qobject_cast<QLineEdit*>(m_pLastControl)) {
            line->selectAll();
        }
    }
}

namespace {

// A loaded value longer than this is shown cut to it. Laying out megabytes of text takes the
// text widgets seconds, and minutes for one long word (their line breaking goes quadratic), while
// no field admits more than a small part of such a value. The whole value is held beside the
// control and goes back out unchanged for as long as the control shows the cut as it was given.
constexpr qsizetype kShownTextLimit = 16384;
const char* const kHeldText = "kestrelHeldText";

// What the control is given for the value; a cut value is held whole.
QString shownText(QWidget* control, const QString& value) {
    if (value.size() <= kShownTextLimit) {
        control->setProperty(kHeldText, QVariant());
        return value;
    }
    control->setProperty(kHeldText, value);
    return value.left(kShownTextLimit);
}

// The value the control's text stands for: the held one while the text is still its cut.
QString exchangedValue(const QWidget* control, const QString& text) {
    const QVariant held = control->property(kHeldText);
    if (held.isValid()) {
        const QString whole = held.toString();
        if (QStringView(whole).left(kShownTextLimit) == text) {
            return whole;
        }
    }
    return text;
}

} // namespace

void DDX_Text(CDataExchange* pDX, int id, QString& value) {
    QWidget* control = pDX->PrepareCtrl(id);
    if (!control) {
        return;
    }
    const bool saving = pDX->m_bSaveAndValidate;
    const QString shown = saving ? QString() : shownText(control, value);
    if (auto* line = qobject_cast<QLineEdit*>(control)) {
        if (saving) {
            value = exchangedValue(line, line->text());
        } else if (line->text() != shown) {
            line->setText(shown);
        }
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
        if (saving) {
            value = exchangedValue(plain, kestrel::PlainText(plain));
        } else if (kestrel::PlainText(plain) != shown) {
            plain->setPlainText(shown);
        }
    } else if (auto* rich = qobject_cast<QTextEdit*>(control)) {
        if (saving) {
            value = exchangedValue(rich, rich->toPlainText());
        } else {
            rich->setPlainText(shown);
        }
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        if (saving) {
            value = exchangedValue(combo, combo->currentText());
        } else if (combo->isEditable()) {
            combo->setEditText(shown);
        } else {
            combo->setCurrentIndex(combo->findText(value, Qt::MatchFixedString));
        }
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        if (saving) {
            value = exchangedValue(label, label->text());
        } else {
            label->setText(shown);
        }
    }
}

void DDV_MaxChars(CDataExchange* pDX, const QString& value, int maxChars) {
    QWidget* control = pDX->LastControl();
    // The value the exchange last put into the control: a loaded value longer than the limit is
    // the file's, not the user's, and goes back out as it came in.
    static const char* const kExchanged = "kestrelExchangedText";
    if (!pDX->m_bSaveAndValidate) {
        if (control) {
            control->setProperty(kExchanged, value);
            // A field of our own limits only what the user puts in; a plain QLineEdit's
            // maxLength would cut the value it was just given.
            if (control->metaObject()->indexOfMethod("LimitText(int)") >= 0) {
                QMetaObject::invokeMethod(control, "LimitText", Q_ARG(int, maxChars));
            } else if (auto* line = qobject_cast<QLineEdit*>(control);
                       line && value.size() <= maxChars) {
                line->setMaxLength(maxChars);
            }
        }
        return;
    }
    if (control && value == control->property(kExchanged).toString()) {
        return;
    }
    if (value.size() > maxChars) {
        kestrel::MessageBox(pDX->m_pDlgWnd,
                            QStringLiteral("Enter no more than %1 characters.").arg(maxChars),
                            QString(), kestrel::MB_OK | kestrel::MB_ICONWARNING);
        pDX->Fail();
    }
}

void DDX_CBString(CDataExchange* pDX, int id, QString& value) {
    auto* combo = qobject_cast<QComboBox*>(pDX->PrepareCtrl(id));
    if (!combo) {
        return;
    }
    if (pDX->m_bSaveAndValidate) {
        value = combo->currentText();
        return;
    }
    int found = -1;
    if (!value.isEmpty()) {
        for (int i = 0; i < combo->count(); ++i) {
            if (combo->itemText(i).startsWith(value, Qt::CaseInsensitive)) {
                found = i;
                break;
            }
        }
    }
    combo->setCurrentIndex(found);
    if (found < 0 && combo->isEditable()) {
        combo->setEditText(value);
    }
}

void DDX_Check(CDataExchange* pDX, int id, int& value) {
    auto* button = qobject_cast<QAbstractButton*>(pDX->PrepareCtrl(id));
    if (!button) {
        return;
    }
    auto* box = qobject_cast<QCheckBox*>(button);
    if (pDX->m_bSaveAndValidate) {
        if (box && box->checkState() == Qt::PartiallyChecked) {
            value = 2;
        } else {
            value = button->isChecked() ? 1 : 0;
        }
    } else if (box && value == 2) {
        box->setCheckState(Qt::PartiallyChecked);
    } else {
        button->setChecked(value != 0);
    }
}

void DDX_Radio(CDataExchange* pDX, int id, int& value) {
    // The run ends at the first id that is not a radio button.
    QList<QRadioButton*> run;
    for (int next = id;; ++next) {
        auto* radio = qobject_cast<QRadioButton*>(GetDlgItem(pDX->m_pDlgWnd, next));
        if (!radio) {
            break;
        }
        run.append(radio);
    }
    pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate) {
        value = -1;
        for (int i = 0; i < run.size(); ++i) {
            if (run[i]->isChecked()) {
                value = i;
                break;
            }
        }
        return;
    }
    for (int i = 0; i < run.size(); ++i) {
        // Auto-exclusive radios cannot all be cleared one by one; switch it off for the update.
        const bool exclusive = run[i]->autoExclusive();
        run[i]->setAutoExclusive(false);
        run[i]->setChecked(i == value);
        run[i]->setAutoExclusive(exclusive);
    }
}

void DDX_DateTimeCtrl(CDataExchange* pDX, int id, QDateTime& value) {
    auto* picker = qobject_cast<QDateTimeEdit*>(pDX->PrepareCtrl(id));
    if (!picker) {
        return;
    }
    if (pDX->m_bSaveAndValidate) {
        // The picker shows only the date; keep the time of day that the value already had.
        const QDate date = picker->date();
        const QTime time = value.isValid() ? value.time() : picker->time();
        value = QDateTime(date, time);
    } else {
        picker->setDateTime(value.isValid() ? value : QDateTime::currentDateTime());
    }
}
