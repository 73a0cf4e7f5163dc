# Precompiled headers: the Qt and standard headers that nearly every file
# includes are parsed once for each kind of code instead of once for each
# file, which takes about a third off a clean build. One target of each kind
# makes them and the others of that kind reuse them; a target can reuse only
# what was made with its own compile flags, so the program's libraries (-O2)
# and the tests (-O1) have their own. None of these headers is used for a
# value of a macro the targets define differently (no Qt Test header here).
# -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON builds every file on its own includes,
# which shows an include a file forgot.

# What files of Qt Core alone include most.
set(HOURVANE_CORE_HEADERS
  <QByteArray> <QDateTime> <QDir> <QFile> <QFileInfo> <QHash> <QList> <QLocale>
  <QString> <QStringList> <QVariant>
  <algorithm> <functional> <memory> <optional> <vector>)
# And what the windows include most.
set(HOURVANE_WIDGETS_HEADERS ${HOURVANE_CORE_HEADERS}
  <QApplication> <QComboBox> <QDialog> <QLabel> <QLineEdit> <QPushButton>
  <QTreeView> <QWidget>)
# And what the tests include most.
set(HOURVANE_TEST_HEADERS ${HOURVANE_WIDGETS_HEADERS} <QTemporaryDir> <gtest/gtest.h>)

# hourvane_precompile_headers(OWNER target HEADERS header... [REUSED_BY target...])
function(hourvane_precompile_headers)
  cmake_parse_arguments(P "" "OWNER" "HEADERS;REUSED_BY" ${ARGN})
  target_precompile_headers(${P_OWNER} PRIVATE ${P_HEADERS})
  foreach(target IN LISTS P_REUSED_BY)
    target_precompile_headers(${target} REUSE_FROM ${P_OWNER})
  endforeach()
endfunction()
