#include "app/work_hours_model.h"

#include "app/key_order.h"
#include "core/user_collator.h"
#include "core/locale_text.h"
#include "data/recordset.h"
#include "core/runtime_error.h"

#include <QDate>
#include <QDateTime>
#include <algorithm>
#include <array>
#include <limits>

namespace hv {

namespace {


// How each of the list's columns sorts, by position: ID, Employee, Date
// Worked, Work Code, Hours, Work Description.
constexpr std::array<SortRule, 6> kListRules{SortRule::Number, SortRule::Text, SortRule::Date,
                                            SortRule::Text,   SortRule::Number, SortRule::Text};

RuntimeError indexOutOfBounds()
{
    return {err::IndexOutOfBounds, QStringLiteral("Index out of bounds")};
}

// A value handed in as a QVariant, in the form a recordset reads it; a text
// needs its bytes kept alive while the value is stored.
StoredValue storedFrom(const QVariant& value, QByteArray& bytes)
{
    StoredValue stored;
    if (value.isNull())
        return stored;
    switch (value.typeId()) {
    case QMetaType::QString:
        stored.kind = StoredValue::Text;
        bytes = value.toString().toUtf8();
        stored.bytes = bytes;
        break;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::UInt:
    case QMetaType::UShort:
        stored.kind = StoredValue::Whole;
        stored.whole = value.toLongLong();
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        stored.kind = StoredValue::Number;
        stored.number = value.toDouble();
        break;
    case QMetaType::QDate:
        stored.kind = StoredValue::Date;
        stored.julianDay = value.toDate().toJulianDay();
        break;
    case QMetaType::QDateTime: {
        const QDateTime at = value.toDateTime();
        stored.kind = StoredValue::Date;
        stored.julianDay = at.date().toJulianDay();
        stored.secondsOfDay = at.time().msecsSinceStartOfDay() / 1000;
        break;
    }
    case QMetaType::Bool:
        stored.kind = StoredValue::YesNo;
        stored.whole = value.toBool() ? 1 : 0;
        break;
    default:
        stored.kind = StoredValue::Other;
        bytes = text::valueToText(value).toUtf8();
        stored.bytes = bytes;
        break;
    }
    return stored;
}

}  // namespace

WorkHoursModel::WorkHoursModel(QObject* parent) : QAbstractTableModel(parent)
{
    m_preparing.setSingleShot(true);
    m_preparing.setInterval(0);
    connect(&m_preparing, &QTimer::timeout, this, &WorkHoursModel::prepareSomeSorts);
}

void WorkHoursModel::addColumn(const QString& header)
{
    // Columns come before the first row.
    if (m_rows != 0)
        throw RuntimeError(err::InvalidPropertyValue,
                           QStringLiteral("Columns cannot be added while the list holds rows"));
    // The views number columns with an int: the list never holds more.
    const int column = columnCount();
    if (column == std::numeric_limits<int>::max())
        throw indexOutOfBounds();
    const auto position = static_cast<size_t>(column);
    beginInsertColumns({}, column, column);
    m_headers.append(header);
    m_columns.emplace_back(position < kListRules.size() ? kListRules[position] : SortRule::Text);
    endInsertColumns();
}

void WorkHoursModel::clearRows()
{
    beginResetModel();
    for (ListColumn& column : m_columns)
        column.clearCells();
    m_rows = 0;
    m_displayOrder.clear();
    m_filtered.clear();
    m_shownTotal = {};
    m_shownRows = 0;
    m_locale = QLocale();
    endResetModel();
}

template <typename Store>
int WorkHoursModel::appendRow(Store&& storeFirst)
{
    if (m_columns.empty())
        throw indexOutOfBounds();
    const auto handle = static_cast<quint32>(m_rows);
    for (ListColumn& column : m_columns)
        column.appendEmpty();
    storeFirst(m_columns.front(), handle);
    ++m_rows;
    m_displayOrder.push_back(handle);
    if (m_fillDepth == 0) {
        // Shown at once: a sorted list takes the new row at its sorted place.
        beginResetModel();
        arrangeRows();
        endResetModel();
    }
    return static_cast<int>(handle);
}

int WorkHoursModel::addRow(const QVariant& value)
{
    QByteArray bytes;
    const StoredValue stored = storedFrom(value, bytes);
    return appendRow([&](ListColumn& column, quint32 row) {
        column.set(row, stored, [&] { return text::valueToText(value); });
    });
}

int WorkHoursModel::addRow(const data::Recordset& recordset, int field)
{
    const StoredValue stored = recordset.stored(field);
    return appendRow([&](ListColumn& column, quint32 row) {
        column.set(row, stored, [&] { return recordset.text(field); });
    });
}

template <typename Store>
void WorkHoursModel::storeCell(int rowHandle, int column, Store&& store)
{
    if (rowHandle < 0 || column < 0 || column >= columnCount() || static_cast<size_t>(rowHandle) >= m_rows)
        throw indexOutOfBounds();
    store(m_columns[static_cast<size_t>(column)], static_cast<size_t>(rowHandle));
    if (m_fillDepth == 0) {
        if ((m_sorted && column == m_sortKey) || m_filter) {
            beginResetModel();
            arrangeRows();
            endResetModel();
        } else {
            const auto pos = std::find(m_displayOrder.begin(), m_displayOrder.end(), static_cast<quint32>(rowHandle));
            const QModelIndex changed = index(static_cast<int>(pos - m_displayOrder.begin()), column);
            Q_EMIT dataChanged(changed, changed);
        }
    }
}

void WorkHoursModel::setCell(int rowHandle, int column, const QVariant& value)
{
    QByteArray bytes;
    const StoredValue stored = storedFrom(value, bytes);
    storeCell(rowHandle, column, [&](ListColumn& cells, size_t row) {
        cells.set(row, stored, [&] { return text::valueToText(value); });
    });
}

void WorkHoursModel::setCell(int rowHandle, int column, const data::Recordset& recordset, int field)
{
    // The field is read first: a field that cannot be read is the failure
    // reported, whatever the row.
    const StoredValue stored = recordset.stored(field);
    storeCell(rowHandle, column, [&](ListColumn& cells, size_t row) {
        cells.set(row, stored, [&] { return recordset.text(field); });
    });
}

WorkHoursModel::Fill::Fill(WorkHoursModel& model) : m_model(model)
{
    if (m_model.m_fillDepth++ == 0)
        m_model.m_locale = QLocale();
}

WorkHoursModel::Fill::~Fill()
{
    if (--m_model.m_fillDepth > 0)
        return;
    for (ListColumn& column : m_model.m_columns)
        column.compact();
    m_model.showFilledRows();
    m_model.m_preparing.start();
}

void WorkHoursModel::Fill::showAdded()
{
    m_model.showFilledRows();
}

void WorkHoursModel::showFilledRows()
{
    const int added = static_cast<int>(m_displayOrder.size());
    if (!m_sorted && !m_filter && m_shownRows > 0) {
        // The new rows follow those shown, in the order they came.
        if (added > m_shownRows) {
            beginInsertRows({}, m_shownRows, added - 1);
            m_shownRows = added;
            endInsertRows();
        }
        return;
    }
    // One reset shows every row added, at its sorted place.
    beginResetModel();
    arrangeRows();
    endResetModel();
}

void WorkHoursModel::setSorted(bool sorted)
{
    m_sorted = sorted;
    if (!sorted || m_fillDepth > 0)
        return;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<quint32> heldRows;  // the rows that persistent indexes stand on
    heldRows.reserve(static_cast<size_t>(before.size()));
    for (const QModelIndex& idx : before)
        heldRows.push_back(shownOrder()[static_cast<size_t>(idx.row())]);
    arrangeRows();

    // Selections and the current row follow their rows to the new places.
    const std::vector<quint32>& shown = shownOrder();
    std::vector<quint32> newPosition(m_displayOrder.size());
    for (size_t row = 0; row < shown.size(); ++row)
        newPosition[shown[row]] = static_cast<quint32>(row);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        after.append(index(static_cast<int>(newPosition[heldRows[static_cast<size_t>(i)]]), before[i].column()));
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

void WorkHoursModel::arrangeRows()
{
    if (m_sorted)
        sortRows();
    filterRows();
}

void WorkHoursModel::filterRows()
{
    if (m_filter) {
        EntryFilter::Result result = m_filter->apply(m_columns, m_displayOrder);
        m_filtered = std::move(result.rows);
        m_shownTotal = result.total;
    } else {
        m_filtered = {};
        m_shownTotal = {};
    }
    m_shownRows = static_cast<int>(shownOrder().size());
}

void WorkHoursModel::setFilter(std::optional<EntryFilter> filter)
{
    beginResetModel();
    m_filter = std::move(filter);
    if (m_fillDepth == 0)
        filterRows();
    endResetModel();
}

QStringList WorkHoursModel::valuesIn(int column) const
{
    if (column < 0 || column >= columnCount())
        throw indexOutOfBounds();
    return EntryFilter::valuesIn(m_columns[static_cast<size_t>(column)]);
}

void WorkHoursModel::sortRows()
{
    const int key = m_sortKey;
    if (key < 0 || key >= columnCount())
        return;
    // One key a row, made once for the sort; the rows are then placed in
    // order of their keys, rows with equal keys in the order they arrived.
    // Texts compare under the user's collation.
    const QCollator collator = userCollator();
    std::vector<quint64> keys;
    m_columns[static_cast<size_t>(key)].sortKeys(keys, m_sortOrder == Descending, collator,
                                                 collator.locale().name(), m_locale);
    orderByKeys(m_displayOrder, keys);
}

bool WorkHoursModel::prepareSorts(quint32 texts)
{
    if (m_fillDepth > 0)
        return false;
    const QCollator collator = userCollator();
    const QString collation = collator.locale().name();
    for (ListColumn& column : m_columns) {
        if (!column.collateAhead(collator, collation, m_locale, texts))
            return false;
    }
    return true;
}

void WorkHoursModel::prepareSomeSorts()
{
    if (!prepareSorts(kSortTextsASlice) && m_fillDepth == 0)
        m_preparing.start();
}

QString WorkHoursModel::cellText(quint32 storageRow, int column) const
{
    return text::valueToText(m_columns[static_cast<size_t>(column)].value(storageRow), m_locale);
}

QString WorkHoursModel::text(int displayRow, int column) const
{
    if (displayRow < 0 || displayRow >= m_shownRows || column < 0 || column >= columnCount())
        throw indexOutOfBounds();
    return cellText(shownOrder()[static_cast<size_t>(displayRow)], column);
}

int WorkHoursModel::displayRowOfId(qint64 id) const
{
    if (m_columns.empty())
        return -1;
    const ListColumn& ids = m_columns.front();
    const std::vector<quint32>& order = shownOrder();
    for (int row = 0; row < m_shownRows; ++row) {
        const QVariant value = ids.value(order[static_cast<size_t>(row)]);
        if (value.isValid() && value.toLongLong() == id)
            return row;
    }
    return -1;
}

int WorkHoursModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shownRows;
}

int WorkHoursModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
}

QModelIndex WorkHoursModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || row < 0 || column < 0 || row >= m_shownRows || column >= m_headers.size())
        return {};
    return createIndex(row, column);
}

Qt::ItemFlags WorkHoursModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this || index.row() >= m_shownRows || index.column() >= m_headers.size())
        return {};
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

bool WorkHoursModel::hasChildren(const QModelIndex& parent) const
{
    return !parent.isValid() && m_shownRows > 0 && !m_headers.isEmpty();
}

QVariant WorkHoursModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_shownRows || index.column() >= columnCount())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole || role == Qt::AccessibleTextRole)
        return cellText(shownOrder()[static_cast<size_t>(index.row())], index.column());
    return {};
}

QVariant WorkHoursModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columnCount())
        return m_headers.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

}  // namespace hv
