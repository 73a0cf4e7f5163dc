#pragma once

#include <QDate>
#include <QString>

namespace hv::entries {

// The SQL texts that read, write and delete work-hour entries: the list's
// query, the entry editor's load and save, and the deletes of the list and
// of the entry editor's pickers. IDs are decimal digits, as the windows hold
// them.
class EntryStatements {
public:
    // An entry's values as the entry editor saves them: the date worked and
    // the hours already in the form SQL reads, the description as typed.
    struct Values {
        QString employee;
        QString workCode;
        QString date;
        QString hours;
        QString description;
    };

    EntryStatements() = delete;

    // Every entry, for the main window's list.
    static QString list();
    // The entry `id`, for the entry editor.
    static QString select(const QString& id);
    // A new entry; the description's quotes doubled.
    static QString insert(const Values& values);
    // The entry `id` with new values; the description's quotes doubled.
    static QString update(const Values& values, const QString& id);
    // The entry `id`.
    static QString remove(const QString& id);
    // Every entry of the employee `id`, and of the work code `id`.
    static QString removeOfEmployee(const QString& id);
    static QString removeOfWorkCode(const QString& id);
    // The hours of the entries of the employee `id`, and of the work code
    // `id`: one row per distinct value of Hours with the number of entries
    // ("Entries") that have it.
    static QString hoursOfEmployee(const QString& id);
    static QString hoursOfWorkCode(const QString& id);
    // The hours of the employee `employee`'s entries on `day`, one row each,
    // but for the entry `exceptId` (none when empty).
    static QString hoursOfEmployeeOnDay(const QString& employee, const QDate& day, const QString& exceptId);
    // The entries of the employee `employee` from `first` for `days` days,
    // through the index of the dates: ID, Work Code, Date Worked, Hours and
    // Work Description.
    static QString ofEmployeeInDays(const QString& employee, const QDate& first, int days);
    // The employee (ID) and the date worked of the entry `id`.
    static QString employeeAndDate(const QString& id);
    // New hours (in the form SQL reads) for the entry `id`, nothing else.
    static QString updateHours(const QString& id, const QString& hours);
};

}  // namespace hv::entries
