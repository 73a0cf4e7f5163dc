#pragma once

#include <QString>
#include <QtGlobal>

class QDate;

namespace hv::catalog {

// The SQL texts of the main window's "Load Sample/Example Data": the counts
// and the first and last IDs it reads, and the example rows it writes.
class SampleDataStatements {
public:
    // The column the counts are read from, and the column of the first and
    // last IDs.
    static constexpr const char* kCountColumn = "CountID";
    static constexpr const char* kIdColumn = "MaxID";
    // How many example employees and example work codes there are.
    static constexpr int kSamples = 2;

    SampleDataStatements() = delete;

    static QString employeeCount();
    static QString firstEmployee();
    static QString lastEmployee();
    static QString workCodeCount();
    static QString firstWorkCode();
    static QString lastWorkCode();

    // Example employee and example work code `sample`, counted from 0.
    static QString employeeInsert(int sample);
    static QString workCodeInsert(int sample);
    // An example entry on `day`, booked to the employee and work code given.
    static QString entryInsert(qint32 employee, qint32 workCode, int hours, const QString& description,
                               const QDate& day);
};

}  // namespace hv::catalog
