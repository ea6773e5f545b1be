#pragma once

// The activity-log file: where it lives, how it is kept small, how a line is appended.
//
// Size rule of LOG_CHECK_SIZE_CLEAN(file, sizeKiB): sizeKiB is a limit in KiB (1024 bytes).
// When the file is larger than that, the oldest whole lines are dropped so that about the newest
// half of the limit remains; a line is never cut in two (if even the last line alone is longer
// than half the limit, that last line is kept whole; only a single line longer than the whole
// limit, which no caller writes, is cut to its newest half of the limit). The trimmed file replaces
// the old one atomically (temporary file beside it, then rename), so a crash never leaves a
// half-written log and the history is never dropped all at once. A missing file, a limit <= 0 or
// any I/O failure leaves the file as it was.

#include <QString>

// KESTREL_LOG_FILE when set and not empty, else $XDG_STATE_HOME/kestrel/kestrel.log (with
// ~/.local/state standing in for an unset XDG_STATE_HOME). The folder is created when missing.
QString GET_MODULE_LOG_NAME();

void LOG_CHECK_SIZE_CLEAN(const QString& logFile, int sizeKiB);

// Appends `line` to the file as UTF-8 and flushes it. The caller's line normally ends with its
// own line break; a line without one gets "\n", so two lines never run together. The parent
// folder is created when missing. `flags` is reserved (pass 0). Returns 0 when the whole line was
// written, nonzero otherwise (empty path, unwritable location, short write); never throws.
int LOG_STRING(const QString& line, const QString& logFile, int flags);

// The local date and time as "yyyy-MM-dd HH:mm:ss", e.g. "2026-12-05 14:33:07".
QString GET_CURRENT_DATETIME();
