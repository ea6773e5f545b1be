#include "app/AboutDlg.h"

#include "app/AppIcon.h"
#include "app/ResourceIds.h"
#include "framework/ControlId.h"
#include "framework/MessageBox.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent) : CDialog(kestrel::ids::IDD_ABOUTBOX, parent) {
    setWindowTitle(QStringLiteral("About Kestrel"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* icon = new QLabel(this);
    icon->setPixmap(KestrelIcon().pixmap(32, 32));
    icon->setAccessibleName(QStringLiteral("Kestrel"));
    auto* version = new QLabel(QStringLiteral("Kestrel Version 1.0"), this);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    kestrel::SetControlId(ok, kestrel::IDOK);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { EndDialog(kestrel::IDOK); });

    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addSpacing(12);
    row->addWidget(version, 1);
    row->addWidget(ok, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
