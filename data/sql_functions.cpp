#include "sql_functions.h"

#include "locale_text.h"
#include "utf8_text.h"

#include <sqlite3.h>

#include <QByteArray>
#include <optional>
#include <cmath>
#include <limits>

namespace hv::data {

namespace {

QString valueText(sqlite3_value* value)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return textFromUtf8(text, sqlite3_value_bytes(value));
}

QString columnName(sqlite3_value** argv, int argc)
{
    return argc > 1 ? valueText(argv[1]) : QStringLiteral("?");
}

// Fails the statement: "Cannot store 'x' in the column [c]: <reason>." A long
// value is quoted by its beginning, so the column and the reason stay legible.
void refuse(sqlite3_context* context, sqlite3_value** argv, int argc, const QString& reason)
{
    const QString message = QStringLiteral("Cannot store '%1' in the column [%2]: %3.")
                                .arg(sqlite3_value_type(argv[0]) == SQLITE_BLOB
                                         ? QStringLiteral("(binary data)")
                                         : text::excerpt(valueText(argv[0]), 60),
                                     columnName(argv, argc), reason);
    const QByteArray utf8 = message.toUtf8();
    sqlite3_result_error(context, utf8.constData(), static_cast<int>(utf8.size()));
}

void resultText(sqlite3_context* context, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_result_text(context, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

// A number as the platform stores a date: days since 30 December 1899, the
// fraction being the time of day (also for days before that date).
std::optional<QDateTime> fromSerialDate(double serial)
{
    if (!std::isfinite(serial) || serial < -657434.0 || serial >= 2958466.0)
        return std::nullopt;
    const double days = std::trunc(serial);
    const qint64 seconds = std::llround(std::fabs(serial - days) * 86400.0);
    const QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(days));
    return QDateTime(date, QTime(0, 0), Qt::UTC).addSecs(seconds);
}

// Runs one conversion of a value written to a typed column: Null stays Null;
// otherwise `convert` sets the result and returns true, or returns false and
// the statement is refused, naming the value, the column and `reason`.
template <class Convert>
void convertOrRefuse(sqlite3_context* context, int argc, sqlite3_value** argv, const QString& reason,
                     Convert convert)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        sqlite3_result_null(context);
    else if (!convert(argv[0]))
        refuse(context, argv, argc, reason);
}

bool isNumeric(sqlite3_value* value)
{
    const int type = sqlite3_value_type(value);
    return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
}

// A number or a text in the user's number format; nothing for anything else.
std::optional<double> numberOf(sqlite3_value* value)
{
    if (isNumeric(value))
        return sqlite3_value_double(value);
    if (sqlite3_value_type(value) == SQLITE_TEXT)
        return text::textToNumber(valueText(value));
    return std::nullopt;
}

void toDate(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    convertOrRefuse(context, argc, argv,
                    QStringLiteral("it is not a date (dates are written as %1)").arg(text::shortDateFormat()),
                    [&](sqlite3_value* value) {
                        std::optional<QDateTime> dateTime;
                        if (isNumeric(value))
                            dateTime = fromSerialDate(sqlite3_value_double(value));
                        else if (sqlite3_value_type(value) == SQLITE_TEXT)
                            dateTime = text::textToDateTime(valueText(value));
                        if (dateTime)
                            resultText(context, dateTimeToStorageText(*dateTime));
                        return dateTime.has_value();
                    });
}

void toNumber(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    convertOrRefuse(context, argc, argv, QStringLiteral("it is not a number"), [&](sqlite3_value* value) {
        const std::optional<double> number = numberOf(value);
        if (number)
            sqlite3_result_double(context, *number);
        return number.has_value();
    });
}

void toInteger(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    convertOrRefuse(context, argc, argv, QStringLiteral("it is not a whole number"), [&](sqlite3_value* value) {
        if (sqlite3_value_type(value) == SQLITE_INTEGER) {
            sqlite3_result_int64(context, sqlite3_value_int64(value));
            return true;
        }
        // 2^63 is the first double past the 64-bit range.
        constexpr double limit = 9223372036854775808.0;
        const std::optional<double> number = numberOf(value);
        if (!number || *number != std::trunc(*number) || *number >= limit || *number < -limit)
            return false;
        sqlite3_result_int64(context, static_cast<sqlite3_int64>(*number));
        return true;
    });
}

void toBool(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    convertOrRefuse(context, argc, argv, QStringLiteral("it is not a yes/no value (True, False, -1 or 0)"),
                    [&](sqlite3_value* value) {
                        std::optional<bool> yes;
                        if (sqlite3_value_type(value) == SQLITE_TEXT) {
                            const QString text = valueText(value).trimmed();
                            for (const char* word : {"true", "yes", "on"})
                                if (text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0)
                                    yes = true;
                            for (const char* word : {"false", "no", "off"})
                                if (text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0)
                                    yes = false;
                        }
                        if (!yes) {
                            if (const std::optional<double> number = numberOf(value))
                                yes = *number != 0.0;
                        }
                        if (yes)
                            sqlite3_result_int(context, *yes ? -1 : 0);
                        return yes.has_value();
                    });
}

// First/Last: the value of the row with the smallest (largest) rowid, the
// order in which the engine reads a table, whatever the values themselves are.
struct ReadOrderPick {
    sqlite3_value* value;
    sqlite3_int64 rowid;
    bool found;
};

template <bool Last>
void pickStep(sqlite3_context* context, int /*argc*/, sqlite3_value** argv)
{
    auto* pick = static_cast<ReadOrderPick*>(sqlite3_aggregate_context(context, sizeof(ReadOrderPick)));
    if (!pick) {
        sqlite3_result_error_nomem(context);
        return;
    }
    const sqlite3_int64 rowid = sqlite3_value_int64(argv[1]);
    const bool better = !pick->found || (Last ? rowid > pick->rowid : rowid < pick->rowid);
    if (!better)
        return;
    sqlite3_value* copy = sqlite3_value_dup(argv[0]);
    if (!copy) {
        sqlite3_result_error_nomem(context);
        return;
    }
    sqlite3_value_free(pick->value);
    pick->value = copy;
    pick->rowid = rowid;
    pick->found = true;
}

void pickFinal(sqlite3_context* context)
{
    auto* pick = static_cast<ReadOrderPick*>(sqlite3_aggregate_context(context, 0));
    if (!pick || !pick->found) {
        sqlite3_result_null(context);
        return;
    }
    sqlite3_result_value(context, pick->value);
    sqlite3_value_free(pick->value);
    pick->value = nullptr;
}

}  // namespace

QString dateTimeToStorageText(const QDateTime& value)
{
    if (value.time() == QTime(0, 0))
        return value.date().toString(QStringLiteral("yyyy-MM-dd"));
    return value.date().toString(QStringLiteral("yyyy-MM-dd")) + u'T'
        + value.time().toString(QStringLiteral("HH:mm:ss"));
}

int registerSqlFunctions(sqlite3* db)
{
    // The conversions read the user's current regional settings, so they are
    // not deterministic, and they are meant for statements, not for schema.
    constexpr int flags = SQLITE_UTF8 | SQLITE_DIRECTONLY;
    struct Scalar {
        const char* name;
        void (*function)(sqlite3_context*, int, sqlite3_value**);
    };
    for (const Scalar& scalar : {Scalar{"hv_date", toDate}, Scalar{"hv_number", toNumber},
                                 Scalar{"hv_integer", toInteger}, Scalar{"hv_bool", toBool}}) {
        for (int argc : {1, 2}) {
            const int rc = sqlite3_create_function_v2(db, scalar.name, argc, flags, nullptr,
                                                      scalar.function, nullptr, nullptr, nullptr);
            if (rc != SQLITE_OK)
                return rc;
        }
    }
    int rc = sqlite3_create_function_v2(db, "hv_first", 2, flags | SQLITE_DETERMINISTIC, nullptr,
                                        nullptr, pickStep<false>, pickFinal, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "hv_last", 2, flags | SQLITE_DETERMINISTIC, nullptr,
                                        nullptr, pickStep<true>, pickFinal, nullptr);
    return rc;
}

}  // namespace hv::data
