// Encryption by default off this computer: which addresses get the check of
// the server's certificate and name (sslmode=verify-full) when they ask for
// nothing themselves, and connections to the test server's TLS port with a
// certificate of the run's own authority: the right authority and name
// connect encrypted, a wrong authority or name is refused with advice, and an
// address may ask for less.
#include "fixtures/database_fixture.h"

#include "data/postgres/address.h"
#include "data/postgres/session.h"

namespace hv::test {
namespace {

// Sets (or, with nullptr, removes) an environment variable for the life of the object.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value)
        : m_name(name), m_before(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name))
    {
        if (value)
            qputenv(name, value);
        else
            qunsetenv(name);
    }
    ~ScopedEnvironment()
    {
        if (m_had)
            qputenv(m_name, m_before);
        else
            qunsetenv(m_name);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* m_name;
    QByteArray m_before;
    bool m_had;
};

struct EncryptionRule {
    const char* address;
    bool verified;
};

void PrintTo(const EncryptionRule& rule, std::ostream* out)
{
    *out << rule.address;
}

class DefaultEncryption : public ::testing::TestWithParam<EncryptionRule> {
protected:
    // The caller's own defaults stay out of it.
    ScopedEnvironment m_mode{"PGSSLMODE", nullptr};
    ScopedEnvironment m_host{"PGHOST", nullptr};
    ScopedEnvironment m_hostAddress{"PGHOSTADDR", nullptr};
};

TEST_P(DefaultEncryption, IsVerifiedFullyOnlyOffThisComputerAndWhereNothingIsAsked)
{
    EXPECT_EQ(data::ServerAddress::wantsVerifiedEncryption(QString::fromUtf8(GetParam().address)), GetParam().verified);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, DefaultEncryption,
    ::testing::Values(EncryptionRule{"postgresql://hours.example.com/hourvane", true},
                      EncryptionRule{"host=hours.example.com dbname=hourvane", true},
                      EncryptionRule{"postgresql://192.0.2.7/hourvane", true},
                      EncryptionRule{"postgresql://[2001:db8::7]/hourvane", true},
                      EncryptionRule{"postgresql://128.0.0.1/hourvane", true},
                      EncryptionRule{"postgresql://localhost,hours.example.com/hourvane", true},
                      // The name counts, as the certificate is checked against it,
                      EncryptionRule{"postgresql://hours.example.com/hourvane?hostaddr=127.0.0.1", true},
                      // and so does the address the connection really goes to.
                      EncryptionRule{"postgresql://localhost/hourvane?hostaddr=192.0.2.7", true},
                      EncryptionRule{"host=localhost,localhost hostaddr=127.0.0.1,192.0.2.7", true},
                      EncryptionRule{"host=localhost hostaddr=127.0.0.2", false},
                      EncryptionRule{"postgresql://hours.example.com/hourvane?sslmode=require", false},
                      EncryptionRule{"postgresql://hours.example.com/hourvane?sslmode=disable", false},
                      EncryptionRule{"host=hours.example.com requiressl=1", false},
                      EncryptionRule{"postgresql:///hourvane", false},
                      EncryptionRule{"postgresql://localhost/hourvane", false},
                      EncryptionRule{"postgresql://LOCALHOST:5433/hourvane", false},
                      EncryptionRule{"postgresql://127.0.0.1/hourvane", false},
                      EncryptionRule{"postgresql://127.200.3.4/hourvane", false},
                      EncryptionRule{"postgresql://[::1]/hourvane", false},
                      EncryptionRule{"postgresql://[::ffff:127.0.0.1]/hourvane", false},
                      EncryptionRule{"postgresql:///hourvane?host=/var/run/postgresql", false},
                      EncryptionRule{"host=@abstract dbname=hourvane", false},
                      EncryptionRule{"hostaddr=127.0.0.1 dbname=hourvane", false},
                      EncryptionRule{"hostaddr=192.0.2.7 dbname=hourvane", true}));

// Encryption turned off is refused only where the connection really crosses
// a network; the title marks such a connection once it is allowed.
TEST(PlainTextBeyondThisComputer, IsRefusedOnlyWhereTheConnectionLeavesIt)
{
    const ScopedEnvironment mode("PGSSLMODE", nullptr);
    const ScopedEnvironment host("PGHOST", nullptr);
    const ScopedEnvironment hostAddress("PGHOSTADDR", nullptr);
    const std::pair<const char*, bool> cases[] = {
        {"postgresql://hours.example.com/hourvane?sslmode=disable", true},
        {"postgresql://localhost/hourvane?hostaddr=192.0.2.7&sslmode=disable", true},
        {"host=hours.example.com hostaddr=127.0.0.1 sslmode=disable", false},
        {"postgresql://127.0.0.1/hourvane?sslmode=disable", false},
        {"postgresql://hours.example.com/hourvane?sslmode=prefer", false},
        {"postgresql://hours.example.com/hourvane", false},
    };
    for (const auto& [address, refused] : cases)
        EXPECT_EQ(data::ServerAddress::refusesEncryptionBeyondThisComputer(QString::fromUtf8(address)), refused)
            << address;
    const ScopedEnvironment disabled("PGSSLMODE", "disable");
    EXPECT_TRUE(data::ServerAddress::refusesEncryptionBeyondThisComputer(QStringLiteral("host=hours.example.com")));
    const QString message =
        errorOf([] { data::PostgresSession session(QStringLiteral("host=hours.example.com dbname=h"), false); })
            .description();
    EXPECT_TRUE(message.contains(QStringLiteral("--allow-unencrypted"))) << message.toStdString();
}

TEST(DefaultEncryptionFromEnvironment, FollowsLibpqsOwnDefaults)
{
    const QString noHost = QStringLiteral("postgresql:///hourvane");
    {
        const ScopedEnvironment host("PGHOST", "hours.example.com");
        const ScopedEnvironment mode("PGSSLMODE", nullptr);
        EXPECT_TRUE(data::ServerAddress::wantsVerifiedEncryption(noHost));
    }
    const ScopedEnvironment mode("PGSSLMODE", "prefer");
    EXPECT_FALSE(data::ServerAddress::wantsVerifiedEncryption(QStringLiteral("postgresql://hours.example.com/h")));
}

// The test server's TLS port, reached by the name its certificate carries.
class ServerEncryption : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testServerAddress())
            GTEST_SKIP() << noTestServerReason().toStdString();
        if (qEnvironmentVariableIsEmpty("HOURVANE_TEST_SERVER_TLS_PORT"))
            GTEST_SKIP() << "the test server serves no TLS (HOURVANE_TEST_SERVER_TLS_PORT is not set)";
    }

    // {host} with hostaddr=127.0.0.1; `root` names the authority's file.
    static QString address(const QString& host, const QString& root, const QString& more = QString())
    {
        QString text = QStringLiteral("postgresql://hourvane@%1:%2/hourvane_test?hostaddr=127.0.0.1")
                           .arg(host, qEnvironmentVariable("HOURVANE_TEST_SERVER_TLS_PORT"));
        if (!root.isEmpty())
            text += QStringLiteral("&sslrootcert=") + root;
        return text + more;
    }
    static QString host() { return qEnvironmentVariable("HOURVANE_TEST_SERVER_TLS_HOST"); }
    static QString rightAuthority() { return qEnvironmentVariable("HOURVANE_TEST_SERVER_CA"); }
    static QString wrongAuthority() { return qEnvironmentVariable("HOURVANE_TEST_SERVER_OTHER_CA"); }

    // True when the session's connection is encrypted.
    static bool encrypted(data::PostgresSession& session)
    {
        const data::ServerResultHandle result =
            session.run("SELECT ssl FROM pg_stat_ssl WHERE pid = pg_backend_pid()");
        return PQntuples(result.get()) == 1 && qstrcmp(PQgetvalue(result.get(), 0, 0), "t") == 0;
    }

    ScopedEnvironment m_mode{"PGSSLMODE", nullptr};
};

TEST_F(ServerEncryption, TheRightAuthorityAndNameConnectEncryptedWithOrWithoutAsking)
{
    for (const QString& more : {QString(), QStringLiteral("&sslmode=verify-full")}) {
        data::PostgresSession session(address(host(), rightAuthority(), more), false);
        EXPECT_TRUE(encrypted(session)) << more.toStdString();
    }
}

TEST_F(ServerEncryption, AWrongAuthorityOrNameIsRefusedAndTheUserToldWhatToDo)
{
    const ScopedEnvironment noRoot("PGSSLROOTCERT", "/nonexistent/hourvane/root.crt");
    const std::pair<QString, const char*> refused[] = {
        {address(host(), wrongAuthority()), "certificate verify failed"},
        {address(QStringLiteral("elsewhere.test"), rightAuthority()), "does not match host name"},
        {address(host(), QString()), "root certificate file"},
    };
    for (const auto& [where, reason] : refused) {
        const QString message = errorOf([&] { data::PostgresSession session(where, false); }).description();
        EXPECT_TRUE(message.contains(QLatin1String(reason))) << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("sslmode=verify-full"))) << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("sslrootcert=FILE"))) << message.toStdString();
    }
    // Asked for explicitly, the check is the user's own: libpq's reason alone.
    const QString explicitly = address(host(), wrongAuthority(), QStringLiteral("&sslmode=verify-full"));
    const QString asked = errorOf([&] { data::PostgresSession session(explicitly, false); }).description();
    EXPECT_TRUE(asked.contains(QStringLiteral("certificate verify failed"))) << asked.toStdString();
    EXPECT_FALSE(asked.contains(QStringLiteral("sslrootcert=FILE"))) << asked.toStdString();
}

TEST_F(ServerEncryption, AnAddressMayAskForLess)
{
    // (With a root certificate at hand, libpq checks the authority even under require.)
    const ScopedEnvironment noRoot("PGSSLROOTCERT", "/nonexistent/hourvane/root.crt");
    data::PostgresSession encryptedOnly(
        address(QStringLiteral("elsewhere.test"), QString(), QStringLiteral("&sslmode=require")), false);
    EXPECT_TRUE(encrypted(encryptedOnly));
    data::PostgresSession plain(address(host(), QString(), QStringLiteral("&sslmode=disable")), false);
    EXPECT_FALSE(encrypted(plain));
}

}  // namespace
}  // namespace hv::test
