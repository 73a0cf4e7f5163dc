#pragma once

#include <QList>
#include <QString>
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
    };

    RecordPicker(QComboBox& combo, Source source, QWidget* reportParent);

    // Refills the list and the IDs from the database. With a clear-selection
    // flag of 0 the previous position is selected again (a position, not a
    // record); otherwise nothing is selected. A query or row that cannot be
    // read is reported once and ends the fill with the rows read so far and
    // no selection.
    void fill(quint8 clearSelection);

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
};

}  // namespace hv
