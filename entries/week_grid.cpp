#include "entries/week_grid.h"

#include "core/hours_rule.h"
#include "core/locale_text.h"

#include <QLocale>
#include <algorithm>

namespace hv::entries {

QDate WeekGrid::weekStart(const QDate& day, Qt::DayOfWeek firstDay)
{
    return day.addDays(-((day.dayOfWeek() - firstDay + kDays) % kDays));
}

std::optional<double> WeekGrid::hoursOf(const QString& text)
{
    return text::textToHours(text);
}

WeekGrid::WeekGrid(const QDate& firstDay, const std::vector<Entry>& stored) : m_firstDay(firstDay)
{
    std::vector<Entry> sorted = stored;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Entry& a, const Entry& b) {
        return a.workCode != b.workCode ? a.workCode < b.workCode : a.description < b.description;
    });
    for (const Entry& entry : sorted) {
        const qint64 column = m_firstDay.daysTo(entry.worked.date());
        if (column < 0 || column >= kDays)
            continue;
        Cell& target = m_rows.at(rowOf(entry.workCode, entry.description)).cells.at(column);
        target.stored.push_back(entry);
        target.text = text::numberToText(storedHours(target));
    }
}

int WeekGrid::rowOf(qint64 workCode, const QString& description)
{
    for (int row = 0; row < rowCount(); ++row) {
        if (m_rows[row].workCode == workCode && m_rows[row].description == description)
            return row;
    }
    return addRow(workCode, description);
}

bool WeekGrid::rowHoldsStored(int row) const
{
    const auto& cells = m_rows.at(row).cells;
    return std::any_of(cells.begin(), cells.end(), [](const Cell& c) { return !c.stored.empty(); });
}

void WeekGrid::setRow(int row, qint64 workCode, const QString& description)
{
    if (rowHoldsStored(row))
        return;
    m_rows.at(row).workCode = workCode;
    m_rows.at(row).description = description;
}

int WeekGrid::addRow(qint64 workCode, const QString& description)
{
    m_rows.push_back(Row{workCode, description});
    return rowCount() - 1;
}

std::vector<qint64> WeekGrid::entryIds(int row, int day) const
{
    std::vector<qint64> ids;
    for (const Entry& entry : cell(row, day).stored)
        ids.push_back(entry.id);
    return ids;
}

void WeekGrid::setText(int row, int day, const QString& text)
{
    if (editable(row, day))
        m_rows.at(row).cells.at(day).text = text.trimmed();
}

double WeekGrid::storedHours(const Cell& cell)
{
    double sum = 0.0;
    for (const Entry& entry : cell.stored)
        sum += entry.hours;
    return sum;
}

double WeekGrid::cellHours(const Cell& cell)
{
    if (cell.stored.size() > 1)
        return storedHours(cell);
    return hoursOf(cell.text).value_or(0.0);
}

double WeekGrid::rowTotal(int row) const
{
    double sum = 0.0;
    for (const Cell& c : m_rows.at(row).cells)
        sum += cellHours(c);
    return sum;
}

double WeekGrid::dayTotal(int day) const
{
    double sum = 0.0;
    for (const Row& row : m_rows)
        sum += cellHours(row.cells.at(day));
    return sum;
}

double WeekGrid::weekTotal() const
{
    double sum = 0.0;
    for (int day = 0; day < kDays; ++day)
        sum += dayTotal(day);
    return sum;
}

bool WeekGrid::cellChanged(int row, int day) const
{
    const Cell& c = cell(row, day);
    if (c.stored.size() > 1)
        return false;
    if (c.stored.empty())
        return !c.text.isEmpty();
    // "8:00" over a stored 8 is no change.
    const std::optional<double> typed = hoursOf(c.text);
    return c.text.isEmpty() || !typed || *typed != c.stored.front().hours;
}

bool WeekGrid::changed() const
{
    for (int row = 0; row < rowCount(); ++row) {
        for (int day = 0; day < kDays; ++day) {
            if (cellChanged(row, day))
                return true;
        }
    }
    return false;
}

void WeekGrid::copyFrom(const std::vector<Entry>& previousWeek)
{
    const WeekGrid before(m_firstDay.addDays(-kDays), previousWeek);
    for (int from = 0; from < before.rowCount(); ++from) {
        const int row = rowOf(before.workCode(from), before.description(from));
        for (int day = 0; day < kDays; ++day) {
            const Cell& source = before.cell(from, day);
            if (!source.stored.empty() && editable(row, day) && cell(row, day).text.isEmpty()
                && cell(row, day).stored.empty())
                m_rows[row].cells[day].text = text::numberToText(storedHours(source));
        }
    }
}

WeekGrid::Check WeekGrid::check(const QString& employee) const
{
    Check check;
    std::vector<bool> dayChanged(kDays, false);
    for (int row = 0; row < rowCount(); ++row) {
        for (int day = 0; day < kDays; ++day) {
            if (!cellChanged(row, day))
                continue;
            dayChanged[day] = true;
            const QString& typed = cell(row, day).text;
            if (typed.isEmpty())
                continue;
            const std::optional<double> hours = hoursOf(typed);
            QString refusal;
            if (m_rows[row].workCode == 0)
                refusal = QStringLiteral("You forgot to select Work Code.");
            else if (!hours)
                refusal = QStringLiteral("Hours must be numeric.");
            else if (HoursRule::refused(HoursRule::ofEntry(*hours)))
                refusal = HoursRule::refusal(HoursRule::ofEntry(*hours));
            if (!refusal.isEmpty()) {
                check.row = row;
                check.day = day;
                check.refusal = refusal;
                return check;
            }
            if (HoursRule::ofEntry(*hours) == HoursRule::Verdict::Zero)
                check.questions << text::dateToText(this->day(day)) + QStringLiteral(": ") + HoursRule::zeroQuestion();
        }
    }
    for (int day = 0; day < kDays; ++day) {
        if (dayChanged[day] && HoursRule::dayPassesLimit(dayTotal(day))) {
            const QDate date = this->day(day);
            check.questions << HoursRule::dayQuestion(
                employee, text::dateToText(date) + QStringLiteral(" (") + QLocale().dayName(date.dayOfWeek()) + u')',
                dayTotal(day));
        }
    }
    return check;
}

std::vector<WeekGrid::Write> WeekGrid::plan() const
{
    std::vector<Write> writes;
    for (int row = 0; row < rowCount(); ++row) {
        for (int day = 0; day < kDays; ++day) {
            if (!cellChanged(row, day))
                continue;
            const Cell& c = cell(row, day);
            Write write;
            write.workCode = m_rows[row].workCode;
            write.description = m_rows[row].description;
            write.day = this->day(day);
            write.hours = hoursOf(c.text).value_or(0.0);
            if (c.stored.empty()) {
                write.kind = Write::Add;
            } else {
                write.entryId = c.stored.front().id;
                write.kind = c.text.isEmpty() ? Write::Remove : Write::Change;
            }
            writes.push_back(write);
        }
    }
    return writes;
}

QString WeekGrid::describe(const std::vector<Write>& writes, const QDate& firstDay, const QString& employee)
{
    int counts[3] = {0, 0, 0};
    for (const Write& write : writes)
        ++counts[write.kind];
    const char* verbs[3] = {"added", "changed", "deleted"};
    QStringList parts;
    for (int kind = 0; kind < 3; ++kind) {
        if (counts[kind] == 0)
            continue;
        const QString noun =
            parts.isEmpty() ? (counts[kind] == 1 ? QStringLiteral(" entry") : QStringLiteral(" entries")) : QString();
        parts << QString::number(counts[kind]) + noun + u' ' + QString::fromLatin1(verbs[kind]);
    }
    return QStringLiteral("Week of %1 for %2: %3")
        .arg(QLocale::c().toString(firstDay, QStringLiteral("d MMM yyyy")), employee, parts.join(QStringLiteral(", ")));
}

}  // namespace hv::entries
