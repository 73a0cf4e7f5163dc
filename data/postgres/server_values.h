#pragma once

#include "core/runtime_error.h"
#include "data/postgres/session.h"

#include <QByteArray>
#include <QByteArrayView>
#include <optional>
#include <vector>

namespace hv::data {

// The binding of values by position (counted from 1) for the server, shared
// by its prepared statements and its row copies (`Interface`, whose bind
// functions this implements): values are kept in the text form the server
// reads, nullopt for Null; whole numbers in decimal, numbers with every
// digit they need, texts as their UTF-8 bytes. A text holding a NUL, which
// the server cannot store, and a position out of range are refused.
template <class Interface>
class ServerValues : public Interface {
public:
    void bindNull(int position) override { bind(position, std::nullopt); }
    void bindInteger(int position, qint64 value) override { bind(position, QByteArray::number(value)); }
    void bindNumber(int position, double value) override { bind(position, QByteArray::number(value, 'g', 17)); }
    void bindText(int position, QByteArrayView utf8) override { bind(position, utf8.toByteArray()); }

protected:
    // Positions 1 to `limit`; the first `size` of them stand as Null until bound.
    ServerValues(size_t size, int limit) : m_values(size), m_limit(limit) {}

    const std::vector<std::optional<QByteArray>>& values() const { return m_values; }

private:
    void bind(int position, std::optional<QByteArray> value)
    {
        if (position < 1 || position > m_limit)
            throw RuntimeError(err::DatabaseEngine, QStringLiteral("column index out of range"));
        // Values go to the server as C strings or lines of text: a NUL would cut one short.
        if (value && value->contains('\0'))
            throw PostgresSession::nulRefused();
        if (m_values.size() < static_cast<size_t>(position))
            m_values.resize(static_cast<size_t>(position));
        m_values[static_cast<size_t>(position - 1)] = std::move(value);
    }

    std::vector<std::optional<QByteArray>> m_values;
    int m_limit;
};

}  // namespace hv::data
