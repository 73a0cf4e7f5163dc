#include "app/entry_filter.h"

#include "core/list_column.h"
#include "core/locale_text.h"
#include "core/user_collator.h"

#include <QCollator>
#include <QDate>
#include <QDateTime>
#include <algorithm>
#include <functional>
#include <unordered_map>

namespace hv {

namespace {

enum ListPosition { kEmployee = 1, kDateWorked = 2, kWorkCode = 3, kHours = 4, kDescription = 5 };

// Whether a column's cells pass a test of their values, the test asked once
// for each distinct value: a million rows hold a few hundred names.
class CellMatcher {
public:
    CellMatcher(const ListColumn& column, std::function<bool(const QVariant&)> test)
        : m_column(column), m_test(std::move(test)), m_stored(column.storedCount(), kUnknown)
    {
    }

    bool operator()(quint32 row)
    {
        const quint32 word = m_column.word(row);
        const qint64 stored = ListColumn::storedNumber(word);
        if (stored >= 0) {
            qint8& known = m_stored[static_cast<size_t>(stored)];
            if (known == kUnknown)
                known = m_test(m_column.valueOf(word)) ? 1 : 0;
            return known != 0;
        }
        const auto [it, added] = m_inline.try_emplace(word, false);
        if (added)
            it->second = m_test(m_column.valueOf(word));
        return it->second;
    }

private:
    static constexpr qint8 kUnknown = -1;
    const ListColumn& m_column;
    std::function<bool(const QVariant&)> m_test;
    std::vector<qint8> m_stored;
    std::unordered_map<quint32, bool> m_inline;
};

}  // namespace

EntryFilter::Result EntryFilter::apply(const std::vector<ListColumn>& columns,
                                       const std::vector<quint32>& order) const
{
    Result result;
    if (columns.size() <= kDescription)
        return result;
    const QLocale locale;
    std::vector<CellMatcher> tests;
    const auto require = [&](int position, std::function<bool(const QVariant&)> test) {
        tests.emplace_back(columns[static_cast<size_t>(position)], std::move(test));
    };
    if (!employee.isEmpty())
        require(kEmployee, [&](const QVariant& v) { return text::valueToText(v, locale) == employee; });
    if (!workCode.isEmpty())
        require(kWorkCode, [&](const QVariant& v) { return text::valueToText(v, locale) == workCode; });
    if (!period.isAllDates())
        require(kDateWorked, [&](const QVariant& v) { return period.contains(reports::dayOf(v)); });
    if (!text.isEmpty())
        require(kDescription, [&](const QVariant& v) {
            return text::valueToText(v, locale).contains(text, Qt::CaseInsensitive);
        });

    // The hours are counted by cell word and added once per distinct value.
    const ListColumn& hours = columns[kHours];
    std::vector<qint64> storedTimes(hours.storedCount(), 0);
    std::unordered_map<quint32, qint64> inlineTimes;
    result.rows.reserve(tests.empty() ? order.size() : order.size() / 8);
    quint32 lastWord = 0;
    qint64* lastTimes = nullptr;
    for (const quint32 row : order) {
        bool match = true;
        for (CellMatcher& test : tests) {
            if (!test(row)) {
                match = false;
                break;
            }
        }
        if (!match)
            continue;
        result.rows.push_back(row);
        const quint32 word = hours.word(row);
        if (lastTimes && word == lastWord) {
            ++*lastTimes;
            continue;
        }
        const qint64 stored = ListColumn::storedNumber(word);
        lastTimes = stored >= 0 ? &storedTimes[static_cast<size_t>(stored)] : &inlineTimes[word];
        lastWord = word;
        ++*lastTimes;
    }
    const auto addHours = [&](quint32 word, qint64 times) {
        if (const std::optional<double> value = reports::hoursOf(hours.valueOf(word)))
            result.total.add(*value, times);
    };
    for (const auto& [word, times] : inlineTimes)
        addHours(word, times);
    for (size_t entry = 0; entry < storedTimes.size(); ++entry) {
        if (storedTimes[entry] == 0)
            continue;
        // The word of a stored value, found again from any row that shows it.
        addHours(static_cast<quint32>(entry) | ListColumn::storedWordTag(), storedTimes[entry]);
    }
    return result;
}

QStringList EntryFilter::valuesIn(const ListColumn& column)
{
    const QLocale locale;
    QStringList values;
    for (const quint32 word : column.distinctWords()) {
        const QString text = text::valueToText(column.valueOf(word), locale);
        if (!text.isEmpty())
            values.append(text);
    }
    const QCollator collator = userCollator();
    std::sort(values.begin(), values.end(),
              [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    values.removeDuplicates();
    return values;
}

}  // namespace hv
