#pragma once

#include "catalog/record_editor.h"

#include <QString>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace hv {

class NotesBox;

// The employee editor: creates an employee (m_ID empty) or edits the one
// whose ID m_ID holds, with one box for each of the sixteen columns.
class Form3 : public RecordEditor {
    Q_OBJECT

public:
    explicit Form3(QWidget* parent = nullptr);

    // "Save" and "Cancel".
    void PushButton2_Click();
    void PushButton1_Click();

    // The box of column position 1 to 15 (Text1 .. Text15); Text16 is notes().
    QLineEdit* box(int number) const;
    NotesBox* notes() const { return m_Text16; }
    // "No longer active", saved with the employee, and "Contracted Hours...",
    // which opens the employee's contracts; both for an employee saved before.
    QCheckBox* inactive() const { return m_inactive; }
    QPushButton* contractButton() const { return m_contract; }
    void openContracts();

protected:
    void LoadData() override;

private:
    QString boxText(int number) const;
    void setBoxText(int number, const QString& text);

    std::array<QLineEdit*, 15> m_boxes{};  // Text1 .. Text15
    NotesBox* m_Text16 = nullptr;
    QPushButton* m_PushButton2 = nullptr;
    QPushButton* m_PushButton1 = nullptr;
    QCheckBox* m_inactive = nullptr;
    QPushButton* m_contract = nullptr;
};

}  // namespace hv
