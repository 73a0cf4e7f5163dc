#include "entries/record_picker.h"

#include "gui/error_report.h"
#include "gui/shared_connection.h"
#include "data/component_factory.h"
#include "core/locale_text.h"
#include "data/recordset.h"
#include "core/runtime_error.h"

#include <QComboBox>
#include <memory>

namespace hv {

RecordPicker::RecordPicker(QComboBox& combo, Source source, QWidget* reportParent)
    : m_combo(combo), m_source(std::move(source)), m_reportParent(reportParent)
{
}

void RecordPicker::fill(quint8 clearSelection)
{
    ErrorReport err(ErrorReport::location(m_source.owner, m_source.fillProcedure), m_reportParent);
    int previous = -1;
    err.line(0, [&] { previous = m_combo.currentIndex(); });
    err.line(100, [&] { m_ids.clear(); });
    m_hidden.clear();
    QSet<qint64> hidden;
    if (m_source.hiddenIds && !err.line(100, [&] { hidden = m_source.hiddenIds().subtract(m_revealed); }))
        hidden.clear();
    err.line(102, [&] { m_combo.clear(); });
    // The list selects the first item added to it; a fill that ends early
    // must not leave that item chosen, as nobody chose it.
    const auto endEarly = [&] { m_combo.setCurrentIndex(-1); };
    std::unique_ptr<data::Recordset> rs;
    err.line(104, [&] { rs = data::ComponentFactory::createRecordset(); });
    if (!err.line(106, [&] { data::required(rs).Open(m_source.query, SharedConnection::get(), data::Recordset::adOpenStatic, data::Recordset::adLockReadOnly); }))
        return endEarly();

    // Each row's ID and text are read before either is added, so a row that
    // cannot be read leaves no ID without its item.
    while (err.loopTest(108, [&] { return !rs->Eof(); })) {
        qint64 id = 0;
        if (!err.line(110, [&] { id = text::toLong(rs->Fields(QStringLiteral("ID"))); }))
            return endEarly();
        if (!err.line(112, [&] {
                const QString display = text::valueToText(rs->Fields(m_source.displayColumn));
                if (hidden.contains(id)) {
                    m_hidden.append({id, display, static_cast<int>(m_ids.size())});
                    return;
                }
                m_ids.append(id);
                m_combo.addItem(display);
            }))
            return endEarly();
        if (!err.line(114, [&] { rs->MoveNext(); }))
            return endEarly();
    }
    err.line(116, [&] { rs->Close(); });
    // A position the refilled list no longer has leaves no selection.
    const int restored = clearSelection == 0 && previous < m_combo.count() ? previous : -1;
    if (!err.line(116, [&] { m_combo.setCurrentIndex(restored); }))
        endEarly();
}

void RecordPicker::reveal(const QString& display)
{
    // Each row comes after the visible items it followed and the hidden rows
    // before it that are offered already.
    int shownBefore = 0;
    for (const Hidden& row : std::as_const(m_hidden)) {
        if (m_revealed.contains(row.id)) {
            ++shownBefore;
            continue;
        }
        if (row.display != display)
            continue;
        const int at = row.before + shownBefore++;
        m_revealed.insert(row.id);
        m_ids.insert(at, row.id);
        m_combo.insertItem(at, row.display);
    }
}

int RecordPicker::position() const
{
    return m_combo.currentIndex();
}

QString RecordPicker::idAt(int index) const
{
    if (index < 1 || index > m_ids.size())
        throw RuntimeError(err::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    return QString::number(m_ids.at(index - 1));
}

}  // namespace hv
