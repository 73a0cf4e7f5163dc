#include "reports/query_row_source.h"

#include "data/component_factory.h"
#include "data/recordset.h"
#include "gui/shared_connection.h"

#include <QSet>

namespace hv {

namespace {

// The name a column holds in the current row, as the report shows it.
QString nameAt(const data::Recordset& rs, int field)
{
    return reports::ReportRows::display(rs.value(field), reports::FieldFormat::AsStored);
}

}  // namespace

QueryRowSource::QueryRowSource(reports::ReportQuery query, const reports::ReportLayout& layout)
    : m_query(std::move(query)), m_layout(layout)
{
}

reports::ReportRows QueryRowSource::rows(const reports::ReportOptions& options)
{
    const std::unique_ptr<data::Recordset> rs = data::ComponentFactory::createRecordset();
    rs->Open(m_query.selecting(options), SharedConnection::get());
    reports::ReportRows rows = reports::ReportRows::read(*rs, m_layout);
    rs->Close();
    return rows;
}

reports::ReportNames QueryRowSource::names(const reports::DatePeriod& period)
{
    const std::unique_ptr<data::Recordset> rs = data::ComponentFactory::createRecordset();
    rs->Open(m_query.namesIn(period), SharedConnection::get());
    const int employee = rs->fieldIndex(QString::fromLatin1(reports::kEmployeeColumn));
    const int workCode = rs->fieldIndex(QString::fromLatin1(reports::kWorkCodeColumn));
    QSet<QString> employees;
    QSet<QString> workCodes;
    for (; !rs->Eof(); rs->MoveNext()) {
        employees.insert(nameAt(*rs, employee));
        workCodes.insert(nameAt(*rs, workCode));
    }
    rs->Close();
    return {employees.values(), workCodes.values()};
}

}  // namespace hv
