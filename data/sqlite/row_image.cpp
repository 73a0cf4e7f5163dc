#include "data/sqlite/row_image.h"

#include <cstring>

namespace hv::data {

namespace {

template <class T>
void appendRaw(QByteArray& bytes, const T& value)
{
    bytes.append(reinterpret_cast<const char*>(&value), sizeof(T));
}

template <class T>
T readRaw(const char*& at)
{
    T value;
    std::memcpy(&value, at, sizeof(T));
    at += sizeof(T);
    return value;
}

}  // namespace

void RowImage::append(sqlite3_value* value)
{
    const char type = static_cast<char>(sqlite3_value_type(value));
    m_bytes.append(type);
    switch (type) {
    case SQLITE_INTEGER:
        appendRaw(m_bytes, static_cast<sqlite3_int64>(sqlite3_value_int64(value)));
        break;
    case SQLITE_FLOAT:
        appendRaw(m_bytes, sqlite3_value_double(value));
        break;
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        const void* data = type == SQLITE_TEXT ? static_cast<const void*>(sqlite3_value_text(value))
                                               : sqlite3_value_blob(value);
        const int size = sqlite3_value_bytes(value);
        appendRaw(m_bytes, size);
        m_bytes.append(static_cast<const char*>(data), size);
        break;
    }
    default:
        break;
    }
}

void RowImage::bindTo(sqlite3_stmt* statement, int first) const
{
    const char* at = m_bytes.constData();
    const char* end = at + m_bytes.size();
    for (int parameter = first; at < end; ++parameter) {
        const char type = *at++;
        switch (type) {
        case SQLITE_INTEGER:
            sqlite3_bind_int64(statement, parameter, readRaw<sqlite3_int64>(at));
            break;
        case SQLITE_FLOAT:
            sqlite3_bind_double(statement, parameter, readRaw<double>(at));
            break;
        case SQLITE_TEXT:
        case SQLITE_BLOB: {
            const int size = readRaw<int>(at);
            if (type == SQLITE_TEXT)
                sqlite3_bind_text(statement, parameter, at, size, SQLITE_STATIC);
            else
                sqlite3_bind_blob(statement, parameter, at, size, SQLITE_STATIC);
            at += size;
            break;
        }
        default:
            sqlite3_bind_null(statement, parameter);
            break;
        }
    }
}

}  // namespace hv::data
