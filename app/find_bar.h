#pragma once

#include "app/entry_filter.h"

#include <QDate>
#include <QSet>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace hv {

// The bar above the work-hours list that finds entries: an employee, a work
// code, a quick period and a text of the description, with the number of
// matching entries and their exact hours total. It remembers its choices
// and whether it is shown in a settings section of its own.
class FindBar : public QWidget {
    Q_OBJECT

public:
    explicit FindBar(QWidget* parent = nullptr);

    // The names to choose from, those of records no longer active marked
    // "(inactive)"; a name chosen that is no longer among them stays chosen
    // (and finds nothing).
    void setChoices(const QStringList& employees, const QStringList& workCodes,
                    const QSet<QString>& inactiveEmployees = {}, const QSet<QString>& inactiveWorkCodes = {});

    // What the bar looks for, its period counted from `today`.
    EntryFilter filter(const QDate& today) const;

    // "12 entries, 37.5 hours".
    void showResult(int entries, const reports::HoursTotal& total);
    QString resultText() const;

    // Chooses the employee, work code, period and text, as a user would.
    void choose(const QString& employee, const QString& workCode, reports::QuickPeriod period, const QString& text);
    // Puts the keyboard in the text to find, with what it holds selected.
    void focusText();

    // Whether the bar is shown, to and from the settings; each run starts
    // with no criteria.
    void saveState(bool shown) const;
    static bool savedShown();

Q_SIGNALS:
    // Any choice or the text changed.
    void changed();
    // The user asked to close the bar (Escape, or its close button).
    void closeRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    static void setNames(QComboBox& box, const QString& any, const QStringList& names, const QString& chosen,
                         const QSet<QString>& inactive = {});
    static QString chosenName(const QComboBox& box);

    QComboBox* m_employee;
    QComboBox* m_workCode;
    QComboBox* m_period;
    QLineEdit* m_text;
    QLabel* m_result;
    QToolButton* m_close;
};

}  // namespace hv
