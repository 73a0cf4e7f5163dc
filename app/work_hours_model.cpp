#include "app/work_hours_model.h"

#include "data/runtime_error.h"

#include <algorithm>
#include <numeric>

namespace hv {

WorkHoursModel::WorkHoursModel(QObject* parent) : QAbstractTableModel(parent) {}

void WorkHoursModel::addColumn(const QString& header)
{
    // Columns come before the first row; existing rows would need a new stride.
    if (!m_cells.empty())
        throw RuntimeError(err::InvalidPropertyValue,
                           QStringLiteral("Columns cannot be added while the list holds rows"));
    beginInsertColumns({}, m_headers.size(), m_headers.size());
    m_headers.append(header);
    endInsertColumns();
}

void WorkHoursModel::clearRows()
{
    beginResetModel();
    m_cells.clear();
    m_displayOrder.clear();
    m_shownRows = 0;
    endResetModel();
}

int WorkHoursModel::addRow(const QString& text)
{
    const int stride = columnCount();
    if (stride == 0)
        throw RuntimeError(err::IndexOutOfBounds, QStringLiteral("Index out of bounds"));
    const int handle = static_cast<int>(m_cells.size() / stride);
    m_cells.resize(m_cells.size() + stride);
    m_cells[static_cast<size_t>(handle) * stride] = text;
    m_displayOrder.push_back(handle);
    if (m_fillDepth == 0) {
        // Shown at once: a sorted list takes the new row at its sorted place.
        beginResetModel();
        if (m_sorted)
            sortRows();
        m_shownRows = static_cast<int>(m_displayOrder.size());
        endResetModel();
    }
    return handle;
}

void WorkHoursModel::setCell(int rowHandle, int column, const QString& text)
{
    const int stride = columnCount();
    if (rowHandle < 0 || column < 0 || column >= stride
        || static_cast<size_t>(rowHandle) >= m_displayOrder.size())
        throw RuntimeError(err::IndexOutOfBounds, QStringLiteral("Index out of bounds"));
    m_cells[static_cast<size_t>(rowHandle) * stride + column] = text;
    if (m_fillDepth == 0) {
        if (m_sorted && column == m_sortKey) {
            beginResetModel();
            sortRows();
            endResetModel();
        } else {
            const auto pos = std::find(m_displayOrder.begin(), m_displayOrder.end(), rowHandle);
            const QModelIndex changed = index(static_cast<int>(pos - m_displayOrder.begin()), column);
            Q_EMIT dataChanged(changed, changed);
        }
    }
}

WorkHoursModel::Fill::Fill(WorkHoursModel& model) : m_model(model)
{
    ++m_model.m_fillDepth;
}

WorkHoursModel::Fill::~Fill()
{
    if (--m_model.m_fillDepth > 0)
        return;
    // One reset shows every row added during the fill, at its sorted place.
    m_model.beginResetModel();
    if (m_model.m_sorted)
        m_model.sortRows();
    m_model.m_shownRows = static_cast<int>(m_model.m_displayOrder.size());
    m_model.endResetModel();
}

void WorkHoursModel::setSorted(bool sorted)
{
    m_sorted = sorted;
    if (!sorted || m_fillDepth > 0)
        return;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const std::vector<int> oldOrder = m_displayOrder;
    sortRows();

    // Selections and the current row follow their rows to the new places.
    std::vector<int> newPosition(m_displayOrder.size());
    for (size_t row = 0; row < m_displayOrder.size(); ++row)
        newPosition[static_cast<size_t>(m_displayOrder[row])] = static_cast<int>(row);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& idx : before) {
        const int storage = oldOrder[static_cast<size_t>(idx.row())];
        after.append(index(newPosition[static_cast<size_t>(storage)], idx.column()));
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void WorkHoursModel::setSortKey(int column)
{
    m_sortKey = column;
}

void WorkHoursModel::setSortOrder(int order)
{
    m_sortOrder = order == Descending ? Descending : Ascending;
}

void WorkHoursModel::sortRows()
{
    const int key = m_sortKey;
    if (key < 0 || key >= columnCount())
        return;
    // Texts compare without regard to case: fold each once rather than in
    // every comparison.
    const size_t rows = m_displayOrder.size();
    std::vector<QString> folded(rows);
    for (size_t row = 0; row < rows; ++row)
        folded[row] = cell(static_cast<int>(row), key).toCaseFolded();

    // A stable sort of the rows in adding order, so equal texts keep the
    // order in which the rows arrived.
    std::iota(m_displayOrder.begin(), m_displayOrder.end(), 0);
    const bool descending = m_sortOrder == Descending;
    std::stable_sort(m_displayOrder.begin(), m_displayOrder.end(), [&](int a, int b) {
        const int c = QString::compare(folded[static_cast<size_t>(a)], folded[static_cast<size_t>(b)], Qt::CaseSensitive);
        return descending ? c > 0 : c < 0;
    });
}

const QString& WorkHoursModel::cell(int storageRow, int column) const
{
    return m_cells[static_cast<size_t>(storageRow) * columnCount() + column];
}

QString WorkHoursModel::text(int displayRow, int column) const
{
    if (displayRow < 0 || displayRow >= m_shownRows || column < 0 || column >= columnCount())
        throw RuntimeError(err::IndexOutOfBounds, QStringLiteral("Index out of bounds"));
    return cell(m_displayOrder[static_cast<size_t>(displayRow)], column);
}

int WorkHoursModel::displayRowOfFirstAdded() const
{
    const auto pos = std::find(m_displayOrder.begin(), m_displayOrder.begin() + m_shownRows, 0);
    return pos == m_displayOrder.begin() + m_shownRows ? -1 : static_cast<int>(pos - m_displayOrder.begin());
}

int WorkHoursModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shownRows;
}

int WorkHoursModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
}

QVariant WorkHoursModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_shownRows || index.column() >= columnCount())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole || role == Qt::AccessibleTextRole)
        return cell(m_displayOrder[static_cast<size_t>(index.row())], index.column());
    return {};
}

QVariant WorkHoursModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columnCount())
        return m_headers.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

}  // namespace hv
