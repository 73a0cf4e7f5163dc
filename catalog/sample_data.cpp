#include "catalog/sample_data.h"

#include "catalog/sample_data_statements.h"
#include "gui/error_report.h"
#include "gui/shared_connection.h"
#include "data/component_factory.h"
#include "data/connection.h"
#include "core/locale_text.h"
#include "data/recordset.h"
#include "core/runtime_error.h"

#include <QDate>
#include <memory>
#include <optional>

namespace hv::catalog {

void loadSampleData(QWidget* form1, const std::function<void()>& listData)
{
    using Sql = SampleDataStatements;
    ErrorReport err(ErrorReport::location(QStringLiteral("Form1"), QStringLiteral("PushButton4_Click")), form1);
    std::unique_ptr<data::Recordset> rs;
    qint32 rowCount = 0;
    qint32 firstEmployee = 1;
    qint32 lastEmployee = 1;
    qint32 firstWorkCode = 1;
    qint32 lastWorkCode = 1;

    const auto execute = [](const QString& sql) { SharedConnection::get().Execute(sql); };
    // Opens a query on the one recordset, reads its field into target when
    // there is a row, and closes it: four numbered lines from openLine on.
    const auto readValue = [&](int openLine, const QString& sql, const char* field, qint32& target) {
        err.line(openLine, [&] { data::required(rs).Open(sql, SharedConnection::get(), data::Recordset::adOpenStatic, data::Recordset::adLockReadOnly); });
        if (err.test(openLine + 2, [&] { return !data::required(rs).Eof(); }))
            err.line(openLine + 4, [&] { target = text::toLong(data::required(rs).Fields(QString::fromLatin1(field))); });
        err.line(openLine + 6, [&] { data::required(rs).Close(); });
    };
    // Adds the sample rows of one table while it holds fewer than two rows.
    const auto addWhileFewerThanTwo = [&](int firstLine, const QString& first, const QString& second) {
        int line = firstLine;
        for (const QString& insert : {first, second}) {
            if (err.test(line, [&] { return rowCount < 2; })) {
                err.line(line + 2, [&] { execute(insert); });
                err.line(line + 4, [&] { ++rowCount; });
            }
            line += 6;
        }
    };

    err.line(100, [&] { rs = data::ComponentFactory::createRecordset(); });
    // The sample rows are one change in the journal, undone together. A
    // transaction that cannot begin leaves each insert to fail as it would.
    std::optional<data::Transaction> together;
    try {
        together.emplace(SharedConnection::get(), QStringLiteral("Load Sample/Example Data"));
    } catch (const RuntimeError&) {
    }

    err.line(102, [&] { rowCount = 0; });
    readValue(104, Sql::employeeCount(), Sql::kCountColumn, rowCount);
    addWhileFewerThanTwo(112, Sql::employeeInsert(0), Sql::employeeInsert(1));
    err.line(124, [&] { lastEmployee = 1; });
    err.line(126, [&] { firstEmployee = 1; });
    readValue(128, Sql::firstEmployee(), Sql::kIdColumn, firstEmployee);
    readValue(136, Sql::lastEmployee(), Sql::kIdColumn, lastEmployee);

    err.line(144, [&] { rowCount = 0; });
    readValue(146, Sql::workCodeCount(), Sql::kCountColumn, rowCount);
    addWhileFewerThanTwo(154, Sql::workCodeInsert(0), Sql::workCodeInsert(1));
    err.line(166, [&] { lastWorkCode = 1; });
    err.line(168, [&] { firstWorkCode = 1; });
    readValue(170, Sql::firstWorkCode(), Sql::kIdColumn, firstWorkCode);
    readValue(178, Sql::lastWorkCode(), Sql::kIdColumn, lastWorkCode);

    struct SampleEntry {
        const qint32& employee;
        const qint32& workCode;
        int hours;
        const char* description;
    };
    const SampleEntry entries[] = {
        {lastEmployee, lastWorkCode, 7, "Research work"},
        {firstEmployee, firstWorkCode, 16, "Software programming"},
        {lastEmployee, firstWorkCode, 3, "Customazing"},
    };
    int line = 186;
    for (const SampleEntry& entry : entries) {
        QString sql;
        err.line(line, [&] {
            sql = Sql::entryInsert(entry.employee, entry.workCode, entry.hours, QString::fromLatin1(entry.description),
                                   QDate::currentDate());
        });
        err.line(line + 2, [&] { execute(sql); });
        line += 4;
    }

    err.line(198, [&] {
        if (together)
            together->commit();
        listData();
    });
}

}  // namespace hv::catalog
