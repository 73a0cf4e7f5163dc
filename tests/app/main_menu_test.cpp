#include "fixtures/main_window_fixture.h"
#include "support/widget_input.h"

#include "app/undo_actions.h"
#include "app/work_hours_model.h"
#include "backup/database_use_lock.h"
#include "core/file_system.h"
#include "core/data_places.h"
#include "core/version.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QUrl>

namespace hv::test {
namespace {

class MainMenuTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        m_window = start();
        addAnnsEntries({QStringLiteral("first"), QStringLiteral("second")});
        m_window->ListData();
        m_ui.clear();
    }

    // A program folder of the test's own with a manual in it; its path.
    QString placeManual()
    {
        fs::setProgramFolder(m_programFolder.path());
        const QString manual = m_programFolder.filePath(QStringLiteral("manual.html"));
        QFile file(manual);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<html><body>manual</body></html>");
        return manual;
    }

    QAction& action(const char* name) const
    {
        auto* found = m_window->findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return *found;
    }

    // What a command showed (see recordModals()), in order.
    QStringList traceOf(const std::function<void()>& command)
    {
        m_trace.clear();
        command();
        return m_trace;
    }

    // Modal windows are recorded by title and closed; boxes are answered No.
    void recordModals()
    {
        UiSeam::setModalHandler([this](QDialog& dialog) {
            m_trace << QStringLiteral("modal: ") + dialog.windowTitle();
            return int(QDialog::Rejected);
        });
        UiSeam::setMessageHandler([this](const MessageRequest& request) {
            m_trace << QStringLiteral("box: ") + request.text;
            return QMessageBox::No;
        });
    }

    QStringList m_trace;
    QTemporaryDir m_programFolder;
    std::unique_ptr<Form1> m_window;
};

// A menu item, the button that does the same (none: the item alone), and its shortcut.
struct MenuItem {
    const char* action;
    const char* button;
    QKeySequence shortcut;
};

class MenuItemTest : public MainMenuTest, public ::testing::WithParamInterface<MenuItem> {};

TEST_P(MenuItemTest, RunsWhatItsButtonRunsAndHasItsShortcut)
{
    QAction& item = action(GetParam().action);
    EXPECT_EQ(item.shortcut(), GetParam().shortcut);
    if (!GetParam().button)
        return;
    recordModals();
    m_window->selectPosition(2);
    const QStringList byButton = traceOf([&] { press(*m_window, QString::fromLatin1(GetParam().button)); });
    m_window->selectPosition(2);
    const QStringList byMenu = traceOf([&] { item.trigger(); });
    EXPECT_FALSE(byButton.isEmpty());
    EXPECT_EQ(byMenu, byButton);
    EXPECT_EQ(listRows(*m_window).size(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Items, MenuItemTest,
    ::testing::Values(MenuItem{"actionAdd", "PushButton2", QKeySequence(Qt::CTRL | Qt::Key_N)},
                      MenuItem{"actionEdit", "PushButton1", {}},
                      MenuItem{"actionDelete", "PushButton3", {}},
                      MenuItem{"actionHelp", "PushButton6", QKeySequence(Qt::Key_F1)},
                      MenuItem{"actionUndo", nullptr, QKeySequence(Qt::CTRL | Qt::Key_Z)},
                      MenuItem{"actionRedo", nullptr, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
                      MenuItem{"actionFind", nullptr, QKeySequence(Qt::CTRL | Qt::Key_F)},
                      MenuItem{"actionRefresh", nullptr, QKeySequence(Qt::Key_F5)},
                      MenuItem{"actionQuit", nullptr, QKeySequence(Qt::CTRL | Qt::Key_Q)}));

TEST_F(MainMenuTest, MenusAndItemsCarryMnemonicsInTheirOrder)
{
    QStringList shown;
    for (QAction* menuAction : m_window->menuBar()->actions()) {
        QStringList items;
        for (QAction* entry : menuAction->menu()->actions()) {
            if (!entry->isSeparator())
                items << entry->text();
        }
        shown << menuAction->text() + QStringLiteral(": ") + items.join(QStringLiteral(", "));
    }
    // Undo names the newest change, the fixture's last entry.
    EXPECT_EQ(m_window->undoActions()->undo()->text(), QStringLiteral("&Undo Add entry 2"));
    EXPECT_EQ(shown, (QStringList{
                         "&File: &Import Old Database..., &Export Entries..., &Back Up Now, &Restore From Backup..., "
                         "&Show Backups Folder, &Quit",
                         "&Edit: " + m_window->undoActions()->undo()->text()
                             + ", &Redo, &Add New Work, &Edit Selected Work, &Delete Selected Work, &Week Sheet..., &Find",
                         "&View: &Refresh",
                         "&Help: &Help, &Manual, &About Hourvane"}));
}

TEST_F(MainMenuTest, UndoAndRedoNameTheChangeReplayItAndRefillTheList)
{
    QAction& undo = *m_window->undoActions()->undo();
    QAction& redo = *m_window->undoActions()->redo();
    EXPECT_FALSE(redo.isEnabled());
    m_window->selectPosition(1);
    const QString id = listRows(*m_window).at(0).at(0);
    m_ui.answerNext(QMessageBox::Yes);
    action("actionDelete").trigger();
    ASSERT_EQ(listRows(*m_window).size(), 1);
    EXPECT_TRUE(undo.isEnabled());
    EXPECT_EQ(undo.text(), QStringLiteral("&Undo Delete entry ") + id);

    undo.trigger();
    EXPECT_EQ(listRows(*m_window).size(), 2);
    EXPECT_EQ(listRows(*m_window).at(0).at(0), id);
    EXPECT_EQ(redo.text(), QStringLiteral("&Redo Delete entry ") + id);
    redo.trigger();
    EXPECT_EQ(listRows(*m_window).size(), 1);
    EXPECT_FALSE(redo.isEnabled());
    EXPECT_EQ(redo.text(), QStringLiteral("&Redo"));
}

TEST_F(MainMenuTest, UndoRefusesOnceAnotherProgramMadeANewerChangeAndThenNamesThatOne)
{
    QAction& undo = *m_window->undoActions()->undo();
    ASSERT_EQ(undo.text(), QStringLiteral("&Undo Add entry 2"));
    execute({QStringLiteral("delete from [Work Hours] where ID = 1")});

    undo.trigger();
    ASSERT_EQ(m_ui.messages().size(), 1);
    EXPECT_TRUE(m_ui.messages().at(0).text.startsWith(
        QStringLiteral("Cannot undo \"Add entry 2\": \"Delete entry 1\" is the newest change now")))
        << m_ui.messages().at(0).text.toStdString();
    ASSERT_EQ(listRows(*m_window).size(), 1);
    EXPECT_EQ(listRows(*m_window).at(0).at(0), QStringLiteral("2"));
    EXPECT_EQ(undo.text(), QStringLiteral("&Undo Delete entry 1"));
}

TEST_F(MainMenuTest, AboutNamesTheVersionAndTheLicence)
{
    action("actionAbout").trigger();
    ASSERT_EQ(m_ui.messages().size(), 1);
    EXPECT_TRUE(m_ui.messages().at(0).text.startsWith(QStringLiteral("Hourvane ") + QString::fromLatin1(build::kVersion)));
    EXPECT_TRUE(m_ui.messages().at(0).text.contains(QStringLiteral("GNU General Public License, version 3")));
}

TEST_F(MainMenuTest, ManualOpensTheManualBesideTheProgram)
{
    const QString manual = placeManual();
    action("actionManual").trigger();
    EXPECT_TRUE(m_ui.messages().isEmpty());
    EXPECT_EQ(m_openedPages.value(m_openedPages.size() - 1), QUrl::fromLocalFile(manual).toString());
}

TEST_F(MainMenuTest, AManualMissingFromTheProgramFolderIsSaidWithItsPlace)
{
    fs::setProgramFolder(m_programFolder.path());
    action("actionManual").trigger();
    EXPECT_TRUE(m_openedPages.isEmpty());
    ASSERT_EQ(m_ui.messages().size(), 1);
    EXPECT_EQ(m_ui.messages().at(0).text, QStringLiteral("The manual cannot be shown: there is nothing at '%1'.")
                                              .arg(m_programFolder.filePath(QStringLiteral("manual.html"))));
}

TEST_F(MainMenuTest, QuitClosesTheWindowAsItsCloseButtonDoes)
{
    m_window->show();
    action("actionQuit").trigger();
    EXPECT_EQ(m_endCalls, 1);
    EXPECT_FALSE(m_window->isVisible());
}

TEST_F(MainMenuTest, ExportWritesEveryEntryAndSaysHowMany)
{
    const QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("hours.csv"));
    m_ui.answerNextFile(file);
    action("actionExport").trigger();
    ASSERT_EQ(m_ui.fileRequests().size(), 1);
    EXPECT_EQ(m_ui.fileRequests().at(0).purpose, FileRequest::Save);
    ASSERT_EQ(m_ui.messages().size(), 1);
    EXPECT_EQ(m_ui.messages().at(0).text, QStringLiteral("Exported 2 entries to '%1'.").arg(file));
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = written.readAll().split('\n');
    EXPECT_EQ(lines.value(0), "ID,Employee,Date Worked,Work Code,Hours,Billable,Work Description\r");
    EXPECT_EQ(lines.value(2), "2,Ann Archer,2026-12-02,Design,3,Yes,second\r");

    // Cancelled, nothing is written or said.
    m_ui.clear();
    action("actionExport").trigger();
    EXPECT_TRUE(m_ui.messages().isEmpty());
}

// A file the File menu's tasks refuse, and why.
struct Refusal {
    const char* action;
    const char* file;  // under the data folder; "" for the folder itself
    const char* reason;
};

class RefusedFileTest : public MainMenuTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedFileTest, IsNamedAndNothingChanges)
{
    const QString file = dataFolder() + QString::fromLatin1(GetParam().file);
    m_ui.answerNextFile(file);
    action(GetParam().action).trigger();
    ASSERT_EQ(m_ui.messages().size(), 1);
    EXPECT_TRUE(m_ui.messages().at(0).text.endsWith(QString::fromLatin1(GetParam().reason)))
        << m_ui.messages().at(0).text.toStdString();
    EXPECT_EQ(listRows(*m_window).size(), 2);
    EXPECT_TRUE(QFile::exists(liveDatabase()));
}

INSTANTIATE_TEST_SUITE_P(
    Files, RefusedFileTest,
    ::testing::Values(Refusal{"actionExport", "/dbData.mdb", "it is the live database itself."},
                      Refusal{"actionExport", "", "it is a folder."},
                      Refusal{"actionImport", "/dbData.mdb", "it is the live database itself."},
                      Refusal{"actionImport", "/missing.mdb", "."}));

TEST_F(MainMenuTest, BackUpNowThenRestoreBringsTheBackupBackAndTheWindowGoesOn)
{
    // Start-up made the copy of the day; the menu adds one more.
    const QString backups = backupsFolder();
    const QStringList before = QDir(backups).entryList({QStringLiteral("*.mdb")}, QDir::Files);
    m_now = QDateTime::currentDateTime().addSecs(60);
    action("actionBackUp").trigger();
    ASSERT_EQ(m_ui.messages().size(), 1);
    QStringList copies = QDir(backups).entryList({QStringLiteral("*.mdb")}, QDir::Files);
    for (const QString& old : before)
        copies.removeOne(old);
    ASSERT_EQ(copies.size(), 1);
    const QString copy = backups + u'/' + copies.first();
    EXPECT_EQ(m_ui.messages().at(0).text, QStringLiteral("Backup written to '%1'.").arg(copy));

    execute({QStringLiteral("delete from [Work Hours] where ID=1")});
    m_window->ListData();
    ASSERT_EQ(listRows(*m_window).size(), 1);

    // Answered No, nothing is restored.
    m_ui.clear();
    m_ui.answerNextFile(copy);
    m_ui.answerNext(QMessageBox::No);
    action("actionRestore").trigger();
    EXPECT_EQ(listRows(*m_window).size(), 1);
    EXPECT_EQ(m_ui.fileRequests().value(0).directory, backups);

    m_ui.clear();
    m_ui.answerNextFile(copy);
    m_ui.answerNext(QMessageBox::Yes);
    action("actionRestore").trigger();
    ASSERT_EQ(m_ui.messages().size(), 2);
    EXPECT_TRUE(m_ui.messages().at(1).text.startsWith(QStringLiteral("Restored '%1'").arg(copy)))
        << m_ui.messages().at(1).text.toStdString();
    EXPECT_TRUE(m_ui.errorReports().isEmpty());
    EXPECT_EQ(listRows(*m_window).size(), 2);
    // The window holds the database again, so another restore waits for it.
    backup::DatabaseUseLock other;
    EXPECT_FALSE(other.useAlone(liveDatabase()));
}

// A place of this machine a command shows, when the desktop can start no
// program for it.
struct LocalPlace {
    const char* action;
    const char* what;
    QString (*path)();
};

void PrintTo(const LocalPlace& place, std::ostream* out)
{
    *out << place.action;
}

class UnshownPlaceTest : public MainMenuTest, public ::testing::WithParamInterface<LocalPlace> {};

TEST_P(UnshownPlaceTest, SaysSoAndWhereItIs)
{
    placeManual();
    const QString path = GetParam().path();
    m_desktopOpens = false;
    action(GetParam().action).trigger();
    EXPECT_EQ(m_openedPages.value(m_openedPages.size() - 1), QUrl::fromLocalFile(path).toString());
    ASSERT_EQ(m_ui.messages().size(), 1);
    EXPECT_EQ(m_ui.messages().at(0).icon, QMessageBox::Warning);
    EXPECT_EQ(m_ui.messages().at(0).text, QStringLiteral("No program could be started to show the %1. You will find it at '%2'.")
                                              .arg(QString::fromLatin1(GetParam().what), path));
}

INSTANTIATE_TEST_SUITE_P(Places, UnshownPlaceTest,
                         ::testing::Values(LocalPlace{"actionManual", "manual", places::manualPath},
                                           LocalPlace{"actionShowBackups", "backups folder", backupsFolder}),
                         [](const auto& info) { return std::string(info.param.action); });

TEST_F(MainMenuTest, ShowBackupsFolderOpensTheFolderThroughTheDesktop)
{
    action("actionShowBackups").trigger();
    EXPECT_TRUE(m_ui.messages().isEmpty());
    EXPECT_EQ(m_openedPages.value(m_openedPages.size() - 1), QUrl::fromLocalFile(backupsFolder()).toString());
    EXPECT_TRUE(QDir(backupsFolder()).exists());
}

}  // namespace
}  // namespace hv::test
