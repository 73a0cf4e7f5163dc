// The commands of a database on a server, through the real program in a
// process of its own with no display: choosing the server and going back,
// creating the tables, copying the local database there, import and export
// against it, and backups that are the server's job.
#include "command_environment.h"
#include "fixtures/old_file_variants.h"
#include "support/test_environment.h"
#include "support/test_server.h"

#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QUrl>
#include <QUrlQuery>
#include <gtest/gtest.h>

namespace hv::test {
namespace {

struct Outcome {
    int code = -1;
    QString out;
    QString err;
};

class ServerCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testServerAddress())
            GTEST_SKIP() << noTestServerReason().toStdString();
    }

    // The program run in `home` (by default the test's own).
    Outcome hourvane(QStringList arguments, const QString& home = QString()) const
    {
        QProcess process;
        process.setProcessEnvironment(commandEnvironment(home.isEmpty() ? m_home.path() : home));
        process.start(QStringLiteral(HOURVANE_EXECUTABLE), arguments);
        process.closeWriteChannel();
        process.waitForFinished(120000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
    }

    QString savedAddress() const
    {
        QSettings settings(m_home.path() + QStringLiteral("/config/Harrowfen.ini"), QSettings::IniFormat);
        return settings.value(QStringLiteral("Hourvane/ServerAddress")).toString();
    }

    QByteArray exported(const QString& name) const
    {
        const QString path = m_home.filePath(name);
        const Outcome outcome = hourvane({QStringLiteral("--export"), path});
        EXPECT_EQ(outcome.code, 0) << outcome.err.toStdString();
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_home;
};

TEST_F(ServerCommands, ChooseCreateCopyImportExportAndGoBack)
{
    const TestServerSchema empty(false);
    // A database without the tables is refused, and nothing is saved.
    Outcome outcome = hourvane({QStringLiteral("--use-server"), empty.address()});
    EXPECT_EQ(outcome.code, 1);
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("holds none of Hourvane's tables"))) << outcome.err.toStdString();
    EXPECT_EQ(savedAddress(), QString());

    outcome = hourvane({QStringLiteral("--init-server"), empty.address()});
    EXPECT_EQ(outcome.code, 0) << outcome.err.toStdString();
    // Its advice names only a next step that the database now takes.
    EXPECT_TRUE(outcome.out.contains(QStringLiteral("--use-server"))) << outcome.out.toStdString();
    EXPECT_FALSE(outcome.out.contains(QStringLiteral("--copy-to-server"))) << outcome.out.toStdString();
    outcome = hourvane({QStringLiteral("--init-server"), empty.address()});
    EXPECT_EQ(outcome.code, 1);
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("already holds"))) << outcome.err.toStdString();

    // The local database, filled from an old file, copied to another schema.
    outcome = hourvane({QStringLiteral("--import"), oldFixture()});
    ASSERT_EQ(outcome.code, 0) << outcome.err.toStdString();
    const QByteArray local = exported(QStringLiteral("local.csv"));
    const TestServerSchema copy(false);
    outcome = hourvane({QStringLiteral("--copy-to-server"), copy.address()});
    ASSERT_EQ(outcome.code, 0) << outcome.err.toStdString();

    outcome = hourvane({QStringLiteral("--use-server"), copy.address()});
    ASSERT_EQ(outcome.code, 0) << outcome.err.toStdString();
    EXPECT_EQ(savedAddress(), copy.address());
    EXPECT_EQ(exported(QStringLiteral("copy.csv")), local);
    for (const char* job : {"--backup", "--restore"}) {
        QStringList arguments{QString::fromLatin1(job)};
        if (arguments[0] == u"--restore")
            arguments << m_home.filePath(QStringLiteral("anything.mdb"));
        outcome = hourvane(arguments);
        EXPECT_EQ(outcome.code, 1) << job;
        EXPECT_TRUE(outcome.err.contains(QStringLiteral("pg_dump"))) << outcome.err.toStdString();
    }

    // A run with a data folder of its own works on the local database there.
    const QString localCopy = m_home.filePath(QStringLiteral("local-again.csv"));
    outcome = hourvane({QStringLiteral("--data-dir"), m_home.path() + QStringLiteral("/data/Harrowfen/Hourvane"),
                        QStringLiteral("--export"), localCopy});
    ASSERT_EQ(outcome.code, 0) << outcome.err.toStdString();
    QFile again(localCopy);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), local);
    EXPECT_EQ(hourvane({QStringLiteral("--data-dir"), m_home.path() + QStringLiteral("/data/Harrowfen/Hourvane"),
                        QStringLiteral("--backup")})
                  .code,
              0);

    // The same old file imported into the empty server database gives the
    // same entries as on the local file.
    outcome = hourvane({QStringLiteral("--use-server"), empty.address()});
    ASSERT_EQ(outcome.code, 0) << outcome.err.toStdString();
    outcome = hourvane({QStringLiteral("--import"), oldFixture()});
    ASSERT_EQ(outcome.code, 0) << outcome.err.toStdString();
    EXPECT_EQ(exported(QStringLiteral("imported.csv")), local);

    outcome = hourvane({QStringLiteral("--use-local")});
    EXPECT_EQ(outcome.code, 0) << outcome.err.toStdString();
    EXPECT_EQ(savedAddress(), QString());
    EXPECT_EQ(exported(QStringLiteral("again.csv")), local);
}

// An address for the role that logs in with a password only: {password},
// {host}, {port} and {schema} are filled in; `right` when the password written is the
// role's own.
// Every way of writing a password is read by the address parser's own test;
// here, one of each kind, end to end.
struct PasswordForm {
    const char* address;
    bool right;
};

class PasswordInAddress : public ServerCommands, public ::testing::WithParamInterface<PasswordForm> {};
INSTANTIATE_TEST_SUITE_P(
    Forms, PasswordInAddress,
    ::testing::Values(
        PasswordForm{"postgresql://hourvane_prompt:{password}@/hourvane_test?host={host}&port={port}"
                     "&options=-c%20search_path%3D{schema}",
                     true},
        PasswordForm{"postgresql://hourvane_prompt@/hourvane_test?%70assword={password}&host={host}&port={port}"
                     "&options=-c%20search_path%3D{schema}",
                     true},
        PasswordForm{"host='{host}' port={port} dbname=hourvane_test user=hourvane_prompt password = '{password}' "
                     "options='-c search_path={schema}'",
                     true},
        PasswordForm{"postgresql://hourvane_prompt:wr?ng#{password}@/hourvane_test?host={host}&port={port}"
                     "&options=-c%20search_path%3D{schema}",
                     false}));

// However the password is written, it is used to connect, then never saved
// and never printed, whether the server took it or not.
TEST_P(PasswordInAddress, IsNeverSavedNorPrinted)
{
    const TestServerSchema schema;
    const QString password = QString::fromUtf8(qgetenv("HOURVANE_TEST_SERVER_PROMPT_PASSWORD"));
    ASSERT_EQ(schema.run("GRANT USAGE ON SCHEMA " + schema.name().toUtf8() + " TO hourvane_prompt; "
                         "GRANT SELECT ON ALL TABLES IN SCHEMA " + schema.name().toUtf8() + " TO hourvane_prompt"),
              QString());
    const QString base = QString::fromUtf8(qgetenv("HOURVANE_TEST_SERVER_PROMPT"));
    const QUrlQuery query(QUrl(base).query());
    const QString address = QString::fromUtf8(GetParam().address)
                                .replace(QStringLiteral("{password}"), password)
                                .replace(QStringLiteral("{host}"), query.queryItemValue(QStringLiteral("host")))
                                .replace(QStringLiteral("{port}"), query.queryItemValue(QStringLiteral("port")))
                                .replace(QStringLiteral("{schema}"), schema.name());

    const Outcome outcome = hourvane({QStringLiteral("--use-server"), address});
    EXPECT_FALSE(outcome.out.contains(password));
    EXPECT_FALSE(outcome.err.contains(password)) << outcome.err.toStdString();
    if (GetParam().right) {
        EXPECT_EQ(outcome.code, 0) << outcome.err.toStdString();
        EXPECT_TRUE(outcome.out.contains(QStringLiteral("password in the address was not saved")));
        EXPECT_EQ(savedAddress(), schema.addressFor(base));
    } else {
        EXPECT_EQ(outcome.code, 1);
        EXPECT_TRUE(outcome.err.contains(QStringLiteral("password authentication failed"))) << outcome.err.toStdString();
        EXPECT_EQ(savedAddress(), QString());
    }
    QFile settings(m_home.path() + QStringLiteral("/config/Harrowfen.ini"));
    if (settings.open(QIODevice::ReadOnly)) {
        EXPECT_FALSE(settings.readAll().contains(password.toUtf8()));
    }
}

// Without a terminal, a password the server asks for is not to be had: said
// plainly, nothing changes.
TEST_F(ServerCommands, APasswordTheServerAsksForIsNotToBeHadWithoutATerminal)
{
    const TestServerSchema schema;
    ASSERT_EQ(schema.run("GRANT USAGE ON SCHEMA " + schema.name().toUtf8() + " TO hourvane_prompt; "
                         "GRANT SELECT ON ALL TABLES IN SCHEMA " + schema.name().toUtf8() + " TO hourvane_prompt"),
              QString());
    QString address = schema.addressFor(QString::fromUtf8(qgetenv("HOURVANE_TEST_SERVER_PROMPT")));
    address.replace(QStringLiteral("hourvane_prompt@"),
                    QStringLiteral("hourvane_prompt:%1@").arg(QString::fromUtf8(qgetenv("HOURVANE_TEST_SERVER_PROMPT_PASSWORD"))));
    ASSERT_EQ(hourvane({QStringLiteral("--use-server"), address}).code, 0);
    const Outcome export_ = hourvane({QStringLiteral("--export"), m_home.filePath(QStringLiteral("x.csv"))});
    EXPECT_EQ(export_.code, 1);
    EXPECT_TRUE(export_.err.contains(QStringLiteral("password"))) << export_.err.toStdString();
}

}  // namespace
}  // namespace hv::test

namespace hv::test {
namespace {

// Rights per login through the commands: the owner gives a login the right to
// read only, that login's commands read and are refused every write with the
// reason, --history names who made each change, and the rights are taken back.
TEST_F(ServerCommands, GrantAndRevokeAccessDecideWhatALoginMayDo)
{
    const QStringList logins = qEnvironmentVariable("HOURVANE_TEST_SERVER_LOGINS").split(u',', Qt::SkipEmptyParts);
    if (logins.isEmpty())
        GTEST_SKIP() << "the test server has no logins to give rights to (HOURVANE_TEST_SERVER_LOGINS)";
    const QString reader = logins[0];
    Outcome outcome = hourvane({QStringLiteral("--grant-access"), reader, QStringLiteral("reader")});
    EXPECT_EQ(outcome.code, 1);
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("--use-server"))) << outcome.err.toStdString();

    const TestServerSchema schema;
    ASSERT_EQ(hourvane({QStringLiteral("--use-server"), schema.address()}).code, 0);
    ASSERT_EQ(hourvane({QStringLiteral("--import"), oldFixture()}).code, 0);
    EXPECT_EQ(hourvane({QStringLiteral("--grant-access"), reader}).code, 2);
    outcome = hourvane({QStringLiteral("--grant-access"), reader, QStringLiteral("boss")});
    EXPECT_EQ(outcome.code, 1);
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("editor"))) << outcome.err.toStdString();
    outcome = hourvane({QStringLiteral("--grant-access"), reader, QStringLiteral("reader")});
    ASSERT_EQ(outcome.code, 0) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.out.contains(QStringLiteral(" readers\""))) << outcome.out.toStdString();

    QTemporaryDir readersHome;
    ASSERT_EQ(hourvane({QStringLiteral("--use-server"), schema.addressAs(reader)}, readersHome.path()).code, 0);
    outcome = hourvane({QStringLiteral("--export"), QStringLiteral("-")}, readersHome.path());
    EXPECT_EQ(outcome.code, 0) << outcome.err.toStdString();
    EXPECT_EQ(outcome.out.count(u'\n'), 2001);
    outcome = hourvane({QStringLiteral("--history")}, readersHome.path());
    EXPECT_TRUE(outcome.out.contains(QStringLiteral("\thourvane\tImport "))) << outcome.out.toStdString();
    for (const QStringList& write : {QStringList{QStringLiteral("--import"), oldFixture()},
                                     QStringList{QStringLiteral("--undo")}}) {
        outcome = hourvane(write, readersHome.path());
        EXPECT_EQ(outcome.code, 1) << write.join(u' ').toStdString();
        EXPECT_TRUE(outcome.err.contains(QStringLiteral("'%1' may only read").arg(reader))) << outcome.err.toStdString();
    }

    outcome = hourvane({QStringLiteral("--revoke-access"), reader});
    ASSERT_EQ(outcome.code, 0) << outcome.err.toStdString();
    outcome = hourvane({QStringLiteral("--export"), QStringLiteral("-")}, readersHome.path());
    EXPECT_EQ(outcome.code, 1);
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("has no rights"))) << outcome.err.toStdString();
}

}  // namespace
}  // namespace hv::test
