#pragma once

#include <QDate>
#include <QSet>
#include <QString>
#include <map>
#include <vector>

namespace hv::data {

class Connection;

// The program's own terms of employees and work codes, kept in a table beside
// theirs (hourvane_terms): which of them are no longer active, and each
// employee's weekly contracted hours from a date on. Writes go through the
// connection like any other, so they are journaled and undone like them.
class RecordTerms {
public:
    enum class Record { Employee, WorkCode };

    // Weekly hours that hold from a day on, until the next contract's day.
    struct Contract {
        QDate validFrom;
        double weeklyHours = 0;
        friend bool operator==(const Contract&, const Contract&) = default;
    };
    // In the order of their days, each day once.
    using Contracts = std::vector<Contract>;

    RecordTerms() = delete;

    // The IDs of the employees (or work codes) marked no longer active. A
    // database opened read-only in an older version, without the table of
    // terms, has none, as it has no contracts.
    static QSet<qint64> inactive(Connection& connection, Record kind);
    // Their names as the lists show them (an employee's "Employee Name" in
    // "Employees Extended", a work code's Description), each only when no
    // active one has the same name.
    static QSet<QString> inactiveNames(Connection& connection, Record kind);
    // Marks the record no longer active, or active again; writes nothing
    // when it is so already.
    static void setInactive(Connection& connection, Record kind, qint64 id, bool inactive);

    // The contracts of one employee, and of every employee that has one.
    static Contracts contracts(Connection& connection, qint64 employee);
    static std::map<qint64, Contracts> allContracts(Connection& connection);
    // Replaces the employee's contracts with `contracts` (put in the order of
    // their days); writes nothing when they are the same. Raises a
    // RuntimeError for two contracts of one day, a day that is not valid or
    // hours outside 0 to 168, and writes nothing then.
    static void setContracts(Connection& connection, qint64 employee, Contracts contracts);

    // The weekly hours that hold on `day`: those of the last contract valid
    // from it or before, 0 before the first.
    static double weeklyHoursOn(const Contracts& contracts, QDate day);

    // What a label says of a record no longer active: "Name (inactive)".
    static QString markedInactive(const QString& name);
};

}  // namespace hv::data
