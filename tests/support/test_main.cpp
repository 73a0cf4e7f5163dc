// Test start-up shared by every test program: a headless application whose
// data and settings folders are temporary, so no test touches the user's
// files, and whose locale, paper and time zone are the suite's own, so no
// result depends on how the machine is set up.
#include "support/test_environment.h"

#include <QApplication>
#include <QByteArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QTemporaryDir userData;
    QTemporaryDir userConfig;
    qputenv("XDG_DATA_HOME", QFile::encodeName(userData.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(userConfig.path()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Before the application reads any of them.
    hv::test::pinLocaleAndPaper();

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
