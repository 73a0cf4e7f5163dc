#pragma once

#include <QString>
#include <array>

namespace hv::catalog {

// The SQL texts that read, write and delete employees: the employee editor's
// load and save, and the list and delete of the entry editor's employee
// picker. IDs are decimal digits, as the windows hold them.
class EmployeeStatements {
public:
    // The texts of the employee editor's sixteen boxes, Text1 to Text16 in
    // box order (first name, last name, job title, company, the four phones,
    // address, city, state, ZIP, country, e-mail address, web page, notes).
    using Boxes = std::array<QString, 16>;

    EmployeeStatements() = delete;

    // The employee `id`, for the employee editor.
    static QString select(const QString& id);
    // A new employee of the boxes' texts, every quote doubled.
    static QString insert(const Boxes& boxes);
    // The employee `id` with the boxes' texts, every quote doubled.
    static QString update(const Boxes& boxes, const QString& id);
    // Every employee's ID and name, in name order, for the employee picker.
    static QString names();
    // The employee `id`.
    static QString remove(const QString& id);
};

}  // namespace hv::catalog
