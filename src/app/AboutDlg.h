#pragma once
// The About box (dialog 100): the program's icon, its name and version, and OK.

#include "framework/Dialog.h"

class CAboutDlg : public CDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
