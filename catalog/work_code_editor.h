#pragma once

#include "catalog/record_editor.h"

#include <QString>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QWidget;

namespace hv {

// The work-code editor: creates a work code (m_ID empty) or edits the one
// whose ID m_ID holds: its description and whether its hours are billable.
class Form5 : public RecordEditor {
    Q_OBJECT

public:
    explicit Form5(QWidget* parent = nullptr);

    // "Save", and the two "Cancel" buttons (PushButton1 sits below the
    // window's edge and is reached only with the Tab key).
    void PushButton2_Click();
    void PushButton3_Click();
    void PushButton1_Click();

    QLineEdit* description() const { return m_Text1; }
    QCheckBox* billable() const { return m_Check1; }
    // "No longer active", saved with the work code; for one saved before.
    QCheckBox* inactive() const { return m_inactive; }

protected:
    void LoadData() override;

private:

    QGroupBox* m_Frame1 = nullptr;
    QGroupBox* m_Frame2 = nullptr;
    QLineEdit* m_Text1 = nullptr;
    QCheckBox* m_Check1 = nullptr;
    QCheckBox* m_inactive = nullptr;
    QPushButton* m_PushButton2 = nullptr;
    QPushButton* m_PushButton3 = nullptr;
    QPushButton* m_PushButton1 = nullptr;
};

}  // namespace hv
