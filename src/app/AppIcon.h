#pragma once
// The program's icon (icon 128), built into the program.

#include <QIcon>

QIcon KestrelIcon();
