#include "data/postgres/address.h"

#include "data/postgres/handles.h"

#include <QList>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>
#include <algorithm>
#include <memory>

#include <arpa/inet.h>
#include <netinet/in.h>

namespace hv::data {

namespace {

struct OptionsFreer {
    void operator()(PQconninfoOption* options) const noexcept { PQconninfoFree(options); }
};
using Options = std::unique_ptr<PQconninfoOption, OptionsFreer>;

const QString kMask = QStringLiteral("****");

bool isUri(const QString& text)
{
    const QString trimmed = text.trimmed();
    return trimmed.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || trimmed.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

// The options libpq reads in the address (only those it names); null, and
// `error` set, when it cannot read them.
Options parsed(const QString& address, QString* error = nullptr)
{
    // libpq would read the text only up to a NUL.
    if (address.contains(QChar(0))) {
        if (error)
            *error = QStringLiteral("it holds the character NUL (code 0)");
        return nullptr;
    }
    char* message = nullptr;
    Options options(PQconninfoParse(address.trimmed().toUtf8().constData(), &message));
    if (message) {
        if (error)
            *error = QString::fromUtf8(message).trimmed();
        PQfreemem(message);
    }
    return options;
}

// The options that hold a secret: never kept, never shown.
bool isPasswordOption(const char* keyword)
{
    return qstrcmp(keyword, "password") == 0 || qstrcmp(keyword, "sslpassword") == 0;
}

QString option(const PQconninfoOption* options, const char* keyword)
{
    for (const PQconninfoOption* o = options; o && o->keyword; ++o) {
        if (qstrcmp(o->keyword, keyword) == 0)
            return o->val ? QString::fromUtf8(o->val) : QString();
    }
    return {};
}

// A value in the query part: escaped where libpq would read it otherwise
// (an '@' too, which libpq takes for the end of a user part when no '/'
// comes before it), a path or a list of hosts left readable.
QString queryValue(const QString& value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value, "/:,"));
}

// The URI that gives libpq the same options, passwords left out: user, a
// plain host and port, and the database in their usual places; socket
// folders, lists of hosts and every other option as parameters.
QString rebuilt(const PQconninfoOption* options)
{
    QString user;
    QString host;
    QString port;
    QString dbname;
    QStringList parameters;
    for (const PQconninfoOption* o = options; o && o->keyword; ++o) {
        if (!o->val || !*o->val || isPasswordOption(o->keyword))
            continue;
        const QString value = QString::fromUtf8(o->val);
        if (qstrcmp(o->keyword, "user") == 0)
            user = value;
        else if (qstrcmp(o->keyword, "host") == 0)
            host = value;
        else if (qstrcmp(o->keyword, "port") == 0)
            port = value;
        else if (qstrcmp(o->keyword, "dbname") == 0)
            dbname = value.contains(u'=') || isUri(value) ? ServerAddress::withoutPassword(value) : value;
        else
            parameters << QString::fromLatin1(o->keyword) + u'=' + queryValue(value);
    }
    QString uri = QStringLiteral("postgresql://");
    if (!user.isEmpty())
        uri += QString::fromLatin1(QUrl::toPercentEncoding(user)) + u'@';
    static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9.-]+$"));
    static const QRegularExpression ipv6(QStringLiteral("^[0-9A-Fa-f:.]*:[0-9A-Fa-f:.]*$"));
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    const bool plainHost = name.match(host).hasMatch() || ipv6.match(host).hasMatch();
    if (plainHost && (port.isEmpty() || digits.match(port).hasMatch())) {
        uri += host.contains(u':') ? u'[' + host + u']' : host;
        if (!port.isEmpty())
            uri += u':' + port;
    } else {
        if (!port.isEmpty())
            parameters.prepend(QStringLiteral("port=") + queryValue(port));
        if (!host.isEmpty())
            parameters.prepend(QStringLiteral("host=") + queryValue(host));
    }
    if (!dbname.isEmpty())
        uri += u'/' + QString::fromLatin1(QUrl::toPercentEncoding(dbname));
    if (!parameters.isEmpty())
        uri += u'?' + parameters.join(u'&');
    return uri;
}

// In a URI whose user part, as libpq reads it, holds no '@': the place of an
// '@' after the first '/' and before the parameters, which libpq would take
// into the port or the database name (a password with a '/' written as it
// is); -1 when there is none.
qsizetype misplacedAt(const QString& text)
{
    if (!isUri(text))
        return -1;
    const qsizetype start = text.indexOf(QLatin1String("://")) + 3;
    qsizetype at = start;
    while (at < text.size() && text.at(at) != u'@' && text.at(at) != u'/')
        ++at;
    if (at >= text.size() || text.at(at) == u'@')
        return -1;
    const qsizetype query = text.indexOf(u'?', at);
    const qsizetype sign = text.indexOf(u'@', at);
    return sign >= 0 && (query < 0 || sign < query) ? sign : -1;
}

// Text libpq cannot read, with whatever would be a password there masked:
// the part after ':' of a URI's user part (which, as libpq reads it, runs to
// the first '@' or '/'; a URI without its scheme is read the same way), and
// the value of any parameter or keyword whose name holds "password".
// `secrets` receives the masked texts as written.
QString masked(const QString& text, QStringList& secrets)
{
    QString shown = text;
    // Spans to mask, from the end so that earlier places stay valid.
    QList<std::pair<qsizetype, qsizetype>> spans;
    qsizetype queryFrom = 0;
    if (isUri(text) || !text.contains(u'=')) {
        const qsizetype scheme = text.indexOf(QLatin1String("://"));
        const qsizetype start = scheme < 0 ? 0 : scheme + 3;
        qsizetype at = start;
        while (at < text.size() && text.at(at) != u'@' && text.at(at) != u'/')
            ++at;
        // A '/' written as it is in a password ends libpq's user part early:
        // the '@' after it, before the parameters, still ends the password.
        const qsizetype slipped = misplacedAt(text);
        if (slipped >= 0)
            at = slipped;
        if (at < text.size() && text.at(at) == u'@') {
            const qsizetype colon = text.indexOf(u':', start);
            if (colon >= 0 && colon < at)
                spans.append({colon + 1, at - colon - 1});
            queryFrom = at;
        } else {
            queryFrom = start;
        }
        static const QRegularExpression parameter(QStringLiteral("[?&]([^=&]*)=([^&]*)"));
        for (auto match = parameter.globalMatch(text, queryFrom); match.hasNext();) {
            const QRegularExpressionMatch found = match.next();
            const QString key = QUrl::fromPercentEncoding(found.captured(1).toUtf8());
            if (key.contains(QLatin1String("password"), Qt::CaseInsensitive) && found.capturedLength(2) > 0)
                spans.append({found.capturedStart(2), found.capturedLength(2)});
        }
    } else {
        static const QRegularExpression keyword(QStringLiteral("([^=\\s]*password)\\s*=\\s*('(?:[^'\\\\]|\\\\.)*'?|\\S*)"),
                                                QRegularExpression::CaseInsensitiveOption);
        for (auto match = keyword.globalMatch(text); match.hasNext();) {
            const QRegularExpressionMatch found = match.next();
            if (found.capturedLength(2) > 0)
                spans.append({found.capturedStart(2), found.capturedLength(2)});
        }
    }
    std::sort(spans.begin(), spans.end());
    for (auto span = spans.crbegin(); span != spans.crend(); ++span) {
        if (span->second <= 0)
            continue;
        secrets << text.mid(span->first, span->second);
        shown.replace(span->first, span->second, kMask);
    }
    return shown;
}

}  // namespace

bool ServerAddress::isServerAddress(const QString& text)
{
    if (isUri(text))
        return true;
    return text.contains(u'=') && parsed(text) != nullptr;
}

QString ServerAddress::problem(const QString& address)
{
    if (!isUri(address) && !address.contains(u'=')) {
        QStringList secrets;
        return QStringLiteral("The server address '%1' is not a PostgreSQL connection URI: it must begin with "
                              "postgresql:// (for example postgresql://hours.example.com/hourvane).")
            .arg(masked(address.trimmed(), secrets));
    }
    QString error;
    const Options options = parsed(address, &error);
    if (!options) {
        // libpq's reason may quote the address, or the piece it stopped at.
        QStringList secrets;
        const QString shown = masked(address.trimmed(), secrets);
        error.replace(address.trimmed(), shown);
        for (const QString& secret : std::as_const(secrets))
            error.replace(secret, kMask);
        return QStringLiteral("The server address '%1' cannot be read: %2").arg(shown, error);
    }
    if (misplacedAt(address.trimmed()) >= 0) {
        QStringList secrets;
        return QStringLiteral("The server address '%1' cannot be read: an '@' after the host must be written %40, "
                              "and a '/' in a password %2F.")
            .arg(masked(address.trimmed(), secrets));
    }
    // A database name that is an address itself would be read as one by a
    // connection, and its password with it.
    const QString dbname = option(options.get(), "dbname");
    if (dbname.contains(u'=') || isUri(dbname))
        return QStringLiteral("The server address '%1' cannot be read: its database name is itself an address.")
            .arg(withoutPassword(address));
    return {};
}

bool ServerAddress::hasPassword(const QString& address)
{
    const Options options = parsed(address);
    return options && (!option(options.get(), "password").isEmpty() || !option(options.get(), "sslpassword").isEmpty());
}

QString ServerAddress::withoutPassword(const QString& address)
{
    const Options options = misplacedAt(address.trimmed()) < 0 ? parsed(address) : nullptr;
    if (options)
        return rebuilt(options.get());
    QStringList secrets;
    return masked(address.trimmed(), secrets);
}

bool ServerAddress::isOnThisComputer(const QString& host)
{
    // Empty: libpq's default, the Unix socket.
    if (host.isEmpty() || host.startsWith(u'/') || host.startsWith(u'@'))
        return true;
    if (host.compare(u"localhost", Qt::CaseInsensitive) == 0 || host.compare(u"localhost.", Qt::CaseInsensitive) == 0)
        return true;
    const QByteArray text = host.toLatin1();
    in_addr v4{};
    if (::inet_pton(AF_INET, text.constData(), &v4) == 1)
        return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    if (::inet_pton(AF_INET6, text.constData(), &v6) == 1)
        return IN6_IS_ADDR_LOOPBACK(&v6) || (IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127);
    return false;
}

namespace {

// The hosts a connection may use, one for each place in its list: the name
// (`host`, which the certificate is checked against) and the address it
// really goes to (a numeric `hostaddr` given for that place, else the name);
// the variables PGHOST and PGHOSTADDR where the address names neither.
struct Target {
    QString name;
    QString reached;
};

QList<Target> connectionTargets(const PQconninfoOption* options)
{
    QString hosts = option(options, "host");
    QString numbers = option(options, "hostaddr");
    if (hosts.isEmpty() && numbers.isEmpty()) {
        hosts = qEnvironmentVariable("PGHOST");
        numbers = qEnvironmentVariable("PGHOSTADDR");
    }
    const QStringList names = hosts.split(u',');
    const QStringList addresses = numbers.isEmpty() ? QStringList() : numbers.split(u',');
    QList<Target> targets;
    for (qsizetype i = 0; i < std::max(names.size(), addresses.size()); ++i) {
        const QString name = i < names.size() ? names.at(i).trimmed() : QString();
        const QString number = i < addresses.size() ? addresses.at(i).trimmed() : QString();
        targets.append({name, number.isEmpty() ? name : number});
    }
    return targets;
}

// True when a place of the list really reaches beyond this computer or, with
// `orByName`, names a host beyond it.
bool anyTargetBeyondThisComputer(const PQconninfoOption* options, bool orByName)
{
    const QList<Target> targets = connectionTargets(options);
    return std::any_of(targets.begin(), targets.end(), [&](const Target& target) {
        return !ServerAddress::isOnThisComputer(target.reached)
            || (orByName && !target.name.isEmpty() && !ServerAddress::isOnThisComputer(target.name));
    });
}

}  // namespace

bool ServerAddress::wantsVerifiedEncryption(const QString& address)
{
    const Options options = parsed(address);
    if (!options)
        return false;
    // An address that asks for any mode (or the older requiressl) has its way.
    if (!option(options.get(), "sslmode").isEmpty() || !option(options.get(), "requiressl").isEmpty()
        || !qEnvironmentVariableIsEmpty("PGSSLMODE") || !qEnvironmentVariableIsEmpty("PGREQUIRESSL"))
        return false;
    return anyTargetBeyondThisComputer(options.get(), true);
}

bool ServerAddress::refusesEncryptionBeyondThisComputer(const QString& address)
{
    const Options options = parsed(address);
    if (!options)
        return false;
    QString mode = option(options.get(), "sslmode");
    if (mode.isEmpty())
        mode = qEnvironmentVariable("PGSSLMODE");
    return mode.trimmed().compare(u"disable", Qt::CaseInsensitive) == 0 && anyTargetBeyondThisComputer(options.get(), false);
}

bool ServerAddress::reachesBeyondThisComputer(const QString& address)
{
    const Options options = parsed(address);
    return options && anyTargetBeyondThisComputer(options.get(), false);
}

QString ServerAddress::hostName(const QString& address)
{
    const Options options = parsed(address);
    QString host = options ? option(options.get(), "host").section(u',', 0, 0) : QString();
    if (host.isEmpty() && options)
        host = option(options.get(), "hostaddr").section(u',', 0, 0);
    if (host.isEmpty() || host.startsWith(u'/') || host.startsWith(u'@'))
        return QStringLiteral("on this computer");
    return host;
}

}  // namespace hv::data
