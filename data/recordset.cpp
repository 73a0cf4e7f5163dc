#include "recordset.h"

#include "connection.h"
#include "locale_text.h"
#include "runtime_error.h"
#include "sql_dialect.h"
#include "sqlite_handles.h"
#include "utf8_text.h"

#include <QHash>
#include <QLocale>
#include <QStringList>
#include <vector>

namespace hv::data {

namespace {

RuntimeError objectClosed()
{
    return {err::ObjectClosed, QStringLiteral("Operation is not allowed when the object is closed.")};
}

RuntimeError noCurrentRecord()
{
    return {err::NoCurrentRecord,
            QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. Requested "
                           "operation requires a current record.")};
}

RuntimeError itemNotFound()
{
    return {err::ItemNotFound,
            QStringLiteral("Item cannot be found in the collection corresponding to the requested name or "
                           "ordinal.")};
}

int digits(const char* text, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// A stored date: "yyyy-MM-dd", optionally followed by 'T' (or a blank) and
// "HH:mm:ss" or "HH:mm". False for anything else.
bool parseStoredDate(const char* text, int size, QDate& date, QTime& time)
{
    if (size != 10 && size != 16 && size != 19)
        return false;
    if (text[4] != '-' || text[7] != '-')
        return false;
    date = QDate(digits(text, 4), digits(text + 5, 2), digits(text + 8, 2));
    if (!date.isValid())
        return false;
    time = QTime(0, 0);
    if (size == 10)
        return true;
    if ((text[10] != 'T' && text[10] != ' ') || text[13] != ':' || (size == 19 && text[16] != ':'))
        return false;
    time = QTime(digits(text + 11, 2), digits(text + 14, 2), size == 19 ? digits(text + 17, 2) : 0);
    return time.isValid();
}

}  // namespace

struct Recordset::Impl {
    Connection* connection = nullptr;
    StatementHandle statement;
    bool hasRow = false;
    QStringList names;
    QHash<QString, int> indexByLowerName;
    // The declared kind of each column; Text and Other columns are read by
    // the storage class of each value.
    std::vector<ColumnKind> kinds;
    // The regional settings in force when the query was opened, and the dates
    // and numbers already turned into text under them: a list holds few
    // distinct dates and hour counts, and formatting is the costly part of
    // reading a row as text.
    QLocale locale;
    QString shortDateFormat;
    mutable QHash<qint64, QString> dateTexts;
    mutable QHash<double, QString> numberTexts;

    sqlite3_stmt* stmt() const { return statement.get(); }

    void requireOpen() const
    {
        if (!statement)
            throw objectClosed();
    }

    // Checks that there is a current row and `index` names a column of it.
    void requireValue(int index) const
    {
        requireOpen();
        if (index < 0 || index >= names.size())
            throw itemNotFound();
        if (!hasRow)
            throw noCurrentRecord();
    }

    QString columnText(int index) const
    {
        // Text first, then its length: the engine may convert the value on the first call.
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt(), index));
        return textFromUtf8(text, sqlite3_column_bytes(stmt(), index));
    }

    bool storedDate(int index, QDate& date, QTime& time) const
    {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt(), index));
        return text && parseStoredDate(text, sqlite3_column_bytes(stmt(), index), date, time);
    }

    QString dateText(const QDate& date) const
    {
        const qint64 day = date.toJulianDay();
        auto found = dateTexts.constFind(day);
        if (found != dateTexts.constEnd())
            return *found;
        if (dateTexts.size() >= 4096)
            dateTexts.clear();
        const QString text = locale.toString(date, shortDateFormat);
        dateTexts.insert(day, text);
        return text;
    }

    QString numberText(double number) const
    {
        auto found = numberTexts.constFind(number);
        if (found != numberTexts.constEnd())
            return *found;
        if (numberTexts.size() >= 4096)
            numberTexts.clear();
        const QString text = text::numberToText(number, locale);
        numberTexts.insert(number, text);
        return text;
    }

    QVariant byStorageClass(int index) const
    {
        switch (sqlite3_column_type(stmt(), index)) {
        case SQLITE_INTEGER:
            return QVariant::fromValue<qint64>(sqlite3_column_int64(stmt(), index));
        case SQLITE_FLOAT:
            return sqlite3_column_double(stmt(), index);
        case SQLITE_TEXT:
            return columnText(index);
        case SQLITE_BLOB:
            return QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt(), index)),
                              sqlite3_column_bytes(stmt(), index));
        default:
            return {};
        }
    }
};

Recordset::Recordset() : m_impl(std::make_unique<Impl>())
{
}

Recordset::~Recordset()
{
    if (m_impl->statement)
        Close();
}

void Recordset::Open(const QString& source, Connection& activeConnection, int cursorType, int lockType)
{
    Impl& d = *m_impl;
    if (d.statement)
        throw RuntimeError(err::ObjectOpen, QStringLiteral("Operation is not allowed when the object is open."));
    if (cursorType != adOpenStatic || lockType != adLockReadOnly)
        throw RuntimeError::invalidPropertyValue();

    StatementHandle statement = activeConnection.prepare(source);
    sqlite3_stmt* stmt = statement.get();
    if (!sqlite3_stmt_readonly(stmt))
        throw RuntimeError(err::DatabaseEngine,
                           QStringLiteral("A recordset only reads data; '%1' would change it.").arg(source));

    const int rc = sqlite3_step(stmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        throw activeConnection.failure(rc);

    const int count = sqlite3_column_count(stmt);
    d.names.clear();
    d.indexByLowerName.clear();
    d.kinds.assign(static_cast<size_t>(count), ColumnKind::Other);
    for (int i = 0; i < count; ++i) {
        const char* rawName = sqlite3_column_name(stmt, i);
        const QString name = textFromUtf8(rawName, rawName ? qsizetype(qstrlen(rawName)) : 0);
        d.names << name;
        // Of two columns with one name, the first is the one found by name.
        if (!d.indexByLowerName.contains(name.toLower()))
            d.indexByLowerName.insert(name.toLower(), i);
        const char* declared = sqlite3_column_decltype(stmt, i);
        d.kinds[static_cast<size_t>(i)] = declared ? columnKindOf(QString::fromUtf8(declared)) : ColumnKind::Other;
    }
    d.locale = QLocale();
    d.shortDateFormat = text::shortDateFormat(d.locale);
    d.dateTexts.clear();
    d.numberTexts.clear();
    d.hasRow = rc == SQLITE_ROW;
    d.statement = std::move(statement);
    d.connection = &activeConnection;
    activeConnection.attach(this);
}

bool Recordset::Eof() const
{
    m_impl->requireOpen();
    return !m_impl->hasRow;
}

QVariant Recordset::Fields(const QString& name) const
{
    return value(fieldIndex(name));
}

int Recordset::fieldIndex(const QString& name) const
{
    m_impl->requireOpen();
    const auto found = m_impl->indexByLowerName.constFind(name.toLower());
    if (found == m_impl->indexByLowerName.constEnd())
        throw itemNotFound();
    return *found;
}

int Recordset::fieldCount() const
{
    m_impl->requireOpen();
    return static_cast<int>(m_impl->names.size());
}

QString Recordset::fieldName(int index) const
{
    m_impl->requireOpen();
    if (index < 0 || index >= m_impl->names.size())
        throw itemNotFound();
    return m_impl->names.at(index);
}

QVariant Recordset::value(int index) const
{
    const Impl& d = *m_impl;
    d.requireValue(index);
    sqlite3_stmt* stmt = d.stmt();
    const int storage = sqlite3_column_type(stmt, index);
    if (storage == SQLITE_NULL)
        return {};
    const bool numeric = storage == SQLITE_INTEGER || storage == SQLITE_FLOAT;
    switch (d.kinds[static_cast<size_t>(index)]) {
    case ColumnKind::Date: {
        QDate date;
        QTime time;
        if (storage == SQLITE_TEXT && d.storedDate(index, date, time)) {
            if (time == QTime(0, 0))
                return date;
            return QDateTime(date, time, Qt::UTC);
        }
        break;  // not a date after all: handed back as stored
    }
    case ColumnKind::YesNo:
        if (numeric)
            return sqlite3_column_double(stmt, index) != 0.0;
        break;
    case ColumnKind::Number:
        if (numeric)
            return sqlite3_column_double(stmt, index);
        break;
    case ColumnKind::Integer:
    case ColumnKind::Text:
    case ColumnKind::Other:
        break;
    }
    return d.byStorageClass(index);
}

QString Recordset::text(int index) const
{
    const Impl& d = *m_impl;
    d.requireValue(index);
    sqlite3_stmt* stmt = d.stmt();
    switch (sqlite3_column_type(stmt, index)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_TEXT: {
        QDate date;
        QTime time;
        if (d.kinds[static_cast<size_t>(index)] == ColumnKind::Date && d.storedDate(index, date, time)) {
            if (time == QTime(0, 0))
                return d.dateText(date);
            return d.dateText(date) + u' ' + text::timeToText(time, d.locale);
        }
        return d.columnText(index);
    }
    case SQLITE_INTEGER:
        if (d.kinds[static_cast<size_t>(index)] == ColumnKind::YesNo)
            return sqlite3_column_int64(stmt, index) != 0 ? QStringLiteral("True") : QStringLiteral("False");
        if (d.kinds[static_cast<size_t>(index)] == ColumnKind::Number)
            return d.numberText(sqlite3_column_double(stmt, index));
        return QString::number(sqlite3_column_int64(stmt, index));
    case SQLITE_FLOAT:
        if (d.kinds[static_cast<size_t>(index)] == ColumnKind::YesNo)
            return sqlite3_column_double(stmt, index) != 0.0 ? QStringLiteral("True") : QStringLiteral("False");
        return d.numberText(sqlite3_column_double(stmt, index));
    default:
        return text::valueToText(value(index), d.locale);
    }
}

StoredValue Recordset::stored(int index) const
{
    const Impl& d = *m_impl;
    d.requireValue(index);
    sqlite3_stmt* stmt = d.stmt();
    const ColumnKind kind = d.kinds[static_cast<size_t>(index)];
    StoredValue v;
    const int storage = sqlite3_column_type(stmt, index);
    switch (storage) {
    case SQLITE_NULL:
        break;
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, index));
        const int size = sqlite3_column_bytes(stmt, index);
        QDate date;
        QTime time;
        if (kind == ColumnKind::Date && text && parseStoredDate(text, size, date, time)) {
            v.kind = StoredValue::Date;
            v.julianDay = date.toJulianDay();
            v.secondsOfDay = time.msecsSinceStartOfDay() / 1000;
        } else {
            v.kind = StoredValue::Text;
            v.bytes = QByteArrayView(text, size);
        }
        break;
    }
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        if (kind == ColumnKind::YesNo) {
            v.kind = StoredValue::YesNo;
            v.whole = sqlite3_column_double(stmt, index) != 0.0 ? 1 : 0;
        } else if (storage == SQLITE_INTEGER && kind != ColumnKind::Number) {
            v.kind = StoredValue::Whole;
            v.whole = sqlite3_column_int64(stmt, index);
        } else {
            v.kind = StoredValue::Number;
            v.number = sqlite3_column_double(stmt, index);
        }
        break;
    default:
        v.kind = StoredValue::Other;
        v.bytes = QByteArrayView(static_cast<const char*>(sqlite3_column_blob(stmt, index)),
                                 sqlite3_column_bytes(stmt, index));
        break;
    }
    return v;
}

void Recordset::MoveNext()
{
    Impl& d = *m_impl;
    d.requireOpen();
    if (!d.hasRow)
        throw noCurrentRecord();
    const int rc = sqlite3_step(d.stmt());
    d.hasRow = rc == SQLITE_ROW;
    // A damaged page met half-way turns the connection read-only.
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        throw d.connection->failure(rc);
}

void Recordset::Close()
{
    Impl& d = *m_impl;
    d.requireOpen();
    d.statement.reset();
    d.hasRow = false;
    if (d.connection)
        d.connection->detach(this);
    d.connection = nullptr;
}

int Recordset::state() const
{
    return m_impl->statement ? StateOpen : StateClosed;
}

}  // namespace hv::data
