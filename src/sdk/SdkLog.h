#pragma once
// The SDK's warnings (a missing lookup database, a host library that does not load) go to the
// "kestrel.sdk" category, so the application can also write them to its activity log.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcSdk)
