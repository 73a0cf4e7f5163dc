#include "data/recordset.h"

#include "data/connection.h"
#include "data/engine.h"
#include "core/locale_text.h"
#include "core/runtime_error.h"
#include "data/sql_dialect.h"
#include "data/row_cursor.h"
#include "core/utf8_text.h"

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

// A column a stored query carries for the program alone, after the columns
// it shows: a row's place in the query's order, or a record's ID as a key.
bool isKeyName(const QString& name)
{
    return name.startsWith(QStringLiteral("hourvane_"), Qt::CaseInsensitive);
}

}  // namespace

struct Recordset::Impl {
    Connection* connection = nullptr;
    std::unique_ptr<RowCursor> statement;
    bool hasRow = false;
    QStringList names;
    // The columns before the first key column (named hourvane_...), which
    // the program reads by keyIndex() and never shows.
    int shownCount = 0;
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

    RowCursor& cursor() const { return *statement; }

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

    // The text of a cell that holds text.
    QString columnText(int index) const
    {
        const QByteArrayView utf8 = cursor().text(index);
        return text::textFromUtf8(utf8.data(), utf8.size());
    }

    // A text cell's stored date.
    bool storedDate(int index, QDate& date, QTime& time) const
    {
        const QByteArrayView utf8 = cursor().text(index);
        return utf8.data() && parseStoredDate(utf8.data(), static_cast<int>(utf8.size()), date, time);
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
        switch (cursor().cell(index)) {
        case RowCursor::Cell::Integer:
            return QVariant::fromValue<qint64>(cursor().integer(index));
        case RowCursor::Cell::Real:
            return cursor().real(index);
        case RowCursor::Cell::Text:
            return columnText(index);
        case RowCursor::Cell::Binary:
            return cursor().bytes(index).toByteArray();
        case RowCursor::Cell::Null:
            break;
        }
        return {};
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

    std::unique_ptr<RowCursor> statement = activeConnection.engine().query(source);
    const bool hasRow = statement->next();

    const int count = statement->columnCount();
    d.names.clear();
    d.indexByLowerName.clear();
    d.kinds.assign(static_cast<size_t>(count), ColumnKind::Other);
    d.shownCount = count;
    for (int i = 0; i < count; ++i) {
        const QString name = statement->columnName(i);
        d.names << name;
        if (d.shownCount == count && isKeyName(name))
            d.shownCount = i;
        // Of two columns with one name, the first is the one found by name.
        if (i < d.shownCount && !d.indexByLowerName.contains(name.toLower()))
            d.indexByLowerName.insert(name.toLower(), i);
        d.kinds[static_cast<size_t>(i)] = statement->columnKind(i);
    }
    d.locale = QLocale();
    d.shortDateFormat = text::shortDateFormat(d.locale);
    d.dateTexts.clear();
    d.numberTexts.clear();
    d.hasRow = hasRow;
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

int Recordset::keyIndex(const QString& name) const
{
    m_impl->requireOpen();
    for (int i = m_impl->shownCount; i < m_impl->names.size(); ++i) {
        if (m_impl->names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int Recordset::fieldCount() const
{
    m_impl->requireOpen();
    return m_impl->shownCount;
}

QString Recordset::fieldName(int index) const
{
    m_impl->requireOpen();
    if (index < 0 || index >= m_impl->shownCount)
        throw itemNotFound();
    return m_impl->names.at(index);
}

QVariant Recordset::value(int index) const
{
    const Impl& d = *m_impl;
    d.requireValue(index);
    const RowCursor& cursor = d.cursor();
    const RowCursor::Cell storage = cursor.cell(index);
    if (storage == RowCursor::Cell::Null)
        return {};
    const bool numeric = storage == RowCursor::Cell::Integer || storage == RowCursor::Cell::Real;
    switch (d.kinds[static_cast<size_t>(index)]) {
    case ColumnKind::Date: {
        QDate date;
        QTime time;
        if (storage == RowCursor::Cell::Text && d.storedDate(index, date, time)) {
            if (time == QTime(0, 0))
                return date;
            return QDateTime(date, time, Qt::UTC);
        }
        break;  // not a date after all: handed back as stored
    }
    case ColumnKind::YesNo:
        if (numeric)
            return (storage == RowCursor::Cell::Integer ? cursor.integer(index) != 0 : cursor.real(index) != 0.0);
        break;
    case ColumnKind::Number:
        if (numeric)
            return storage == RowCursor::Cell::Integer ? static_cast<double>(cursor.integer(index)) : cursor.real(index);
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
    const RowCursor& cursor = d.cursor();
    const ColumnKind kind = d.kinds[static_cast<size_t>(index)];
    switch (cursor.cell(index)) {
    case RowCursor::Cell::Null:
        return {};
    case RowCursor::Cell::Text: {
        QDate date;
        QTime time;
        if (kind == ColumnKind::Date && d.storedDate(index, date, time)) {
            if (time == QTime(0, 0))
                return d.dateText(date);
            return d.dateText(date) + u' ' + text::timeToText(time, d.locale);
        }
        return d.columnText(index);
    }
    case RowCursor::Cell::Integer:
        if (kind == ColumnKind::YesNo)
            return cursor.integer(index) != 0 ? QStringLiteral("True") : QStringLiteral("False");
        if (kind == ColumnKind::Number)
            return d.numberText(static_cast<double>(cursor.integer(index)));
        return QString::number(cursor.integer(index));
    case RowCursor::Cell::Real:
        if (kind == ColumnKind::YesNo)
            return cursor.real(index) != 0.0 ? QStringLiteral("True") : QStringLiteral("False");
        return d.numberText(cursor.real(index));
    case RowCursor::Cell::Binary:
        break;
    }
    return text::valueToText(value(index), d.locale);
}

StoredValue Recordset::stored(int index) const
{
    const Impl& d = *m_impl;
    d.requireValue(index);
    const RowCursor& cursor = d.cursor();
    const ColumnKind kind = d.kinds[static_cast<size_t>(index)];
    StoredValue v;
    const RowCursor::Cell storage = cursor.cell(index);
    switch (storage) {
    case RowCursor::Cell::Null:
        break;
    case RowCursor::Cell::Text: {
        const QByteArrayView text = cursor.text(index);
        QDate date;
        QTime time;
        if (kind == ColumnKind::Date && text.data()
            && parseStoredDate(text.data(), static_cast<int>(text.size()), date, time)) {
            v.kind = StoredValue::Date;
            v.julianDay = date.toJulianDay();
            v.secondsOfDay = time.msecsSinceStartOfDay() / 1000;
        } else {
            v.kind = StoredValue::Text;
            v.bytes = text;
        }
        break;
    }
    case RowCursor::Cell::Integer:
    case RowCursor::Cell::Real: {
        const bool whole = storage == RowCursor::Cell::Integer;
        const double number = whole ? static_cast<double>(cursor.integer(index)) : cursor.real(index);
        if (kind == ColumnKind::YesNo) {
            v.kind = StoredValue::YesNo;
            v.whole = number != 0.0 ? 1 : 0;
        } else if (whole && kind != ColumnKind::Number) {
            v.kind = StoredValue::Whole;
            v.whole = cursor.integer(index);
        } else {
            v.kind = StoredValue::Number;
            v.number = number;
        }
        break;
    }
    case RowCursor::Cell::Binary:
        v.kind = StoredValue::Other;
        v.bytes = cursor.bytes(index);
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
    // A damaged page met half-way turns the connection read-only.
    d.hasRow = false;
    d.hasRow = d.cursor().next();
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
