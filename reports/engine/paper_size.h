#pragma once

#include <QLocale>
#include <QPageSize>
#include <QProcessEnvironment>
#include <QString>

namespace hv::reports {

// The paper of a locale when no printer names one: Letter where Letter is
// the common size (the United States, Canada and the other countries of the
// Americas that use it, and the Philippines), and where the locale names no
// country; A4 everywhere else.
QPageSize paperForLocale(const QLocale& locale);

// The paper the user's settings ask for when no printer names one: a paper
// named in PAPERSIZE (as paperconf reads it), else the paper of the locale
// the C library reads for the paper category: LC_ALL, else LC_PAPER, else
// LANG (the first that is set and not empty). Under the C or POSIX locale,
// which says nothing of paper, the paper file decides (the one PAPERCONF
// names, else the system's /etc/papersize), and without one Letter.
QPageSize paperForEnvironment(const QProcessEnvironment& environment,
                              const QString& papersizeFile = QStringLiteral("/etc/papersize"));

}  // namespace hv::reports
