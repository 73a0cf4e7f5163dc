#include "cli/csv_writer.h"

#include <QIODevice>

namespace hv::cli {

QByteArray CsvWriter::field(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\r') || bytes.contains('\n')) {
        bytes.replace('"', "\"\"");
        bytes.prepend('"');
        bytes.append('"');
    }
    return bytes;
}

bool CsvWriter::writeRow(const QStringList& fields)
{
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line.append(',');
        line.append(field(fields[i]));
    }
    line.append("\r\n");
    return m_device.write(line) == line.size();
}

}  // namespace hv::cli
