#pragma once

#include "app/entry_filter.h"
#include "core/list_column.h"

#include <QAbstractTableModel>
#include <QLocale>
#include <QTimer>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace hv::data {
class Recordset;
}

namespace hv {

// The rows of the work-hours list: one value per column and row, in the order
// the rows were added, shown either in that order or sorted by one column;
// the sort state lasts across refills, like the list control's own. Cells
// keep their values and show them as the values joined to text under the
// locale of the fill. The list's columns sort by what they hold: "ID" and
// "Hours" as numbers, "Date Worked" by date, the others as texts under the
// user's collation (without regard to case, numbers within texts by value);
// empty cells come first in ascending order, and equal cells keep the order
// in which their rows were added.
class WorkHoursModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum SortOrder { Ascending = 0, Descending = 1 };

    explicit WorkHoursModel(QObject* parent = nullptr);

    // Columns are added once, with their header texts; the column's position
    // among the list's six decides how it sorts (texts beyond them).
    void addColumn(const QString& header);

    // Removes every row (the columns and the sort state stay).
    void clearRows();

    // Adds a row whose first cell is a value and whose other cells are empty,
    // and returns its handle for setCell(). While a Fill is open, rows are
    // shown only when it ends; otherwise each row is shown as it is added.
    // The recordset forms read the field of the current row and raise what
    // reading it raises, before anything changes.
    int addRow(const QVariant& value);
    int addRow(const data::Recordset& recordset, int field);

    // Sets cell column (counted from 0) of a row added by addRow(); raises
    // "Index out of bounds" for a row or column that does not exist.
    void setCell(int rowHandle, int column, const QVariant& value);
    void setCell(int rowHandle, int column, const data::Recordset& recordset, int field);

    // Groups many addRow() calls into one update of the views, when it
    // ends. A fill read in batches shows each batch with showAdded() as it
    // goes on.
    class Fill {
    public:
        explicit Fill(WorkHoursModel& model);
        ~Fill();
        Fill(const Fill&) = delete;
        Fill& operator=(const Fill&) = delete;

        // Shows the rows added so far. In a list neither sorted nor
        // filtered they join the views at its end, so that the current row,
        // the selection and the scrolled place stay; otherwise the views
        // take the whole list again.
        void showAdded();

    private:
        WorkHoursModel& m_model;
    };

    // The sort state. Setting Sorted re-sorts the rows by SortKey in SortOrder;
    // clearing it keeps the rows where they are.
    bool sorted() const { return m_sorted; }
    int sortKey() const { return m_sortKey; }
    int sortOrder() const { return m_sortOrder; }
    void setSorted(bool sorted);
    void setSortKey(int column);
    void setSortOrder(int order);

    // Makes the sort keys of up to `texts` more texts of the text columns
    // ahead of a header click; true once every text has its key. After each
    // fill the model does this itself from the event loop, a slice at a
    // time, so that the first click on a column of many texts finds them made.
    bool prepareSorts(quint32 texts);
    // How many texts a slice of it takes while the program is idle: a few
    // milliseconds' work.
    static constexpr quint32 kSortTextsASlice = 4096;

    // Shows only the rows a filter matches, in the same order, until it is
    // cleared (nothing: every row); the filter holds across refills and
    // sorts. The matching rows' number and hours total are the last
    // filtering's.
    void setFilter(std::optional<EntryFilter> filter);
    const std::optional<EntryFilter>& filter() const { return m_filter; }
    const reports::HoursTotal& shownTotal() const { return m_shownTotal; }
    // The distinct texts of a column's cells (see EntryFilter::valuesIn).
    QStringList valuesIn(int column) const;

    // The text of a cell in display order.
    QString text(int displayRow, int column) const;
    // The row in display order of the entry with this ID (column 0); -1 when none has.
    int displayRowOfId(qint64 id) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    // A view lays out every row it is told of, asking these of each: they
    // are answered without a round of further virtual calls.
    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    template <typename Store>
    int appendRow(Store&& storeFirst);
    template <typename Store>
    void storeCell(int rowHandle, int column, Store&& store);
    void sortRows();
    // One slice of prepareSorts() while the program is idle.
    void prepareSomeSorts();
    // Shows the rows added during a fill (Fill::showAdded()).
    void showFilledRows();
    QString cellText(quint32 storageRow, int column) const;
    // The rows the views see: every row in display order, or those the
    // filter matched.
    const std::vector<quint32>& shownOrder() const { return m_filter ? m_filtered : m_displayOrder; }
    // Sorts when sorted, filters when filtering, and counts the rows shown.
    void arrangeRows();
    void filterRows();

    QStringList m_headers;
    std::vector<ListColumn> m_columns;
    size_t m_rows = 0;                   // rows added since the list was emptied
    std::vector<quint32> m_displayOrder; // display row -> row in adding order
    QLocale m_locale;                    // the locale the cells are shown under
    std::optional<EntryFilter> m_filter;
    std::vector<quint32> m_filtered;     // shown row -> row in adding order, while filtering
    reports::HoursTotal m_shownTotal;
    int m_fillDepth = 0;
    int m_shownRows = 0;                 // rows the views know of
    bool m_sorted = false;
    int m_sortKey = 0;
    int m_sortOrder = Ascending;
    // The idle slices of prepareSorts().
    QTimer m_preparing;
};

}  // namespace hv
