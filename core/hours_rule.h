#pragma once

#include <QString>

namespace hv {

// The limits of the hours of work-hour entries, the same for every way an
// entry comes in (the entry editor, an import): an entry's hours are from 0
// to 24; zero hours, and one employee's day passing 24 hours, are unusual
// and asked about, or reported, rather than refused.
class HoursRule {
public:
    static constexpr double kMostInOneEntry = 24.0;
    static constexpr double kMostInOneDay = 24.0;

    enum class Verdict { Usual, Negative, TooMany, Zero };

    HoursRule() = delete;

    // What the hours of one entry are.
    static Verdict ofEntry(double hours);
    // True for the hours no entry may have: negative, or more than in a day.
    static bool refused(Verdict verdict);
    // True when an employee's day with `total` hours in all passes the limit.
    static bool dayPassesLimit(double total);

    // The message that refuses the hours (Negative and TooMany).
    static QString refusal(Verdict verdict);
    // The questions asked before an unusual entry is saved.
    static QString zeroQuestion();
    static QString dayQuestion(const QString& employee, const QString& day, double total);
};

}  // namespace hv
