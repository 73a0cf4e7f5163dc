#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

namespace hv::reports {

// The quick choices of a report's period, and a period chosen date by date.
enum class QuickPeriod { AllDates, ThisWeek, LastWeek, ThisMonth, LastMonth, ThisYear, LastYear, Custom };

// A period of whole days; a missing end leaves that side open, so a period
// with neither end is all dates.
struct DatePeriod {
    QDate from;
    QDate to;

    bool isAllDates() const { return !from.isValid() && !to.isValid(); }
    // Whether a day falls in the period; a day that is not known (an entry
    // without a date) falls only in the period of all dates.
    bool contains(const QDate& day) const;
    // "1/5/2026 to 1/11/2026", "From 1/5/2026", "Until 1/11/2026" in the
    // short date format; empty text for all dates.
    QString describe() const;

    bool operator==(const DatePeriod&) const = default;
};

// The day a stored date (with or without a time of day) stands for; not a
// valid day for any other value.
QDate dayOf(const QVariant& value);

// The days a quick choice covers on a given day, weeks starting on the
// locale's first day of the week. All dates and a custom period give all dates.
DatePeriod periodOf(QuickPeriod choice, const QDate& today, Qt::DayOfWeek firstDayOfWeek);

// The choice's caption in the preview, and its name in the settings.
QString quickPeriodCaption(QuickPeriod choice);
QString quickPeriodKey(QuickPeriod choice);
// The choice a settings name stands for; all dates for a name not known.
QuickPeriod quickPeriodFromKey(const QString& key);

}  // namespace hv::reports
