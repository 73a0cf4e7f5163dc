#include "reports/report_rows.h"

#include "data/locale_text.h"
#include "data/recordset.h"

#include <QDate>
#include <QDateTime>

namespace hv::reports {

ReportRows ReportRows::read(data::Recordset& source, const ReportLayout& layout)
{
    const QList<ReportControl>& fields = layout.fields();
    std::vector<int> indexes;
    indexes.reserve(static_cast<std::size_t>(fields.size()));
    for (const ReportControl& field : fields)
        indexes.push_back(source.fieldIndex(field.column));

    ReportRows rows;
    rows.m_columns = static_cast<int>(fields.size());
    while (!source.Eof()) {
        for (std::size_t f = 0; f < indexes.size(); ++f)
            rows.m_texts.push_back(display(source.value(indexes[f]), fields[static_cast<qsizetype>(f)].format));
        source.MoveNext();
    }
    return rows;
}

QString ReportRows::display(const QVariant& value, FieldFormat format)
{
    switch (format) {
    case FieldFormat::ShortDate:
        if (value.typeId() == QMetaType::QDate)
            return text::dateToText(value.toDate());
        if (value.typeId() == QMetaType::QDateTime)
            return text::dateToText(value.toDateTime().date());
        break;
    case FieldFormat::Number:
        if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::LongLong
            || value.typeId() == QMetaType::Int)
            return text::numberToText(value.toDouble());
        break;
    case FieldFormat::AsStored:
        break;
    }
    return text::valueToText(value);
}

}  // namespace hv::reports
