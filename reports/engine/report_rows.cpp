#include "reports/engine/report_rows.h"

#include "core/locale_text.h"
#include "data/recordset.h"

#include <QDateTime>

namespace hv::reports {

ReportRows ReportRows::read(data::Recordset& source, const ReportLayout& layout)
{
    const QList<ReportControl>& fields = layout.fields();
    std::vector<int> indexes;
    indexes.reserve(static_cast<std::size_t>(fields.size()));
    for (const ReportControl& field : fields)
        indexes.push_back(source.fieldIndex(field.column));

    const int key = layout.groupKey.isEmpty() ? -1 : source.keyIndex(layout.groupKey);

    ReportRows rows;
    rows.m_columns = static_cast<int>(fields.size());
    while (!source.Eof()) {
        for (std::size_t f = 0; f < indexes.size(); ++f) {
            const QVariant value = source.value(indexes[f]);
            rows.m_texts.push_back(display(value, fields[static_cast<qsizetype>(f)].format));
            rows.m_values.push_back(value);
        }
        if (key >= 0) {
            const QVariant id = source.value(key);
            rows.m_groupKeys.push_back(id.isNull() ? QVariant(QMetaType(QMetaType::LongLong)) : id);
        }
        source.MoveNext();
    }
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

}  // namespace hv::reports
