#pragma once
// The SDK's warnings (a missing lookup database, a host library that does not load) go to the
// "kestrel.sdk" category and from there to standard error. They are not activity-log lines: the
// log holds only the lines a run is known to write, which the host's tools read.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcSdk)
