#include "core/hours_rule.h"

#include "core/locale_text.h"

namespace hv {

namespace {

// Sums of decimal hours are not exact in binary: 7.1 + 8.3 + 8.6 must not
// pass a limit of 24.
constexpr double kTolerance = 1e-9;

}  // namespace

HoursRule::Verdict HoursRule::ofEntry(double hours)
{
    if (hours < 0.0)
        return Verdict::Negative;
    if (hours > kMostInOneEntry + kTolerance)
        return Verdict::TooMany;
    if (hours == 0.0)
        return Verdict::Zero;
    return Verdict::Usual;
}

bool HoursRule::refused(Verdict verdict)
{
    return verdict == Verdict::Negative || verdict == Verdict::TooMany;
}

bool HoursRule::dayPassesLimit(double total)
{
    return total > kMostInOneDay + kTolerance;
}

QString HoursRule::refusal(Verdict verdict)
{
    if (verdict == Verdict::Negative)
        return QStringLiteral("Hours cannot be negative: type 0 to %1 hours.").arg(text::numberToText(kMostInOneEntry));
    return QStringLiteral("Hours cannot be more than %1 in one entry.").arg(text::numberToText(kMostInOneEntry));
}

QString HoursRule::zeroQuestion()
{
    return QStringLiteral("This entry has 0 hours. Save it anyway?");
}

QString HoursRule::dayQuestion(const QString& employee, const QString& day, double total)
{
    return QStringLiteral("With this entry %1 has %2 hours on %3, more than %4 in one day. Save it anyway?")
        .arg(employee, text::numberToText(total), day, text::numberToText(kMostInOneDay));
}

}  // namespace hv
