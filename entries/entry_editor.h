#pragma once

#include "gui/secondary_window.h"
#include "entries/record_picker.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QLineEdit;
class QPushButton;
class QWidget;

namespace hv {

class DateBox;
class ErrorReport;
class RecordEditor;

// The entry editor: records a new work-hour entry (m_ID empty) or corrects
// the one whose ID m_ID holds, with an employee and a work-code picker, each
// with buttons that add, edit or delete a record of its own.
class Form2 : public SecondaryWindow {
    Q_OBJECT

public:
    explicit Form2(QWidget* parent = nullptr);
    ~Form2() override;

    // Empty: a new entry. Otherwise the ID of the entry being edited.
    QString m_ID;

    // Refill the pickers; a clear-selection flag of 0 keeps the position.
    void LoadEmployees(quint8 clearSelection);
    void LoadWorkCodes(quint8 clearSelection);

    // "Save" and "Cancel".
    void PushButton2_Click();
    void PushButton1_Click();

    // The employee picker's "+", "*", "-" and the work-code picker's.
    void PushButton5_Click();
    void PushButton9_Click();
    void PushButton6_Click();
    void PushButton3_Click();
    void PushButton10_Click();
    void PushButton4_Click();

    const RecordPicker& employees() const { return m_employees.picker; }
    const RecordPicker& workCodes() const { return m_workCodes.picker; }

protected:
    void Form_Load() override;

private:
    // One picker with its editor window and its delete statements.
    struct PickerSide {
        RecordPicker picker;
        std::function<std::unique_ptr<RecordEditor>()> makeEditor;
        QString warning;  // the first line of the delete question
        QString (*recordDelete)(const QString& id);   // the record's delete
        QString (*entriesDelete)(const QString& id);  // the delete of its entries
        QString (*entriesHours)(const QString& id);   // the hours of its entries
    };

    void LoadEntry();
    // The date worked that "Save" writes: the stored date with its time of
    // day while the user leaves the day as loaded, otherwise the date chosen.
    QDateTime workedToSave() const;
    // Asks before an unusual entry is saved (a date far from today, zero
    // hours, an employee's day passing its limit); true to save it.
    bool unusualEntryConfirmed(ErrorReport& err, const QDateTime& worked, double hours);
    bool confirmed(ErrorReport& err, int line, const QString& question, QWidget* focus);
    void addRecord(PickerSide& side, const QString& procedure);
    void editRecord(PickerSide& side, const QString& procedure);
    void deleteRecord(PickerSide& side, const QString& procedure);

    QLineEdit* m_Text2 = nullptr;  // the entry's ID, shown only
    QComboBox* m_Combo1 = nullptr;
    QComboBox* m_Combo2 = nullptr;
    DateBox* m_DateTimePicker1 = nullptr;
    QLineEdit* m_Text1 = nullptr;  // hours
    QLineEdit* m_Text3 = nullptr;  // description
    // The loaded entry's date worked as stored, time of day included.
    std::optional<QDateTime> m_storedWorked;
    PickerSide m_employees;
    PickerSide m_workCodes;
};

}  // namespace hv
