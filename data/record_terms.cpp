#include "data/record_terms.h"

#include "core/runtime_error.h"
#include "data/connection.h"
#include "data/recordset.h"

#include <algorithm>
#include <functional>

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

// Reads the rows of `sql`, each with `take`; nothing from a database opened
// read-only in a version without the table of terms.
void readTerms(Connection& connection, const QString& sql, const std::function<void(const Recordset&)>& take)
{
    Recordset rs;
    try {
        rs.Open(sql, connection);
    } catch (const RuntimeError&) {
        if (connection.isReadOnly())
            return;
        throw;
    }
    for (; !rs.Eof(); rs.MoveNext())
        take(rs);
}

void putInOrder(RecordTerms::Contracts& contracts)
{
    std::sort(contracts.begin(), contracts.end(),
              [](const RecordTerms::Contract& a, const RecordTerms::Contract& b) { return a.validFrom < b.validFrom; });
}

}  // namespace

QSet<qint64> RecordTerms::inactive(Connection& connection, Record kind)
{
    QSet<qint64> ids;
    readTerms(connection, QStringLiteral("select Record from hourvane_terms where Kind=") + kindOf(kind),
              [&](const Recordset& rs) { ids.insert(rs.Fields(QStringLiteral("Record")).toLongLong()); });
    return ids;
}

QSet<QString> RecordTerms::inactiveNames(Connection& connection, Record kind)
{
    const QSet<qint64> ids = inactive(connection, kind);
    if (ids.isEmpty())
        return {};
    const bool employees = kind == Record::Employee;
    const QString column = employees ? QStringLiteral("Employee Name") : QStringLiteral("Description");
    Recordset rs;
    rs.Open(employees ? QStringLiteral("select * from [Employees Extended]")
                      : QStringLiteral("select ID,Description from [Work Codes]"),
            connection);
    QSet<QString> inactiveOnes;
    QSet<QString> activeOnes;
    for (; !rs.Eof(); rs.MoveNext()) {
        const QString name = rs.Fields(column).toString();
        (ids.contains(rs.Fields(QStringLiteral("ID")).toLongLong()) ? inactiveOnes : activeOnes).insert(name);
    }
    return inactiveOnes.subtract(activeOnes);
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
    Contracts found;
    readTerms(connection, kContractsRead + QStringLiteral(" and Record=") + QString::number(employee),
              [&](const Recordset& rs) { found.push_back(contractAt(rs)); });
    putInOrder(found);
    return found;
}

std::map<qint64, RecordTerms::Contracts> RecordTerms::allContracts(Connection& connection)
{
    std::map<qint64, Contracts> found;
    readTerms(connection, kContractsRead, [&](const Recordset& rs) {
        found[rs.Fields(QStringLiteral("Record")).toLongLong()].push_back(contractAt(rs));
    });
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
