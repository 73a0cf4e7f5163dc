#pragma once

#include "app/main_window.h"
#include "support/qt_printers.h"
#include "support/test_environment.h"
#include "support/ui_recorder.h"

#include <QDateTime>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

namespace hv::test {

// A main window over its own temporary data and settings folders, with the
// home-page opener, the random draw and the program's end recorded instead
// of happening.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new main window whose start-up has run.
    std::unique_ptr<Form1> start();
    // Closes the window as the user would and drops it.
    void closeWindow(std::unique_ptr<Form1>& window);

    QString dataFolder() const;
    QString liveDatabase() const;
    // Runs statements on the live database through a connection of its own.
    void execute(const QStringList& statements) const;
    // The statement that adds an entry: its employee and work code by ID, its
    // day as ISO text, its hours and its description.
    static QString entryInsert(int employee, const QString& day, int workCode, const QString& hours,
                               const QString& text);
    // The employee Ann Archer, the work code Design and an entry of hers for
    // each description: entry n on 2026-12-0n, with n + 1 hours.
    void addAnnsEntries(const QStringList& descriptions) const;
    // The list's texts in display order, one row per entry.
    static QList<QStringList> listRows(const Form1& window);

    IsolatedUserFolders m_folders;
    UiRecorder m_ui;
    double m_draw = 0.5;
    // The time start-up sees; the system clock when invalid.
    QDateTime m_now;
    // How long start-up waits for a restore before it asks.
    int m_waitForRestoreMs = 10000;
    QStringList m_openedPages;
    int m_endCalls = 0;
};

}  // namespace hv::test
