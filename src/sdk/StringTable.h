#pragma once

// The program's string table: every message, caption and tooltip is fetched by its number.
// The texts live in resources/strings/strings.tsv and are compiled into the library.

#include <QString>

// The text of entry `id`, or "" when the table has no such entry (a control without a tooltip,
// an id nobody defined). Thread-safe; the table is parsed once, on first use.
QString GetRCString(int id);
