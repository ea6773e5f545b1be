#include "sdk/SdkLog.h"

Q_LOGGING_CATEGORY(lcSdk, "kestrel.sdk")
