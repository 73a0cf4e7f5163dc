#include "support/xlsx_reader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

namespace hv::test {

XlsxCell XlsxSheetRead::at(int row, int column) const
{
    if (row < 0 || row >= rows.size() || column < 0 || column >= rows.at(row).size())
        return {};
    return rows.at(row).at(column);
}

XlsxSheetRead readXlsx(const QString& path)
{
    QProcess python;
    python.start(QStringLiteral(HOURVANE_PYTHON), {QStringLiteral(HOURVANE_XLSX_CELLS_SCRIPT), path});
    const bool finished = python.waitForFinished(120000);
    const QByteArray out = python.readAllStandardOutput();
    EXPECT_TRUE(finished && python.exitStatus() == QProcess::NormalExit && python.exitCode() == 0)
        << path.toStdString() << ": " << python.readAllStandardError().toStdString();
    const QJsonArray sheets = QJsonDocument::fromJson(out).object().value(QStringLiteral("sheets")).toArray();
    EXPECT_EQ(sheets.size(), 1) << path.toStdString();
    XlsxSheetRead read;
    if (sheets.isEmpty())
        return read;
    const QJsonObject sheet = sheets.first().toObject();
    read.name = sheet.value(QStringLiteral("name")).toString();
    read.freeze = sheet.value(QStringLiteral("freeze")).toString();
    read.filter = sheet.value(QStringLiteral("filter")).toString();
    for (const QJsonValue& row : sheet.value(QStringLiteral("rows")).toArray()) {
        QList<XlsxCell> cells;
        for (const QJsonValue& value : row.toArray()) {
            const QJsonObject cell = value.toObject();
            if (value.isNull()) {
                cells.append(XlsxCell{});
                continue;
            }
            cells.append({cell.value(QStringLiteral("t")).toString(), cell.value(QStringLiteral("v")).toVariant(),
                          cell.value(QStringLiteral("b")).toBool(), cell.value(QStringLiteral("f")).toString()});
        }
        read.rows.append(cells);
    }
    return read;
}

}  // namespace hv::test
