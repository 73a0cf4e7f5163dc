#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <functional>
#include <QVariant>

class QComboBox;
class QWidget;

namespace hv {

// A drop-down list of records' display texts with the records' IDs in a list
// beside it: the item at position p (counted from 0, -1 for no selection) has
// its ID at entry p + 1 of the ID list (counted from 1). Between fills the ID
// list holds exactly one ID per item.
class RecordPicker {
public:
    struct Source {
        QString owner;          // the window whose procedure fills it, "Form2"
        QString fillProcedure;  // "LoadEmployees", "LoadWorkCodes"
        QString query;          // the rows, in the order they are listed
        QString displayColumn;  // the column each item shows
        // The IDs of the records not offered (those no longer active),
        // unless revealed; none when empty.
        std::function<QSet<qint64>()> hiddenIds = {};
    };

    RecordPicker(QComboBox& combo, Source source, QWidget* reportParent);

    // Refills the list and the IDs from the database. With a clear-selection
    // flag of 0 the previous position is selected again (a position, not a
    // record); otherwise nothing is selected. A query or row that cannot be
    // read is reported once and ends the fill with the rows read so far and
    // no selection.
    void fill(quint8 clearSelection);

    // Offers, from now on, the records hidden by the last fill whose text is
    // `display` (the record an entry already uses), in their place in the
    // list.
    void reveal(const QString& display);

    // The selected position, -1 when nothing is selected.
    int position() const;

    // Entry `index` of the ID list, counted from 1, as decimal digits. Raises
    // "Subscript out of range" (9) outside the list.
    QString idAt(int index) const;
    int idCount() const { return static_cast<int>(m_ids.size()); }

    QComboBox& combo() const { return m_combo; }

private:
    QComboBox& m_combo;
    Source m_source;
    QWidget* m_reportParent;
    QList<qint64> m_ids;
    // The rows the last fill hid, in the query's order, with the number of
    // items listed before each; and the hidden IDs offered all the same.
    struct Hidden {
        qint64 id;
        QString display;
        int before;
    };
    QList<Hidden> m_hidden;
    QSet<qint64> m_revealed;
};

}  // namespace hv
