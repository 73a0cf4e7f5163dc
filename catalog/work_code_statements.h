#pragma once

#include <QString>

namespace hv::catalog {

// The SQL texts that read, write and delete work codes: the work-code
// editor's load and save, and the list and delete of the entry editor's
// work-code picker. IDs are decimal digits, as the windows hold them.
class WorkCodeStatements {
public:
    WorkCodeStatements() = delete;

    // The work code `id`, for the work-code editor.
    static QString select(const QString& id);
    // A new work code; the description's quotes doubled, billable written
    // TRUE or FALSE.
    static QString insert(const QString& description, bool billable);
    // The work code `id` with a new description and billable flag.
    static QString update(const QString& description, bool billable, const QString& id);
    // Every work code, for the work-code picker.
    static QString list();
    // The work code `id`.
    static QString remove(const QString& id);
};

}  // namespace hv::catalog
