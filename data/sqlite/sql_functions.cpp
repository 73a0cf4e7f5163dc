#include "data/sqlite/sql_functions.h"

#include "data/column_conversion.h"
#include "core/locale_text.h"
#include "core/utf8_text.h"

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
    return text::textFromUtf8(text, sqlite3_value_bytes(value));
}

QString columnName(sqlite3_value** argv, int argc)
{
    return argc > 1 ? valueText(argv[1]) : QStringLiteral("?");
}

void resultText(sqlite3_context* context, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_result_text(context, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

ColumnInput inputOf(sqlite3_value* value)
{
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
        return ColumnInput::ofInteger(sqlite3_value_int64(value));
    case SQLITE_FLOAT:
        return ColumnInput::ofReal(sqlite3_value_double(value));
    case SQLITE_TEXT:
        return ColumnInput::ofText(valueText(value));
    case SQLITE_BLOB:
        return {ColumnInput::Binary, 0, 0.0, {}};
    default:
        return ColumnInput::null();
    }
}

// Converts the first argument for a column of `kind` (the second argument
// names the column), the same rule as every engine's; a value that cannot be
// stored fails the statement, so it writes nothing.
template <ColumnKind kind>
void convertValue(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    QString refusal;
    const std::optional<ColumnValue> stored =
        ColumnConversion::convert(kind, inputOf(argv[0]), columnName(argv, argc), refusal);
    if (!stored) {
        const QByteArray utf8 = refusal.toUtf8();
        sqlite3_result_error(context, utf8.constData(), static_cast<int>(utf8.size()));
        return;
    }
    switch (stored->kind) {
    case ColumnValue::Null: sqlite3_result_null(context); break;
    case ColumnValue::Integer: sqlite3_result_int64(context, stored->integer); break;
    case ColumnValue::Real: sqlite3_result_double(context, stored->real); break;
    case ColumnValue::Text: resultText(context, stored->text); break;
    }
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

int registerSqlFunctions(sqlite3* db)
{
    // The conversions read the user's current regional settings, so they are
    // not deterministic, and they are meant for statements, not for schema.
    constexpr int flags = SQLITE_UTF8 | SQLITE_DIRECTONLY;
    struct Scalar {
        const char* name;
        void (*function)(sqlite3_context*, int, sqlite3_value**);
    };
    for (const Scalar& scalar : {Scalar{"hv_date", convertValue<ColumnKind::Date>},
                                 Scalar{"hv_number", convertValue<ColumnKind::Number>},
                                 Scalar{"hv_integer", convertValue<ColumnKind::Integer>},
                                 Scalar{"hv_bool", convertValue<ColumnKind::YesNo>}}) {
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
