#pragma once
// Lets GoogleTest show a QString that failed a comparison as its text.

#include <QString>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
