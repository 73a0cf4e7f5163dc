#pragma once

#include <QLocale>
#include <QPageSize>

namespace hv::reports {

// The paper of a locale when no printer names one: Letter where Letter is
// the common size (the United States, Canada and the other countries of the
// Americas that use it, and the Philippines), and where the locale names no
// country; A4 everywhere else.
QPageSize paperForLocale(const QLocale& locale);

}  // namespace hv::reports
