#include "gui/error_report.h"

#include "core/app_config.h"
#include "gui/ui_seam.h"
#include "core/runtime_error.h"

#include <utility>

namespace hv {

namespace {

QString describe(const std::exception& failure)
{
    if (const auto* runtime = dynamic_cast<const RuntimeError*>(&failure))
        return runtime->description();
    if (dynamic_cast<const std::bad_alloc*>(&failure))
        return QStringLiteral("Out of memory");
    return QString::fromLocal8Bit(failure.what());
}

}  // namespace

ErrorReport::ErrorReport(QString location, QWidget* parent)
    : m_location(std::move(location)), m_parent(parent)
{
}

QString ErrorReport::location(const QString& owner, const QString& procedure)
{
    return QStringLiteral("in ") + config::kProjectTag + config::kProjectDate + QLatin1Char('.') + owner
        + QLatin1Char('.') + procedure + QLatin1Char(' ');
}

QString ErrorReport::messageText(const QString& description, const QString& location, int line)
{
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ") + QString::number(line)
        + QStringLiteral("\r\r") + QStringLiteral("Please email screenshot of this message to ")
        + config::kSupportEmail;
}

bool ErrorReport::line(int number, const std::function<void()>& statements)
{
    try {
        statements();
        return true;
    } catch (const std::exception& failure) {
        report(number, failure);
        return false;
    }
}

bool ErrorReport::test(int number, const std::function<bool()>& condition)
{
    bool value = true;
    line(number, [&] { value = condition(); });
    return value;
}

bool ErrorReport::loopTest(int number, const std::function<bool()>& condition)
{
    bool value = false;
    line(number, [&] { value = condition(); });
    return value;
}

void ErrorReport::report(int number, const std::exception& failure)
{
    ++m_failures;
    // A refusal is no fault: it says what happened and what to do, without
    // the report's location and its request to support.
    const auto* runtime = dynamic_cast<const RuntimeError*>(&failure);
    if (runtime && runtime->isRefusal()) {
        UiSeam::message(m_parent, {runtime->description(), UiSeam::applicationTitle(), QMessageBox::Warning,
                                   QMessageBox::Ok});
        return;
    }
    UiSeam::message(m_parent, {messageText(describe(failure), m_location, number),
                               QStringLiteral("Application Error"), QMessageBox::Warning, QMessageBox::Ok});
}

}  // namespace hv
