#pragma once

#include <QString>
#include <exception>
#include <functional>

class QWidget;

namespace hv {

// The uniform report of a run-time failure inside one procedure. A procedure
// makes one ErrorReport with its location and runs each numbered line through
// it; a line that fails shows one "Application Error" box naming the failure,
// the location and the line number, and the procedure carries on with its
// next line, as if the failed line had done nothing. A refusal that is no
// fault (the login's rights, a colleague's lock, a conflict) is shown as what
// it is, without the report's location and request to support.
class ErrorReport {
public:
    // location: the procedure's location text, for example
    // "in Vevudazor2021/08/31.Form1.Form_Load " (see location()).
    explicit ErrorReport(QString location, QWidget* parent = nullptr);

    // "in " + project tag + date + "." + window or module + "." + procedure + " ".
    static QString location(const QString& owner, const QString& procedure);

    // The box's text for a failure at a line of a location.
    static QString messageText(const QString& description, const QString& location, int line);

    // Runs one line; returns false (after the report) when it failed.
    bool line(int number, const std::function<void()>& statements);

    // A condition on a line: its value, or true when evaluating it failed,
    // because the statements a failed test governs run next.
    bool test(int number, const std::function<bool()>& condition);

    // A loop's test: its value, or false when evaluating it failed, so that a
    // failing test is reported once and the loop is left.
    bool loopTest(int number, const std::function<bool()>& condition);

    // Shows the report for a failure already caught; a refusal
    // (RuntimeError::isRefusal()) as a plain message of its own.
    void report(int number, const std::exception& failure);

    // How many reports this procedure has shown.
    int failures() const { return m_failures; }

private:
    QString m_location;
    QWidget* m_parent;
    int m_failures = 0;
};

}  // namespace hv
