#pragma once

#include <QStringList>

class QIODevice;

namespace hv::cli {

// Rows of comma-separated values as RFC 4180 has them: UTF-8, each row ended
// by CR LF, and a field that holds a comma, a double quote, a CR or an LF
// enclosed in double quotes with each double quote doubled.
class CsvWriter {
public:
    explicit CsvWriter(QIODevice& device) : m_device(device) {}

    // False when the device refused the bytes.
    bool writeRow(const QStringList& fields);

    static QByteArray field(const QString& text);

private:
    QIODevice& m_device;
};

}  // namespace hv::cli
