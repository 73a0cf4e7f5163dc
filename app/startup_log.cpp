#include "app/startup_log.h"

Q_LOGGING_CATEGORY(lcStartup, "hourvane.startup", QtWarningMsg)
