#pragma once

#include <QLoggingCategory>

// Start-up diagnostics, silent unless switched on through Qt's logging rules
// (QT_LOGGING_RULES="hourvane.startup.info=true"): they say when the main
// window is shown, when the list holds every entry and when the checks that
// follow the window are done, which is how start-up time and memory are
// measured.
Q_DECLARE_LOGGING_CATEGORY(lcStartup)
