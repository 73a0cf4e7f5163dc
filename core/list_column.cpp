#include "core/list_column.h"

#include "core/locale_text.h"

#include <QCollator>
#include <QDate>
#include <QDateTime>
#include <QTime>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <numeric>
#include <unordered_set>

namespace hv {

namespace {


constexpr qint64 kSecondsPerDay = 86400;

// Keys of a number column: numbers in their order between these bounds,
// then the texts that are not numbers, in collation order.
constexpr quint64 kNumberTexts = 0xFFF0000000000001ull;
// Keys of a date column: dates as 1 + seconds since the start of the Julian
// day count, then the values that are not dates, in collation order.
constexpr quint64 kDateTexts = quint64(1) << 62;

// A number as an unsigned key in the same order (-0 and 0 alike).
quint64 numberKey(double number)
{
    if (number == 0.0)
        number = 0.0;
    if (std::isnan(number))
        return 0xFFF0000000000000ull;
    const auto bits = std::bit_cast<quint64>(number);
    return (bits & 0x8000000000000000ull) ? ~bits : bits | 0x8000000000000000ull;
}

quint64 dateKey(qint64 julianDay, int secondsOfDay)
{
    return 1 + static_cast<quint64>(julianDay * kSecondsPerDay + secondsOfDay);
}

// A fast hash over a few dozen bytes, eight at a time.
quint32 hashBytes(const char* data, size_t size, quint64 seed)
{
    quint64 h = seed ^ (size * 0x9E3779B97F4A7C15ull);
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 chunk;
        std::memcpy(&chunk, data + i, 8);
        h = (h ^ chunk) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 32;
    }
    if (i < size) {
        quint64 chunk = 0;
        std::memcpy(&chunk, data + i, size - i);
        h = (h ^ chunk) * 0xC4CEB9FE1A85EC53ull;
    }
    h ^= h >> 29;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 32;
    return static_cast<quint32>(h);
}

}  // namespace

bool ListColumn::inlineWord(const StoredValue& value, quint32& word) const
{
    switch (value.kind) {
    case StoredValue::Null:
        word = kEmpty;
        return true;
    case StoredValue::Whole:
        if (m_rule == SortRule::Number && value.whole >= 0 && value.whole <= kPayload) {
            word = kInline | static_cast<quint32>(value.whole);
            return true;
        }
        return false;
    case StoredValue::Number:
        // Hours are mostly whole, halves or quarters: such a number is kept
        // in the word as a count of 64ths.
        if (m_rule == SortRule::Number && value.number >= 0.0 && value.number < (kPayload + 1.0) / 64.0) {
            const double sixtyFourths = value.number * 64.0;
            const auto count = static_cast<quint32>(sixtyFourths);
            if (static_cast<double>(count) == sixtyFourths) {
                word = kSixtyFourths | count;
                return true;
            }
        }
        return false;
    case StoredValue::Date:
        if (m_rule == SortRule::Date && value.secondsOfDay == 0 && value.julianDay >= 0
            && value.julianDay <= kPayload) {
            word = kInline | static_cast<quint32>(value.julianDay);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void ListColumn::clearCells()
{
    constexpr size_t kManyStoredValues = 4096;
    if (m_entries.size() >= kManyStoredValues) {
        m_previous.swap(m_cells);
        m_cells.reserve(m_previous.size());
    }
    m_cells.clear();
}

bool ListColumn::isStored(quint32 word, const StoredValue& value) const
{
    if (!isStoredWord(word))
        return false;
    const Entry& entry = m_entries[word & kPayload];
    if (entry.kind != value.kind)
        return false;
    char buffer[16];
    const QByteArrayView bytes = bytesOf(value, buffer);
    return entry.size == static_cast<quint32>(bytes.size())
        && (bytes.isEmpty() || std::memcmp(m_bytes.data() + entry.offset, bytes.data(), entry.size) == 0);
}

QByteArrayView ListColumn::bytesOf(const StoredValue& value, char (&buffer)[16])
{
    switch (value.kind) {
    case StoredValue::Text:
    case StoredValue::Other:
        return value.bytes;
    case StoredValue::Number:
        std::memcpy(buffer, &value.number, 8);
        return QByteArrayView(buffer, 8);
    case StoredValue::Date:
        std::memcpy(buffer, &value.julianDay, 8);
        std::memcpy(buffer + 8, &value.secondsOfDay, 4);
        return QByteArrayView(buffer, 12);
    default:
        std::memcpy(buffer, &value.whole, 8);
        return QByteArrayView(buffer, 8);
    }
}

quint32 ListColumn::hashOf(const StoredValue& value)
{
    char buffer[16];
    const QByteArrayView bytes = bytesOf(value, buffer);
    return hashBytes(bytes.data(), static_cast<size_t>(bytes.size()), value.kind);
}

quint32 ListColumn::find(const StoredValue& value, quint32 hash) const
{
    if (m_slots.empty())
        return kNotFound;
    char buffer[16];
    const QByteArrayView bytes = bytesOf(value, buffer);
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const quint32 held = m_slots[slot];
        if (held == 0)
            return kNotFound;
        const Entry& entry = m_entries[held - 1];
        if (entry.hash == hash && entry.kind == value.kind && entry.size == static_cast<quint32>(bytes.size())
            && (bytes.isEmpty() || std::memcmp(m_bytes.data() + entry.offset, bytes.data(), entry.size) == 0))
            return held - 1;
    }
}

quint32 ListColumn::add(const StoredValue& value, quint32 hash, QString text)
{
    char buffer[16];
    const QByteArrayView bytes = bytesOf(value, buffer);
    const auto entry = static_cast<quint32>(m_entries.size());
    m_entries.push_back({static_cast<quint32>(m_bytes.size()), static_cast<quint32>(bytes.size()), hash, value.kind,
                         std::move(text)});
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    if (m_entries.size() * 2 > m_slots.size()) {
        m_slots.assign(std::max<size_t>(64, m_slots.size() * 2), 0);
        for (quint32 e = 0; e < m_entries.size(); ++e)
            insertSlot(e);
    } else {
        insertSlot(entry);
    }
    return entry;
}

void ListColumn::insertSlot(quint32 entry)
{
    const size_t mask = m_slots.size() - 1;
    size_t slot = m_entries[entry].hash & mask;
    while (m_slots[slot] != 0)
        slot = (slot + 1) & mask;
    m_slots[slot] = entry + 1;
}

QVariant ListColumn::entryValue(const Entry& entry) const
{
    const char* bytes = m_bytes.data() + entry.offset;
    switch (entry.kind) {
    case StoredValue::Text:
    case StoredValue::Other:
        return entry.text;
    case StoredValue::Number: {
        double number;
        std::memcpy(&number, bytes, 8);
        return number;
    }
    case StoredValue::Date: {
        qint64 day;
        int seconds;
        std::memcpy(&day, bytes, 8);
        std::memcpy(&seconds, bytes + 8, 4);
        const QDate date = QDate::fromJulianDay(day);
        if (seconds == 0)
            return date;
        return QDateTime(date, QTime::fromMSecsSinceStartOfDay(seconds * 1000), Qt::UTC);
    }
    case StoredValue::YesNo: {
        qint64 whole;
        std::memcpy(&whole, bytes, 8);
        return whole != 0;
    }
    case StoredValue::Whole: {
        qint64 whole;
        std::memcpy(&whole, bytes, 8);
        return QVariant::fromValue<qint64>(whole);
    }
    case StoredValue::Null:
        break;
    }
    return {};
}

std::vector<quint32> ListColumn::distinctWords() const
{
    std::vector<bool> storedSeen(m_entries.size(), false);
    std::unordered_set<quint32> inlineSeen;
    std::vector<quint32> words;
    for (const quint32 word : m_cells) {
        const qint64 stored = storedNumber(word);
        if (stored >= 0) {
            if (storedSeen[static_cast<size_t>(stored)])
                continue;
            storedSeen[static_cast<size_t>(stored)] = true;
        } else if (!inlineSeen.insert(word).second) {
            continue;
        }
        words.push_back(word);
    }
    return words;
}

QVariant ListColumn::valueOf(quint32 word) const
{
    if (word == kEmpty)
        return {};
    if (isStoredWord(word))
        return entryValue(m_entries[word & kPayload]);
    if ((word & kTag) == kSixtyFourths)
        return static_cast<double>(word & kPayload) / 64.0;
    if (m_rule == SortRule::Date)
        return QDate::fromJulianDay(word & kPayload);
    return QVariant::fromValue<qint64>(word & kPayload);
}

QString ListColumn::entryText(quint32 entry, const QLocale& locale) const
{
    const Entry& e = m_entries[entry];
    if (e.kind == StoredValue::Text || e.kind == StoredValue::Other)
        return e.text;
    return text::valueToText(entryValue(e), locale);
}

bool ListColumn::collationLess(quint32 a, quint32 b) const
{
    return m_collationKeys[a].compare(m_collationKeys[b]) < 0;
}

void ListColumn::keyTexts(const QCollator& collator, const QString& collation, const QLocale& locale, quint32 upTo)
{
    if (collation != m_collation) {
        m_collation = collation;
        m_collationKeys.clear();
        m_collationOrder.clear();
        m_collationRuns.clear();
        m_collationRanks.clear();
    }
    const auto known = static_cast<quint32>(m_collationKeys.size());
    upTo = std::min(upTo, static_cast<quint32>(m_entries.size()));
    if (upTo <= known)
        return;
    m_collationKeys.reserve(m_entries.size());
    for (quint32 e = known; e < upTo; ++e)
        m_collationKeys.push_back(collator.sortKey(entryText(e, locale)));
    std::vector<quint32> run(upTo - known);
    std::iota(run.begin(), run.end(), known);
    std::sort(run.begin(), run.end(), [this](quint32 a, quint32 b) { return collationLess(a, b); });
    m_collationRuns.push_back(std::move(run));
    m_collationRanks.clear();
}

void ListColumn::mergeRuns(bool all)
{
    const auto less = [this](quint32 a, quint32 b) { return collationLess(a, b); };
    while (!m_collationRuns.empty()) {
        std::vector<quint32>* into = &m_collationOrder;
        std::vector<quint32>* from = &m_collationRuns.front();
        size_t second = 0;
        if (m_collationRuns.size() > 1) {
            // The two neighbouring runs of least size, so that every text
            // takes part in a few merges however many runs there are.
            size_t best = 0;
            for (size_t i = 1; i + 1 < m_collationRuns.size(); ++i) {
                if (m_collationRuns[i].size() + m_collationRuns[i + 1].size()
                    < m_collationRuns[best].size() + m_collationRuns[best + 1].size())
                    best = i;
            }
            into = &m_collationRuns[best];
            from = &m_collationRuns[best + 1];
            second = best + 1;
        }
        std::vector<quint32> merged;
        merged.reserve(into->size() + from->size());
        std::merge(into->begin(), into->end(), from->begin(), from->end(), std::back_inserter(merged), less);
        into->swap(merged);
        m_collationRuns.erase(m_collationRuns.begin() + static_cast<std::ptrdiff_t>(second));
        if (!all)
            return;
    }
}

const std::vector<quint32>& ListColumn::collationRanks(const QCollator& collator, const QString& collation,
                                                       const QLocale& locale)
{
    const auto total = static_cast<quint32>(m_entries.size());
    keyTexts(collator, collation, locale, total);
    mergeRuns(true);
    if (m_collationRanks.size() == total)
        return m_collationRanks;
    m_collationRanks.assign(total, 0);
    quint32 rank = 0;
    for (size_t i = 0; i < m_collationOrder.size(); ++i) {
        if (i > 0 && collationLess(m_collationOrder[i - 1], m_collationOrder[i]))
            ++rank;
        m_collationRanks[m_collationOrder[i]] = rank;
    }
    return m_collationRanks;
}

bool ListColumn::collateAhead(const QCollator& collator, const QString& collation, const QLocale& locale,
                              quint32 count)
{
    if (m_rule != SortRule::Text)
        return true;
    const auto total = static_cast<quint32>(m_entries.size());
    const auto known = collation == m_collation ? static_cast<quint32>(m_collationKeys.size()) : 0u;
    // A slice makes the keys of `count` texts, or merges two runs of them.
    if (known < total && count > 0) {
        keyTexts(collator, collation, locale, known + count);
        return false;
    }
    if (known < total)
        return false;
    if (!m_collationRuns.empty()) {
        if (count > 0)
            mergeRuns(false);
        return false;
    }
    collationRanks(collator, collation, locale);
    return true;
}

void ListColumn::sortKeys(std::vector<quint64>& keys, bool descending, const QCollator& collator,
                          const QString& collation, const QLocale& locale)
{
    // A key for each stored value first, then one look-up a row.
    const std::vector<quint32>* ranks = nullptr;
    const auto rankOf = [&](quint32 entry) {
        if (!ranks)
            ranks = &collationRanks(collator, collation, locale);
        return static_cast<quint64>((*ranks)[entry]);
    };
    std::vector<quint64> entryKeys(m_entries.size());
    for (quint32 e = 0; e < m_entries.size(); ++e) {
        const Entry& entry = m_entries[e];
        const bool isText = entry.kind == StoredValue::Text || entry.kind == StoredValue::Other;
        quint64 key = 0;
        if (isText && entry.text.isEmpty()) {
            key = 0;  // an empty text sorts with the empty cells
        } else if (m_rule == SortRule::Text) {
            key = 1 + rankOf(e);
        } else if (m_rule == SortRule::Number && !isText && entry.kind != StoredValue::Date) {
            const QVariant v = entryValue(entry);
            key = numberKey(entry.kind == StoredValue::YesNo ? (v.toBool() ? -1.0 : 0.0) : v.toDouble());
        } else if (m_rule == SortRule::Date && entry.kind == StoredValue::Date) {
            const QVariant v = entryValue(entry);
            const QDateTime at = v.typeId() == QMetaType::QDateTime ? v.toDateTime() : QDateTime(v.toDate(), QTime(0, 0), Qt::UTC);
            key = dateKey(at.date().toJulianDay(), at.time().msecsSinceStartOfDay() / 1000);
        } else {
            key = (m_rule == SortRule::Number ? kNumberTexts : kDateTexts) + rankOf(e);
        }
        entryKeys[e] = key;
    }

    const size_t rows = m_cells.size();
    keys.resize(rows);
    const quint64 flip = descending ? ~quint64(0) : 0;
    for (size_t row = 0; row < rows; ++row) {
        const quint32 word = m_cells[row];
        quint64 key = 0;
        if (isStoredWord(word))
            key = entryKeys[word & kPayload];
        else if ((word & kTag) == kSixtyFourths)
            key = numberKey(static_cast<double>(word & kPayload) / 64.0);
        else if (word != kEmpty)
            key = m_rule == SortRule::Date ? dateKey(word & kPayload, 0)
                                           : numberKey(static_cast<double>(word & kPayload));
        keys[row] = key ^ flip;
    }
}

void ListColumn::compact()
{
    m_previous = {};
    if (m_cells.capacity() > m_cells.size() + m_cells.size() / 4 + 4096)
        m_cells.shrink_to_fit();
    if (m_entries.size() < 1024)
        return;

    // Which stored values do cells still show?
    std::vector<quint32> newIndex(m_entries.size(), kNotFound);
    for (const quint32 word : m_cells) {
        if (isStoredWord(word))
            newIndex[word & kPayload] = 0;
    }
    quint32 live = 0;
    for (quint32& index : newIndex) {
        if (index != kNotFound)
            index = live++;
    }
    if (live > m_entries.size() - m_entries.size() / 4)
        return;  // too few to drop for a rebuild

    std::vector<Entry> entries;
    entries.reserve(live);
    std::vector<char> bytes;
    std::vector<QCollatorSortKey> collationKeys;
    // Texts keyed but not yet in the order lose their keys; they are made
    // again when asked for.
    m_collationRuns.clear();
    if (m_collationKeys.size() > m_collationOrder.size()) {
        m_collationKeys.erase(m_collationKeys.begin() + static_cast<std::ptrdiff_t>(m_collationOrder.size()),
                              m_collationKeys.end());
        m_collationRanks.clear();
    }
    std::vector<quint32> collationRanks;
    for (quint32 e = 0; e < m_entries.size(); ++e) {
        if (newIndex[e] == kNotFound)
            continue;
        Entry entry = std::move(m_entries[e]);
        const char* from = m_bytes.data() + entry.offset;
        entry.offset = static_cast<quint32>(bytes.size());
        bytes.insert(bytes.end(), from, from + entry.size);
        entries.push_back(std::move(entry));
        if (e < m_collationKeys.size()) {
            collationKeys.push_back(std::move(m_collationKeys[e]));
            collationRanks.push_back(e < m_collationRanks.size() ? m_collationRanks[e] : 0);
        }
    }
    // The collation order keeps its known texts in their order; ranks may
    // now leave gaps, which keeps them in order all the same.
    std::vector<quint32> collationOrder;
    for (const quint32 e : m_collationOrder) {
        if (newIndex[e] != kNotFound)
            collationOrder.push_back(newIndex[e]);
    }
    if (collationRanks.size() != collationKeys.size() || m_collationRanks.size() != m_collationKeys.size())
        collationRanks.clear();

    m_entries.swap(entries);
    m_bytes.swap(bytes);
    m_collationKeys.swap(collationKeys);
    m_collationOrder.swap(collationOrder);
    m_collationRanks.swap(collationRanks);
    for (quint32& word : m_cells) {
        if (isStoredWord(word))
            word = kStored | newIndex[word & kPayload];
    }
    size_t slots = 64;
    while (slots < m_entries.size() * 2)
        slots *= 2;
    m_slots.assign(slots, 0);
    for (quint32 e = 0; e < m_entries.size(); ++e)
        insertSlot(e);
}

}  // namespace hv
