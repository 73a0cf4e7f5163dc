#include "reports/engine/report_rows.h"

#include "core/locale_text.h"
#include "data/recordset.h"

#include <QDateTime>

namespace hv::reports {

namespace {

// How a field's cells are kept: dates and numbers in the cell where they fit.
SortRule ruleFor(FieldFormat format)
{
    switch (format) {
    case FieldFormat::ShortDate: return SortRule::Date;
    case FieldFormat::Number: return SortRule::Number;
    case FieldFormat::AsStored: break;
    }
    return SortRule::Text;
}

// The hidden columns a report query carries its own order in.
const QString kOrderDay = QStringLiteral("hourvane_order_day");
const QString kOrderEntry = QStringLiteral("hourvane_order_entry");

qint64 momentOf(const StoredValue& value)
{
    if (value.kind != StoredValue::Date)
        return std::numeric_limits<qint64>::min();
    return value.julianDay * 86400 + value.secondsOfDay;
}

}  // namespace

ReportRows ReportRows::read(data::Recordset& source, const ReportLayout& layout)
{
    const QList<ReportControl>& fields = layout.fields();
    std::vector<int> indexes;
    indexes.reserve(static_cast<std::size_t>(fields.size()));
    for (const ReportControl& field : fields)
        indexes.push_back(source.fieldIndex(field.column));

    const int key = layout.groupKey.isEmpty() ? -1 : source.keyIndex(layout.groupKey);

    ReportRows rows;
    for (const ReportControl& field : fields)
        rows.m_fields.push_back(Field{ListColumn(ruleFor(field.format)), field.format, {}});
    rows.m_keyed = key >= 0;
    const int orderDay = source.keyIndex(kOrderDay);
    const int orderEntry = source.keyIndex(kOrderEntry);
    const bool ordered = orderDay >= 0 && orderEntry >= 0;
    for (; !source.Eof(); source.MoveNext()) {
        const auto row = static_cast<std::size_t>(rows.m_rows);
        for (std::size_t f = 0; f < indexes.size(); ++f) {
            ListColumn& cells = rows.m_fields[f].cells;
            cells.appendEmpty();
            cells.set(row, source.stored(indexes[f]), [&] { return source.text(indexes[f]); });
        }
        if (key >= 0) {
            const StoredValue id = source.stored(key);
            if (id.kind == StoredValue::Whole)
                rows.m_groupKeys.push_back(id.whole);
            else
                rows.m_groupKeys.push_back(id.kind == StoredValue::Null ? kNoRecord : source.value(key).toLongLong());
        }
        if (ordered)
            rows.m_places.push_back({momentOf(source.stored(orderDay)), source.stored(orderEntry).whole});
        ++rows.m_rows;
    }
    for (Field& field : rows.m_fields)
        field.cells.compact();
    rows.m_groupKeys.shrink_to_fit();
    rows.m_places.shrink_to_fit();
    return rows;
}

QString ReportRows::display(const QVariant& value, FieldFormat format)
{
    // Joined to text, a date already shows in the short date format and a
    // number in general format; a date field leaves out a time of day.
    if (format == FieldFormat::ShortDate && value.typeId() == QMetaType::QDateTime)
        return text::dateToText(value.toDateTime().date());
    return text::valueToText(value);
}

QString ReportRows::text(int row, int field) const
{
    const Field& f = m_fields[static_cast<std::size_t>(field)];
    return textOf(f, f.cells.word(static_cast<std::size_t>(row)));
}

QString ReportRows::textOf(const Field& f, quint32 word)
{
    const auto known = f.texts.constFind(word);
    if (known != f.texts.constEnd())
        return *known;
    const QVariant value = f.cells.valueOf(word);
    if (value.typeId() == QMetaType::QString)
        return value.toString();  // kept by the cells already
    return *f.texts.insert(word, display(value, f.format));
}

QStringList ReportRows::distinctTexts(int field) const
{
    const Field& f = m_fields[static_cast<std::size_t>(field)];
    QStringList found;
    for (const quint32 word : f.cells.distinctWords())
        found.append(textOf(f, word));
    // Two values can show as one text (a date with and without a time).
    found.removeDuplicates();
    return found;
}

QVariant ReportRows::value(int row, int field) const
{
    return m_fields[static_cast<std::size_t>(field)].cells.value(static_cast<std::size_t>(row));
}

QVariant ReportRows::groupKey(int row) const
{
    if (!m_keyed)
        return {};
    const qint64 id = m_groupKeys[static_cast<std::size_t>(row)];
    return id == kNoRecord ? QVariant(QMetaType(QMetaType::LongLong)) : QVariant::fromValue<qint64>(id);
}

}  // namespace hv::reports
