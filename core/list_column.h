#pragma once

#include "core/stored_value.h"

#include <QCollatorSortKey>
#include <QLocale>
#include <QString>
#include <QVariant>
#include <vector>

class QCollator;

namespace hv {

// How the cells of a list column compare when the list is sorted by it:
// as texts under the user's collation, as numbers, or as dates.
enum class SortRule : quint8 { Text, Number, Date };

// The cells of one column of a list of rows read from a recordset (the
// work-hours list, a report), kept small for lists of a million rows: one
// 32-bit word per row, which holds a whole number (a number column) or a
// date (a date column) itself, or refers to a value stored once for every
// row that shows it (names, work codes, hours, repeated descriptions). Cells
// keep their values as read; they become text only when shown.
class ListColumn {
public:
    explicit ListColumn(SortRule rule) : m_rule(rule) {}

    SortRule rule() const { return m_rule; }
    size_t size() const { return m_cells.size(); }

    // Removes every cell. The stored values stay for the next fill, which
    // mostly shows the same ones again in the same rows; compact() drops
    // those no cell shows.
    void clearCells();
    void appendEmpty() { m_cells.push_back(kEmpty); }

    // Sets a cell. decode() gives the text of a Text or Other value; it runs
    // only when no stored value has the same bytes.
    template <typename Decode>
    void set(size_t row, const StoredValue& value, Decode&& decode)
    {
        quint32 word = 0;
        if (row < m_previous.size() && isStored(m_previous[row], value)) {
            word = m_previous[row];  // the value this row showed before the refill
        } else if (!inlineWord(value, word)) {
            const quint32 hash = hashOf(value);
            quint32 entry = find(value, hash);
            if (entry == kNotFound) {
                const bool text = value.kind == StoredValue::Text || value.kind == StoredValue::Other;
                entry = add(value, hash, text ? decode() : QString());
            }
            word = kStored | entry;
        }
        m_cells[row] = word;
    }

    // The cell's value as Recordset::value() gives it: Null as an invalid
    // QVariant, a whole number as qint64, a date as QDate (QDateTime, marked
    // Qt::UTC, with a time of day), yes/no as bool, text as QString.
    QVariant value(size_t row) const { return valueOf(m_cells[row]); }

    // A cell's word: cells with the same word hold the same value, which
    // valueOf() gives. A word refers to a stored value (storedNumber() gives
    // its number, below storedCount()) or holds its value itself (-1).
    quint32 word(size_t row) const { return m_cells[row]; }
    QVariant valueOf(quint32 word) const;
    static qint64 storedNumber(quint32 word) { return isStoredWord(word) ? qint64(word & kPayload) : -1; }
    static constexpr quint32 storedWordTag() { return kStored; }
    size_t storedCount() const { return m_entries.size(); }
    // The column's distinct words (so its distinct values), each once, in the
    // order the rows first show them.
    std::vector<quint32> distinctWords() const;

    // One key a row, in row order: the rows in ascending order of their keys
    // are the column sorted (descending: reversed), empty cells first when
    // ascending. Texts compare under the collator, whose keys are made once
    // for each stored text and kept while `collation` names the same one;
    // `locale` turns values that are not texts into text where a text is
    // compared with them.
    void sortKeys(std::vector<quint64>& keys, bool descending, const QCollator& collator,
                  const QString& collation, const QLocale& locale);

    // Makes the keys and the order of up to `count` more stored texts under
    // the collator, ahead of a sort by this text column, so that the sort
    // finds them made; true once every stored value has its place.
    bool collateAhead(const QCollator& collator, const QString& collation, const QLocale& locale, quint32 count);

    // Drops the stored values no cell refers to when a quarter of many are
    // unused, and gives back room the cells no longer need.
    void compact();

private:
    // A cell's word: its top two bits say what the other thirty hold.
    static constexpr quint32 kEmpty = 0;
    static constexpr quint32 kInline = 1u << 30;   // a whole number, or a date's day
    static constexpr quint32 kStored = 2u << 30;   // the number of a stored value
    static constexpr quint32 kSixtyFourths = 3u << 30;  // a number in 64ths (hours)
    static constexpr quint32 kPayload = kInline - 1;
    static constexpr quint32 kTag = ~kPayload;
    static bool isStoredWord(quint32 word) { return (word & kTag) == kStored; }
    static constexpr quint32 kNotFound = 0xFFFFFFFFu;

    // A value stored once: its kind, its bytes in m_bytes (text as read, or
    // the number or date), and its text when it is a text.
    struct Entry {
        quint32 offset;
        quint32 size;
        quint32 hash;
        StoredValue::Kind kind;
        QString text;
    };

    bool inlineWord(const StoredValue& value, quint32& word) const;
    bool isStored(quint32 word, const StoredValue& value) const;
    static QByteArrayView bytesOf(const StoredValue& value, char (&buffer)[16]);
    static quint32 hashOf(const StoredValue& value);
    quint32 find(const StoredValue& value, quint32 hash) const;
    quint32 add(const StoredValue& value, quint32 hash, QString text);
    void insertSlot(quint32 entry);
    QVariant entryValue(const Entry& entry) const;
    QString entryText(quint32 entry, const QLocale& locale) const;
    // Keys for the stored values up to `upTo`, the new ones as one sorted
    // run (a collation other than the one known starts over).
    void keyTexts(const QCollator& collator, const QString& collation, const QLocale& locale, quint32 upTo);
    // Merges the two neighbouring runs of least size (the last run: into
    // the order), or every run.
    void mergeRuns(bool all);
    bool collationLess(quint32 a, quint32 b) const;
    const std::vector<quint32>& collationRanks(const QCollator& collator, const QString& collation,
                                               const QLocale& locale);

    SortRule m_rule;
    std::vector<quint32> m_cells;
    // The cells before a refill of a column with many stored values: a row
    // mostly shows the same value again, found here without a look-up.
    std::vector<quint32> m_previous;
    std::vector<Entry> m_entries;
    std::vector<char> m_bytes;
    std::vector<quint32> m_slots;  // open addressing: entry + 1, 0 when free

    // The stored texts under one collation: a key each, their order and a
    // rank each (equal ranks for texts the collation finds equal).
    QString m_collation;
    std::vector<QCollatorSortKey> m_collationKeys;
    std::vector<quint32> m_collationOrder;
    // The texts keyed since, in sorted runs not yet merged into the order:
    // the order covers the first texts, the runs those after them.
    std::vector<std::vector<quint32>> m_collationRuns;
    std::vector<quint32> m_collationRanks;
};

}  // namespace hv
