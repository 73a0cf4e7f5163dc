#include "reports/engine/csv_writer.h"

#include <QIODevice>

namespace hv {

CsvWriter::CsvWriter(QIODevice& device) : CsvWriter(device, Options{})
{
}

CsvWriter::CsvWriter(QIODevice& device, Options options) : m_device(device), m_options(options)
{
}

void CsvWriter::writeRecord(const QStringList& fields)
{
    if (!m_started) {
        m_started = true;
        if (m_options.byteOrderMark)
            write(QByteArrayLiteral("\xEF\xBB\xBF"));
    }
    write((record(fields) + QStringLiteral("\r\n")).toUtf8());
}

void CsvWriter::write(const QByteArray& bytes)
{
    if (m_ok && m_device.write(bytes) != bytes.size())
        m_ok = false;
}

QString CsvWriter::field(const QString& text)
{
    const bool quoted = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"'))
        || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))
        || (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()));
    if (!quoted)
        return text;
    QString result = text;
    result.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + result + QLatin1Char('"');
}

QString CsvWriter::record(const QStringList& fields)
{
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += QLatin1Char(',');
        line += field(fields.at(i));
    }
    return line;
}

QString CsvWriter::inertText(const QString& text)
{
    if (text.isEmpty())
        return text;
    switch (text.front().unicode()) {
    case '=':
    case '+':
    case '-':
    case '@':
    case '\t':
    case '\r':
        return QLatin1Char('\'') + text;
    default:
        return text;
    }
}

}  // namespace hv
