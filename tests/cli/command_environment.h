#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace hv::test {

// The environment the program runs its commands in for the tests: no display
// of any kind (a command that made a window would fail), and the data and
// settings folders under `home`.
QProcessEnvironment commandEnvironment(const QString& home);

}  // namespace hv::test
