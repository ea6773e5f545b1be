#pragma once
// The program's icon (icon 128), built into the program.

#include <QIcon>
#include <QImage>

QIcon KestrelIcon();
// The same picture as an image, which any thread may decode.
QImage KestrelIconImage();
