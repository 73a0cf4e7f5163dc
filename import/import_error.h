#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace hv::import {

// Why an import (or a step around it) stopped, in words for the user: the
// file and the reason, and for a value the table, row and column.
class ImportError : public std::exception {
public:
    explicit ImportError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

}  // namespace hv::import
