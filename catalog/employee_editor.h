#pragma once

#include "catalog/record_editor.h"

#include <QString>
#include <array>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace hv {

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
    QPlainTextEdit* notes() const { return m_Text16; }

protected:
    void LoadData() override;

private:
    QString boxText(int number) const;
    void setBoxText(int number, const QString& text);

    std::array<QLineEdit*, 15> m_boxes{};  // Text1 .. Text15
    QPlainTextEdit* m_Text16 = nullptr;
    // The notes as stored and as the box showed them when loaded: the box
    // writes its line breaks as LF, so notes the user leaves as they were are
    // saved as stored, CR LF and all.
    QString m_notesAsLoaded;
    QString m_notesAsShown;
    QPushButton* m_PushButton2 = nullptr;
    QPushButton* m_PushButton1 = nullptr;
};

}  // namespace hv
