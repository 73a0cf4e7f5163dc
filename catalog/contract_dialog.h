#pragma once

#include "data/record_terms.h"

#include <QDialog>

class QDateEdit;
class QDoubleSpinBox;
class QPushButton;
class QTableWidget;

namespace hv {

// The weekly contracted hours of one employee, each from a day on: a change
// of contract is a new line from its first day, so that the weeks before it
// keep the old figure. Save writes them as one change, which Undo takes back.
class ContractDialog : public QDialog {
    Q_OBJECT

public:
    ContractDialog(qint64 employee, const QString& name, QWidget* parent = nullptr);

    // The lines as they stand, in the order of their days.
    const data::RecordTerms::Contracts& contracts() const { return m_contracts; }

    // "Add" (the day and hours of the boxes; a line of the same day takes
    // them), "Remove" (the selected line) and "Save".
    void addLine();
    void removeLine();
    void save();

    QDateEdit* fromBox() const { return m_from; }
    QDoubleSpinBox* hoursBox() const { return m_hours; }
    QTableWidget* lines() const { return m_lines; }

private:
    void showLines();

    qint64 m_employee;
    QString m_name;
    data::RecordTerms::Contracts m_contracts;
    QTableWidget* m_lines = nullptr;
    QDateEdit* m_from = nullptr;
    QDoubleSpinBox* m_hours = nullptr;
};

}  // namespace hv
