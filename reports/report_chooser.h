#pragma once

#include "gui/secondary_window.h"

class QComboBox;
class QGroupBox;
class QPushButton;

namespace hv {

// The report chooser: the user picks one of the three reports (or types its
// name) and opens its preview; the chooser stays open for the next one until
// "Cancel".
class Form4 : public SecondaryWindow {
    Q_OBJECT

public:
    explicit Form4(QWidget* parent = nullptr);

    // "Print Preview" and "Cancel".
    void PushButton1_Click();
    void PushButton2_Click();

    QComboBox* reportType() const { return m_Combo1; }

protected:
    void Form_Load() override;

private:
    QGroupBox* m_Frame1 = nullptr;
    QComboBox* m_Combo1 = nullptr;
    QPushButton* m_PushButton1 = nullptr;
    QPushButton* m_PushButton2 = nullptr;
};

}  // namespace hv
