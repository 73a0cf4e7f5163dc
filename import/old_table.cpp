#include "import/old_table.h"

#include "import/import_error.h"
#include "import/libmdb.h"
#include "import/library_messages.h"
#include "import/old_values.h"

#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace hv::import {

namespace {

// The library's row table keeps two flags above each row's 13-bit offset.
constexpr int kRowOffsetMask = 0x1fff;

MdbColumn* columnAt(MdbTableDef* table, int column)
{
    return static_cast<MdbColumn*>(g_ptr_array_index(table->columns, static_cast<guint>(column)));
}

// A number the library renders as text (currency, exact numeric), freed here.
std::optional<double> renderedNumber(char* text)
{
    const std::optional<double> value = text ? values::decimalText(QByteArrayView(text)) : std::nullopt;
    g_free(text);
    return value;
}

}  // namespace

struct OldTable::Impl {
    // What the library converts a used text column into.
    struct TextBuffer {
        std::unique_ptr<char[]> bytes;
        int length = 0;
    };

    MdbTableDef* table = nullptr;
    QString file;
    const LibraryMessages* messages = nullptr;
    // Sized once: the library keeps pointers to the buffers and lengths.
    std::vector<MdbField> fields;
    std::vector<TextBuffer> texts;
    // The long texts of the current row, read and converted here.
    std::vector<QByteArray> longTexts;
    qint64 rows = 0;
    qint64 fileSize = 0;
    // What the library had printed when the current row was begun.
    qint64 messagesBefore = 0;

    MdbHandle* mdb() const { return table->entry->mdb; }
    QString tableName() const { return QString::fromUtf8(table->name); }
    QString columnName(int column) const { return QString::fromUtf8(columnAt(table, column)->name); }

    // A value of the current row that cannot be read as the file declares it.
    ImportError damaged(int column, const QString& reason) const
    {
        const QString detail = messages->textSince(messagesBefore);
        return ImportError(QStringLiteral("Cannot import '%1': the value in the table [%2], row %3, column [%4] is "
                                          "damaged: %5%6.")
                               .arg(file, tableName())
                               .arg(rows)
                               .arg(columnName(column), reason,
                                    detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail)));
    }

    QByteArray longValueBytes(const MdbField& field, int column) const;
    QByteArrayView longText(const MdbField& field, int column);
};

QByteArray OldTable::Impl::longValueBytes(const MdbField& field, int column) const
{
    // A long value keeps 12 bytes in its row: its length with two flags
    // above it, then where its bytes are: after the 12 bytes (inline), in
    // one row of a long-value page, or in a chain of such rows, each
    // beginning with the page and row of the next.
    MdbHandle* handle = mdb();
    if (field.siz < MDB_MEMO_OVERHEAD)
        throw damaged(column, QStringLiteral("its entry in the row is cut short"));
    const guint32 word = mdb_get_int32(handle->pg_buf, field.start);
    const qint64 declared = word & 0x3fffffff;
    const auto cut = [&](qint64 found) {
        return damaged(column, QStringLiteral("%1 bytes are declared, but %2 %3 found")
                                   .arg(declared)
                                   .arg(found)
                                   .arg(found == 1 ? QStringLiteral("was") : QStringLiteral("were")));
    };
    const char* page = reinterpret_cast<const char*>(handle->pg_buf);
    switch (word & 0xc0000000) {
    case 0x80000000: {
        const qint64 found = field.siz - MDB_MEMO_OVERHEAD;
        if (found != declared)
            throw cut(found);
        return QByteArray(page + field.start + MDB_MEMO_OVERHEAD, found);
    }
    case 0x40000000:
    case 0x00000000: break;
    default: throw damaged(column, QStringLiteral("its entry in the row is of no known kind"));
    }

    // No long value is larger than the file that holds it.
    if (declared > fileSize)
        throw damaged(column, QStringLiteral("%1 bytes are declared, more than the whole file holds").arg(declared));
    const bool chained = (word & 0x40000000) == 0;
    QByteArray bytes;
    QSet<qint32> visited;
    qint32 next = static_cast<qint32>(mdb_get_int32(handle->pg_buf, field.start + 4));
    do {
        if (visited.contains(next))
            throw damaged(column, QStringLiteral("its chain of pages comes back on itself"));
        visited.insert(next);
        void* buffer = nullptr;
        int start = 0;
        size_t length = 0;
        const int row = next & 0xff;
        if (mdb_find_pg_row(handle, next, &buffer, &start, &length) != 0)
            throw damaged(column, QStringLiteral("its bytes are not where the row says (page %1, row %2)")
                                      .arg(static_cast<quint32>(next) >> 8)
                                      .arg(row));
        // Only a row of a long-value page ("LVAL" where a page of rows names
        // its table), neither deleted nor moved, holds a long value.
        const char* lval = static_cast<const char*>(buffer);
        const int rowTable = handle->fmt->row_count_offset;
        if (lval[0] != 0x01 || std::memcmp(lval + 4, "LVAL", 4) != 0 || row >= mdb_get_int16(buffer, rowTable)
            || (mdb_get_int16(buffer, rowTable + 2 + row * 2) & 0xc000) != 0)
            throw damaged(column, QStringLiteral("page %1, row %2 holds no long value")
                                      .arg(static_cast<quint32>(next) >> 8)
                                      .arg(row));
        if (!chained) {
            if (static_cast<qint64>(length) != declared)
                throw cut(static_cast<qint64>(length));
            return QByteArray(lval + start, static_cast<qsizetype>(length));
        }
        const qint64 part = static_cast<qint64>(length) - 4;
        if (part <= 0 || bytes.size() + part > declared)
            throw cut(bytes.size() + std::max<qint64>(part, 0));
        bytes.append(lval + start + 4, part);
        next = static_cast<qint32>(mdb_get_int32(buffer, start));
    } while (next != 0);
    if (bytes.size() != declared)
        throw cut(bytes.size());
    return bytes;
}

QByteArrayView OldTable::Impl::longText(const MdbField& field, int column)
{
    const QByteArray bytes = longValueBytes(field, column);
    MdbHandle* handle = mdb();
    // The newer format stores two bytes a character, unless the text is
    // compressed (it then begins with FF FE).
    const bool compressed = bytes.startsWith("\xFF\xFE");
    if (!IS_JET3(handle) && !compressed && bytes.size() % 2 != 0)
        throw damaged(column, QStringLiteral("%1 bytes cannot be a text of two bytes a character").arg(bytes.size()));
    // A byte of the file never takes more than three in UTF-8.
    QByteArray& text = longTexts[static_cast<size_t>(column)];
    text.resize(bytes.size() * 3 + 4);
    const int length = mdb_unicode2ascii(handle, bytes.constData(), static_cast<size_t>(bytes.size()), text.data(),
                                         static_cast<size_t>(text.size()));
    return QByteArrayView(text.constData(), length);
}

OldTable::OldTable(S_MdbTableDef* table, QString file, const LibraryMessages& messages)
    : m_impl(std::make_unique<Impl>())
{
    m_impl->table = table;
    m_impl->file = std::move(file);
    m_impl->messages = &messages;
    m_impl->fields.resize(table->num_cols);
    m_impl->texts.resize(table->num_cols);
    m_impl->longTexts.resize(table->num_cols);
    m_impl->fileSize = QFileInfo(m_impl->file).size();
}

OldTable::~OldTable()
{
    mdb_free_tabledef(m_impl->table);
}

QString OldTable::name() const
{
    return m_impl->tableName();
}

QStringList OldTable::columnNames() const
{
    QStringList names;
    for (unsigned int i = 0; i < m_impl->table->num_cols; ++i)
        names << m_impl->columnName(static_cast<int>(i));
    return names;
}

int OldTable::column(const QString& name) const
{
    for (unsigned int i = 0; i < m_impl->table->num_cols; ++i) {
        if (m_impl->columnName(static_cast<int>(i)).compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

OldValue::Kind OldTable::kindOf(int column) const
{
    switch (columnAt(m_impl->table, column)->col_type) {
    case MDB_BOOL: return OldValue::YesNo;
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT: return OldValue::WholeNumber;
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_MONEY:
    case MDB_NUMERIC: return OldValue::Number;
    case MDB_DATETIME: return OldValue::Date;
    case MDB_TEXT:
    case MDB_MEMO: return OldValue::Text;
    default: return OldValue::Null;
    }
}

QString OldTable::typeName(int column) const
{
    const char* name = mdb_get_colbacktype_string(columnAt(m_impl->table, column));
    return name ? QString::fromUtf8(name) : QStringLiteral("type %1").arg(columnAt(m_impl->table, column)->col_type);
}

void OldTable::use(int column)
{
    // Fixed-size values are read from the row itself, and long texts checked
    // and converted here; short texts are converted by the library into a
    // buffer of ours.
    if (kindOf(column) != OldValue::Text || columnAt(m_impl->table, column)->col_type == MDB_MEMO)
        return;
    Impl::TextBuffer& text = m_impl->texts[static_cast<size_t>(column)];
    if (!text.bytes)
        text.bytes = std::make_unique_for_overwrite<char[]>(m_impl->mdb()->bind_size + 1);
    mdb_bind_column(m_impl->table, column + 1, text.bytes.get(), &text.length);
}

bool OldTable::next()
{
    MdbTableDef* table = m_impl->table;
    m_impl->messagesBefore = m_impl->messages->mark();
    if (!mdb_fetch_row(table)) {
        // The library ends a table early, without a word to its caller, when a
        // page cannot be read; the table's own count of rows tells.
        if (m_impl->rows != static_cast<qint64>(table->num_rows)) {
            const QString detail = m_impl->messages->text();
            throw ImportError(
                QStringLiteral("Cannot import '%1': the file is truncated or damaged: the table [%2] holds %3 "
                               "rows, but only %4 could be read%5.")
                    .arg(m_impl->file, m_impl->tableName())
                    .arg(table->num_rows)
                    .arg(m_impl->rows)
                    .arg(detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail)));
        }
        return false;
    }
    ++m_impl->rows;
    // The bound values cannot tell Null from empty text; the row's own fields
    // carry the null flags.
    int start = 0;
    size_t size = 0;
    if (mdb_find_row(m_impl->mdb(), static_cast<int>(table->cur_row) - 1, &start, &size) != 0)
        throw ImportError(QStringLiteral("Cannot import '%1': the file is damaged: row %2 of the table [%3] "
                                         "cannot be read.")
                              .arg(m_impl->file)
                              .arg(m_impl->rows)
                              .arg(m_impl->tableName()));
    mdb_crack_row(table, start & kRowOffsetMask, size, m_impl->fields.data());
    // The library reads on past what it cannot make sense of, with a warning
    // that is its only sign: the row is not taken then.
    if (m_impl->messages->mark() != m_impl->messagesBefore)
        throw ImportError(QStringLiteral("Cannot import '%1': the file is damaged: row %2 of the table [%3] cannot "
                                         "be read faithfully (%4).")
                              .arg(m_impl->file)
                              .arg(m_impl->rows)
                              .arg(m_impl->tableName(), m_impl->messages->textSince(m_impl->messagesBefore)));
    return true;
}

qint64 OldTable::rowNumber() const
{
    return m_impl->rows;
}

OldValue OldTable::value(int column) const
{
    const MdbField& field = m_impl->fields[static_cast<size_t>(column)];
    const MdbColumn* definition = columnAt(m_impl->table, column);
    OldValue value;
    // A yes/no lives in the null flags: a set flag is "yes".
    if (definition->col_type == MDB_BOOL) {
        value.kind = OldValue::YesNo;
        value.yes = !field.is_null;
        return value;
    }
    if (field.is_null)
        return value;

    MdbHandle* mdb = m_impl->mdb();
    const void* page = mdb->pg_buf;
    std::optional<double> number;
    value.kind = kindOf(column);
    switch (definition->col_type) {
    case MDB_BYTE: value.wholeNumber = mdb_get_byte(const_cast<void*>(page), field.start); break;
    case MDB_INT: value.wholeNumber = static_cast<qint16>(mdb_get_int16(const_cast<void*>(page), field.start)); break;
    case MDB_LONGINT:
        value.wholeNumber = static_cast<qint32>(mdb_get_int32(const_cast<void*>(page), field.start));
        break;
    case MDB_FLOAT:
        value.number = values::singleToDouble(mdb_get_single(const_cast<void*>(page), field.start));
        break;
    case MDB_DOUBLE:
    case MDB_DATETIME: value.number = mdb_get_double(const_cast<void*>(page), field.start); break;
    case MDB_MONEY:
    case MDB_NUMERIC:
        number = renderedNumber(definition->col_type == MDB_MONEY
                                    ? mdb_money_to_string(mdb, field.start)
                                    : mdb_numeric_to_string(mdb, field.start, definition->col_scale,
                                                            definition->col_prec));
        // A rendering that is no number reaches the caller as one that
        // cannot be converted, never as an empty value.
        value.number = number.value_or(std::numeric_limits<double>::quiet_NaN());
        break;
    case MDB_MEMO: value.text = m_impl->longText(field, column); break;
    case MDB_TEXT: {
        const Impl::TextBuffer& text = m_impl->texts[static_cast<size_t>(column)];
        // The library stops converting where its buffer ends; a text that
        // fills it may have been cut short.
        if (text.length >= static_cast<int>(mdb->bind_size) - 8)
            throw ImportError(QStringLiteral("Cannot import '%1': the text in the table [%2], row %3, column "
                                             "[%4] is longer than %5 bytes.")
                                  .arg(m_impl->file, m_impl->tableName())
                                  .arg(m_impl->rows)
                                  .arg(m_impl->columnName(column))
                                  .arg(mdb->bind_size - 8));
        value.text = QByteArrayView(text.bytes.get(), text.length);
        break;
    }
    default: value.kind = OldValue::Null; break;
    }
    return value;
}

}  // namespace hv::import
