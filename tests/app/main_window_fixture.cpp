#include "main_window_fixture.h"

#include "core/file_system.h"
#include "gui/shared_connection.h"
#include "app/work_hours_model.h"
#include "data/connection.h"

namespace hv::test {

void MainWindowTest::SetUp()
{
    fs::setProgramFolder(programFolder());
}

void MainWindowTest::TearDown()
{
    SharedConnection::release();
    fs::setProgramFolder({});
}

std::unique_ptr<Form1> MainWindowTest::start()
{
    Form1::Environment env;
    env.random = [this] { return m_draw; };
    env.openPage = [this](const QString& url) { m_openedPages.append(url); };
    env.endProgram = [this] { ++m_endCalls; };
    env.now = [this] { return m_now.isValid() ? m_now : QDateTime::currentDateTime(); };
    env.waitForRestoreMs = m_waitForRestoreMs;
    auto window = std::make_unique<Form1>(env);
    window->Form_Load();
    return window;
}

void MainWindowTest::closeWindow(std::unique_ptr<Form1>& window)
{
    window->show();
    window->close();
    window.reset();
}

QString MainWindowTest::dataFolder() const
{
    return m_folders.dataHome() + QStringLiteral("/Harrowfen/Hourvane");
}

QString MainWindowTest::liveDatabase() const
{
    return dataFolder() + QStringLiteral("/dbData.mdb");
}

QString MainWindowTest::entryInsert(int employee, const QString& day, int workCode, const QString& hours,
                                    const QString& text)
{
    QString quoted = text;
    quoted.replace(u'\'', QStringLiteral("''"));
    return QStringLiteral("insert into [Work Hours] (Employee,[Date Worked],[Work Code],Hours,[Work Description]) "
                          "values (%1,'%2',%3,'%4','%5')")
        .arg(employee)
        .arg(day)
        .arg(workCode)
        .arg(hours, quoted);
}

void MainWindowTest::addAnnsEntries(const QStringList& descriptions) const
{
    QStringList statements{QStringLiteral("insert into Employees ([First Name],[Last Name]) values ('Ann','Archer')"),
                           QStringLiteral("insert into [Work Codes] (Description,Billable) values ('Design',TRUE)")};
    for (int n = 1; n <= descriptions.size(); ++n)
        statements << entryInsert(1, QStringLiteral("2026-12-%1").arg(n, 2, 10, QLatin1Char('0')), 1,
                                  QString::number(n + 1), descriptions.at(n - 1));
    execute(statements);
}

void MainWindowTest::execute(const QStringList& statements) const
{
    data::Connection connection;
    connection.Open(QStringLiteral("provider=microsoft.jet.oledb.4.0;data source=") + liveDatabase()
                    + QStringLiteral(";JET OLEDB:Database Password="));
    for (const QString& sql : statements)
        connection.Execute(sql);
    connection.Close();
}

QList<QStringList> MainWindowTest::listRows(const Form1& window)
{
    QList<QStringList> rows;
    const WorkHoursModel& model = *window.listModel();
    for (int r = 0; r < model.rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < model.columnCount(); ++c)
            row.append(model.text(r, c));
        rows.append(row);
    }
    return rows;
}

}  // namespace hv::test
