#include "server_address.h"

#include "postgres_handles.h"

#include <QRegularExpression>
#include <QUrl>
#include <memory>

namespace hv::data {

namespace {

struct OptionsFreer {
    void operator()(PQconninfoOption* options) const noexcept { PQconninfoFree(options); }
};

// The URI's options as libpq reads them; null (and `error` set) when it
// cannot read them.
std::unique_ptr<PQconninfoOption, OptionsFreer> parsed(const QString& uri, QString* error = nullptr)
{
    char* message = nullptr;
    std::unique_ptr<PQconninfoOption, OptionsFreer> options(PQconninfoParse(uri.toUtf8().constData(), &message));
    if (message) {
        if (error)
            *error = QString::fromUtf8(message).trimmed();
        PQfreemem(message);
    }
    return options;
}

QString option(const PQconninfoOption* options, const char* keyword)
{
    for (const PQconninfoOption* o = options; o && o->keyword; ++o) {
        if (qstrcmp(o->keyword, keyword) == 0)
            return o->val ? QString::fromUtf8(o->val) : QString();
    }
    return {};
}

}  // namespace

bool ServerAddress::isServerAddress(const QString& text)
{
    const QString trimmed = text.trimmed();
    return trimmed.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || trimmed.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

QString ServerAddress::problem(const QString& uri)
{
    if (!isServerAddress(uri))
        return QStringLiteral("The server address '%1' is not a PostgreSQL connection URI: it must begin with "
                              "postgresql:// (for example postgresql://hours.example.com/hourvane).")
            .arg(uri);
    QString error;
    if (!parsed(uri, &error))
        return QStringLiteral("The server address '%1' cannot be read: %2").arg(withoutPassword(uri), error);
    return {};
}

bool ServerAddress::hasPassword(const QString& uri)
{
    const auto options = parsed(uri);
    return options && !option(options.get(), "password").isEmpty();
}

QString ServerAddress::withoutPassword(const QString& uri)
{
    QString text = uri;
    // user:password@ in the authority part
    static const QRegularExpression userInfo(QStringLiteral("^([A-Za-z]+://[^/@?#:]*):[^/@?#]*@"));
    text.replace(userInfo, QStringLiteral("\\1@"));
    // password=... among the parameters
    static const QRegularExpression parameter(QStringLiteral("([?&])password=[^&#]*&?"),
                                              QRegularExpression::CaseInsensitiveOption);
    text.replace(parameter, QStringLiteral("\\1"));
    if (text.endsWith(u'&') || text.endsWith(u'?'))
        text.chop(1);
    return text;
}

QString ServerAddress::hostName(const QString& uri)
{
    const auto options = parsed(uri);
    QString host = options ? option(options.get(), "host").section(u',', 0, 0) : QString();
    if (host.isEmpty() && options)
        host = option(options.get(), "hostaddr").section(u',', 0, 0);
    if (host.isEmpty() || host.startsWith(u'/') || host.startsWith(u'@'))
        return QStringLiteral("this computer");
    return host;
}

}  // namespace hv::data
