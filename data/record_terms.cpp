#include "data/record_terms.h"

#include "core/runtime_error.h"
#include "data/connection.h"
#include "data/recordset.h"

#include <algorithm>

namespace hv::data {

namespace {

QString kindOf(RecordTerms::Record kind)
{
    return kind == RecordTerms::Record::Employee ? QStringLiteral("'Employee inactive'")
                                                 : QStringLiteral("'Work Code inactive'");
}

const QString kContractsRead = QStringLiteral(
    "select Record,[Valid From],[Weekly Hours] from hourvane_terms where Kind='Contract'");

RecordTerms::Contract contractAt(const Recordset& rs)
{
    return {QDate::fromString(rs.Fields(QStringLiteral("Valid From")).toString(), Qt::ISODate),
            rs.Fields(QStringLiteral("Weekly Hours")).toDouble()};
}

void putInOrder(RecordTerms::Contracts& contracts)
{
    std::sort(contracts.begin(), contracts.end(),
              [](const RecordTerms::Contract& a, const RecordTerms::Contract& b) { return a.validFrom < b.validFrom; });
}

}  // namespace

QSet<qint64> RecordTerms::inactive(Connection& connection, Record kind)
{
    Recordset rs;
    rs.Open(QStringLiteral("select Record from hourvane_terms where Kind=") + kindOf(kind), connection);
    QSet<qint64> ids;
    for (; !rs.Eof(); rs.MoveNext())
        ids.insert(rs.Fields(QStringLiteral("Record")).toLongLong());
    return ids;
}

void RecordTerms::setInactive(Connection& connection, Record kind, qint64 id, bool inactive)
{
    if (RecordTerms::inactive(connection, kind).contains(id) == inactive)
        return;
    const QString record = QString::number(id);
    if (inactive)
        connection.Execute(QStringLiteral("insert into hourvane_terms (Kind,Record) values (") + kindOf(kind)
                           + u',' + record + u')');
    else
        connection.Execute(QStringLiteral("delete from hourvane_terms where Kind=") + kindOf(kind)
                           + QStringLiteral(" and Record=") + record);
}

RecordTerms::Contracts RecordTerms::contracts(Connection& connection, qint64 employee)
{
    Recordset rs;
    rs.Open(kContractsRead + QStringLiteral(" and Record=") + QString::number(employee), connection);
    Contracts found;
    for (; !rs.Eof(); rs.MoveNext())
        found.push_back(contractAt(rs));
    putInOrder(found);
    return found;
}

std::map<qint64, RecordTerms::Contracts> RecordTerms::allContracts(Connection& connection)
{
    Recordset rs;
    rs.Open(kContractsRead, connection);
    std::map<qint64, Contracts> found;
    for (; !rs.Eof(); rs.MoveNext())
        found[rs.Fields(QStringLiteral("Record")).toLongLong()].push_back(contractAt(rs));
    for (auto& [employee, contracts] : found)
        putInOrder(contracts);
    return found;
}

void RecordTerms::setContracts(Connection& connection, qint64 employee, Contracts contracts)
{
    putInOrder(contracts);
    for (std::size_t i = 0; i < contracts.size(); ++i) {
        const Contract& contract = contracts[i];
        if (!contract.validFrom.isValid())
            throw RuntimeError(err::DatabaseEngine, QStringLiteral("A contract needs the date from which it holds."));
        if (!(contract.weeklyHours >= 0 && contract.weeklyHours <= 168))
            throw RuntimeError(err::DatabaseEngine,
                               QStringLiteral("The contracted hours must be a number from 0 to 168 a week."));
        if (i > 0 && contracts[i - 1].validFrom == contract.validFrom)
            throw RuntimeError(err::DatabaseEngine, QStringLiteral("Two contracts hold from %1; keep one of them.")
                                                        .arg(contract.validFrom.toString(Qt::ISODate)));
    }
    if (RecordTerms::contracts(connection, employee) == contracts)
        return;
    const QString record = QString::number(employee);
    connection.Execute(QStringLiteral("delete from hourvane_terms where Kind='Contract' and Record=") + record);
    for (const Contract& contract : contracts)
        connection.Execute(QStringLiteral("insert into hourvane_terms (Kind,Record,[Valid From],[Weekly Hours]) "
                                          "values ('Contract',")
                           + record + QStringLiteral(",'") + contract.validFrom.toString(Qt::ISODate)
                           + QStringLiteral("',") + QString::number(contract.weeklyHours, 'g', 17) + u')');
}

double RecordTerms::weeklyHoursOn(const Contracts& contracts, QDate day)
{
    double hours = 0;
    for (const Contract& contract : contracts) {
        if (contract.validFrom > day)
            break;
        hours = contract.weeklyHours;
    }
    return hours;
}

QString RecordTerms::markedInactive(const QString& name)
{
    return name + QStringLiteral(" (inactive)");
}

}  // namespace hv::data
