#include "entries/week_sheet.h"

#include "catalog/employee_statements.h"
#include "catalog/work_code_statements.h"
#include "core/locale_text.h"
#include "core/runtime_error.h"
#include "data/component_factory.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "entries/entry_statements.h"
#include "gui/error_report.h"
#include "gui/shared_connection.h"
#include "gui/ui_seam.h"
#include "reports/engine/hours_total.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace hv::entries {

namespace {

const QString kOwner = QStringLiteral("WeekSheet");
constexpr int kFirstDayColumn = 2;
constexpr int kTotalColumn = kFirstDayColumn + WeekGrid::kDays;

// The cells' editor: a key the sheet takes (Enter, the weeks' and the
// employees' keys, Up and Down) first ends the typing, the text kept, then
// goes to the sheet.
class CellDelegate : public QStyledItemDelegate {
public:
    CellDelegate(QObject* parent, std::function<void(const QKeyEvent&)> sheetKey)
        : QStyledItemDelegate(parent), m_sheetKey(std::move(sheetKey))
    {
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        auto* editor = qobject_cast<QWidget*>(object);
        if (editor && event->type() == QEvent::KeyPress) {
            const auto& key = static_cast<const QKeyEvent&>(*event);
            const bool arrow = (key.key() == Qt::Key_Up || key.key() == Qt::Key_Down) && key.modifiers() == Qt::NoModifier;
            const bool enter = key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
            const bool sheet = enter || key.key() == Qt::Key_PageUp || key.key() == Qt::Key_PageDown
                || ((key.key() == Qt::Key_Up || key.key() == Qt::Key_Down) && key.modifiers() & Qt::ControlModifier);
            if (arrow || sheet) {
                Q_EMIT commitData(editor);
                Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
                m_sheetKey(key);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    std::function<void(const QKeyEvent&)> m_sheetKey;
};

QString hoursText(double hours)
{
    return text::numberToText(hours);
}

}  // namespace

WeekSheet::WeekSheet(const QString& employeeId, const QDate& day, ShowEntries showEntries, QWidget* parent)
    : QDialog(parent), m_showEntries(std::move(showEntries)), m_grid(day, {})
{
    setObjectName(kOwner);
    setWindowTitle(QStringLiteral("Week Sheet"));
    m_employee = new QComboBox(this);
    m_employee->setObjectName(QStringLiteral("EmployeeBox"));
    m_employee->setAccessibleName(QStringLiteral("Employee"));
    m_week = new QLabel(this);
    m_week->setObjectName(QStringLiteral("WeekLabel"));
    m_copy = new QPushButton(QStringLiteral("Co&py previous week"), this);
    m_copy->setObjectName(QStringLiteral("CopyPreviousWeekButton"));
    m_copy->setAutoDefault(false);
    m_save = new QPushButton(QStringLiteral("&Save"), this);
    m_save->setObjectName(QStringLiteral("SaveButton"));
    m_save->setAutoDefault(false);
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("CloseButton"));
    m_close->setAutoDefault(false);

    m_table = new QTableWidget(0, kTotalColumn + 1, this);
    m_table->setObjectName(QStringLiteral("WeekTable"));
    m_table->setAccessibleName(QStringLiteral("Hours of the week"));
    m_table->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed
                             | QAbstractItemView::DoubleClicked);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setItemDelegate(new CellDelegate(m_table, [this](const QKeyEvent& key) {
        // Up and Down out of a cell being typed move as they do between cells.
        if (!sheetKey(key)) {
            const int row = m_table->currentRow() + (key.key() == Qt::Key_Up ? -1 : 1);
            if (row >= 0 && row < m_table->rowCount())
                m_table->setCurrentCell(row, m_table->currentColumn());
        }
    }));
    m_table->verticalHeader()->hide();
    m_table->installEventFilter(this);
    m_totals = new QTableWidget(1, kTotalColumn + 1, this);
    m_totals->setObjectName(QStringLiteral("DayTotals"));
    m_totals->setAccessibleName(QStringLiteral("Totals of the days"));
    m_totals->horizontalHeader()->hide();
    m_totals->verticalHeader()->hide();
    m_totals->setFocusPolicy(Qt::NoFocus);
    m_totals->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_totals->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_totals->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_totals->setFixedHeight(m_totals->verticalHeader()->defaultSectionSize() + 2 * m_totals->frameWidth());
    connect(m_table->horizontalHeader(), &QHeaderView::sectionResized, m_totals,
            [this](int column, int, int width) { m_totals->setColumnWidth(column, width); });
    m_table->setColumnWidth(0, 160);
    m_table->setColumnWidth(1, 160);
    for (int column = kFirstDayColumn; column <= kTotalColumn; ++column)
        m_table->setColumnWidth(column, 64);

    auto* top = new QHBoxLayout;
    auto* employeeLabel = new QLabel(QStringLiteral("&Employee"), this);
    employeeLabel->setObjectName(QStringLiteral("EmployeeLabel"));
    employeeLabel->setBuddy(m_employee);
    top->addWidget(employeeLabel);
    top->addWidget(m_employee, 1);
    top->addWidget(m_week, 1);
    top->addWidget(m_copy);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(m_save);
    bottom->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_totals);
    layout->addLayout(bottom);
    resize(900, 420);

    connect(m_table, &QTableWidget::cellChanged, this, &WeekSheet::cellTyped);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, &WeekSheet::showCellEntries);
    connect(m_copy, &QPushButton::clicked, this, &WeekSheet::copyPreviousWeek);
    connect(m_save, &QPushButton::clicked, this, &WeekSheet::save);
    connect(m_close, &QPushButton::clicked, this, &WeekSheet::reject);

    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("Form_Load")), this);
    err.line(100, [&] {
        m_workCodes = readNamed(catalog::WorkCodeStatements::list(), QStringLiteral("Description"));
        for (const Named& employee : readNamed(catalog::EmployeeStatements::names(), QStringLiteral("Employee Name")))
            m_employee->addItem(employee.name, employee.id);
    });
    m_employee->setCurrentIndex(std::max(0, m_employee->findData(employeeId.toLongLong())));
    load(WeekGrid::weekStart(day, QLocale().firstDayOfWeek()));
    int shown = m_employee->currentIndex();
    connect(m_employee, &QComboBox::currentIndexChanged, this, [this, shown](int index) mutable {
        if (index == shown)
            return;
        if (!changesMayGo()) {
            const QSignalBlocker quiet(m_employee);
            m_employee->setCurrentIndex(shown);
            return;
        }
        shown = index;
        load(m_grid.firstDay());
    });
}

int WeekSheet::Show()
{
    return UiSeam::showModal(*this);
}

QString WeekSheet::employeeId() const
{
    return m_employee->currentIndex() < 0 ? QString() : QString::number(m_employee->currentData().toLongLong());
}

std::vector<WeekSheet::Named> WeekSheet::readNamed(const QString& sql, const QString& nameColumn)
{
    std::vector<Named> named;
    const std::unique_ptr<data::Recordset> rs = data::ComponentFactory::createRecordset();
    rs->Open(sql, SharedConnection::get());
    const int id = rs->fieldIndex(QStringLiteral("ID"));
    const int name = rs->fieldIndex(nameColumn);
    for (; !rs->Eof(); rs->MoveNext())
        named.push_back({rs->value(id).toLongLong(), rs->text(name)});
    rs->Close();
    return named;
}

std::optional<std::vector<WeekGrid::Entry>> WeekSheet::readWeek(const QDate& firstDay)
{
    std::vector<WeekGrid::Entry> entries;
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("LoadWeek")), this);
    const bool read = err.line(100, [&] {
        if (employeeId().isEmpty())
            return;
        const std::unique_ptr<data::Recordset> rs = data::ComponentFactory::createRecordset();
        rs->Open(EntryStatements::ofEmployeeInDays(employeeId(), firstDay, WeekGrid::kDays), SharedConnection::get());
        for (; !rs->Eof(); rs->MoveNext()) {
            const QVariant worked = rs->Fields(QStringLiteral("Date Worked"));
            entries.push_back({rs->Fields(QStringLiteral("ID")).toLongLong(),
                               rs->Fields(QStringLiteral("Work Code")).toLongLong(),
                               worked.typeId() == QMetaType::QDateTime ? worked.toDateTime()
                                                                       : QDateTime(worked.toDate(), QTime(0, 0), Qt::UTC),
                               reports::hoursOf(rs->Fields(QStringLiteral("Hours"))).value_or(0.0),
                               text::valueToText(rs->Fields(QStringLiteral("Work Description")))});
        }
        rs->Close();
    });
    if (!read)
        return std::nullopt;
    return entries;
}

bool WeekSheet::load(const QDate& firstDay)
{
    const auto entries = readWeek(firstDay);
    if (!entries)
        return false;
    m_grid = WeekGrid(firstDay, *entries);
    m_week->setText(QStringLiteral("Week of %1 to %2")
                        .arg(text::dateToText(firstDay), text::dateToText(firstDay.addDays(WeekGrid::kDays - 1))));
    fillTable();
    return true;
}

void WeekSheet::fillTable()
{
    const QSignalBlocker quiet(m_table);
    m_filling = true;
    QStringList headers{QStringLiteral("Work Code"), QStringLiteral("Description")};
    for (int day = 0; day < WeekGrid::kDays; ++day) {
        const QDate date = m_grid.day(day);
        headers << QLocale().dayName(date.dayOfWeek(), QLocale::ShortFormat) + u'\n' + QLocale().toString(date, QStringLiteral("d MMM"));
    }
    headers << QStringLiteral("Total");
    m_table->setHorizontalHeaderLabels(headers);
    // One row more than the grid's: typing there adds a row.
    m_table->setRowCount(m_grid.rowCount() + 1);
    for (int row = 0; row <= m_grid.rowCount(); ++row)
        putRow(row);
    for (int column = 0; column <= kTotalColumn; ++column) {
        auto* item = new QTableWidgetItem(column == 0 ? QStringLiteral("Total") : QString());
        item->setFlags(Qt::ItemIsEnabled);
        item->setTextAlignment(column == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
        m_totals->setItem(0, column, item);
        m_totals->setColumnWidth(column, m_table->columnWidth(column));
    }
    m_filling = false;
    refreshTotals();
    // The keyboard starts where typing is needed: a new row's work code, or
    // the first day of the first row.
    m_table->setCurrentCell(0, m_grid.rowCount() == 0 ? 0 : kFirstDayColumn);
    m_table->setFocus();
}

void WeekSheet::putRow(int row)
{
    const bool blank = row == m_grid.rowCount();
    const bool fixed = !blank && m_grid.rowHoldsStored(row);
    const auto put = [&](int column, const QString& text, bool editable) {
        auto* item = new QTableWidgetItem(text);
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (editable)
            flags |= Qt::ItemIsEditable;
        item->setFlags(flags);
        m_table->setItem(row, column, item);
        return item;
    };
    put(0, blank ? QString() : workCodeName(m_grid.workCode(row)), !fixed);
    put(1, blank ? QString() : m_grid.description(row), !fixed);
    for (int day = 0; day < WeekGrid::kDays; ++day) {
        const bool editable = blank || m_grid.editable(row, day);
        QTableWidgetItem* item = put(kFirstDayColumn + day, blank ? QString() : m_grid.text(row, day), editable);
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (!editable)
            item->setToolTip(QStringLiteral("%1 entries: double-click to show them in the list")
                                 .arg(m_grid.entryIds(row, day).size()));
    }
    auto* total = new QTableWidgetItem;
    total->setFlags(Qt::NoItemFlags);
    total->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_table->setItem(row, kTotalColumn, total);
}

void WeekSheet::refreshTotals()
{
    const QSignalBlocker quiet(m_table);
    for (int row = 0; row < m_grid.rowCount(); ++row)
        m_table->item(row, kTotalColumn)->setText(hoursText(m_grid.rowTotal(row)));
    m_table->item(m_grid.rowCount(), kTotalColumn)->setText(QString());
    for (int day = 0; day < WeekGrid::kDays; ++day)
        m_totals->item(0, kFirstDayColumn + day)->setText(hoursText(m_grid.dayTotal(day)));
    m_totals->item(0, kTotalColumn)->setText(hoursText(m_grid.weekTotal()));
}

QString WeekSheet::workCodeName(qint64 id) const
{
    for (const Named& code : m_workCodes) {
        if (code.id == id)
            return code.name;
    }
    return id == 0 ? QString() : QString::number(id);
}

qint64 WeekSheet::workCodeTyped(const QString& text) const
{
    // The work code named in full, else the only one whose name starts so.
    const QString typed = text.trimmed();
    if (typed.isEmpty())
        return 0;
    qint64 found = 0;
    int starting = 0;
    for (const Named& code : m_workCodes) {
        if (code.name.compare(typed, Qt::CaseInsensitive) == 0)
            return code.id;
        if (code.name.startsWith(typed, Qt::CaseInsensitive)) {
            found = code.id;
            ++starting;
        }
    }
    return starting == 1 ? found : 0;
}

void WeekSheet::cellTyped(int row, int column)
{
    if (m_filling || column >= kTotalColumn)
        return;
    const QString typed = m_table->item(row, column)->text();
    if (row == m_grid.rowCount()) {
        // The blank row became a row of the week; a new blank one follows.
        m_grid.addRow(0);
        const QSignalBlocker quiet(m_table);
        m_filling = true;
        m_table->insertRow(row + 1);
        putRow(row + 1);
        m_filling = false;
    }
    if (column == 0) {
        const qint64 code = workCodeTyped(typed);
        m_grid.setRow(row, code, m_grid.description(row));
        if (code != 0) {
            const QSignalBlocker quiet(m_table);
            m_table->item(row, 0)->setText(workCodeName(code));
        }
    } else if (column == 1) {
        m_grid.setRow(row, m_grid.workCode(row), typed.trimmed());
    } else {
        m_grid.setText(row, column - kFirstDayColumn, typed);
    }
    refreshTotals();
}

void WeekSheet::showCellEntries(int row, int column)
{
    const int day = column - kFirstDayColumn;
    if (row >= m_grid.rowCount() || day < 0 || day >= WeekGrid::kDays || m_grid.editable(row, day))
        return;
    if (!changesMayGo())
        return;
    const QString employee = m_employee->currentText();
    const QString workCode = workCodeName(m_grid.workCode(row));
    const QString description = m_grid.description(row);
    QDialog::reject();
    if (m_showEntries)
        m_showEntries(employee, workCode, description);
}

bool WeekSheet::changesMayGo()
{
    return !m_grid.changed() || UiSeam::confirm(this, QStringLiteral("Drop the changes to this week?"));
}

void WeekSheet::reject()
{
    if (changesMayGo())
        QDialog::reject();
}

void WeekSheet::goWeeks(int step)
{
    if (changesMayGo())
        load(m_grid.firstDay().addDays(step * WeekGrid::kDays));
}

void WeekSheet::goEmployees(int step)
{
    const int target = m_employee->currentIndex() + step;
    if (target >= 0 && target < m_employee->count())
        m_employee->setCurrentIndex(target);  // asks and loads
}

void WeekSheet::copyPreviousWeek()
{
    const auto before = readWeek(m_grid.firstDay().addDays(-WeekGrid::kDays));
    if (!before)
        return;
    m_grid.copyFrom(*before);
    fillTable();
}

bool WeekSheet::save()
{
    const QString employee = m_employee->currentText();
    const WeekGrid::Check check = m_grid.check(employee);
    if (!check.refusal.isEmpty()) {
        UiSeam::tell(this, check.refusal);
        m_table->setCurrentCell(check.row, kFirstDayColumn + check.day);
        m_table->setFocus();
        return false;
    }
    for (const QString& question : check.questions) {
        if (!UiSeam::confirm(this, question))
            return false;
    }
    const std::vector<WeekGrid::Write> writes = m_grid.plan();
    if (writes.empty())
        return true;
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("SaveWeek")), this);
    const bool written = err.line(100, [&] {
        data::Connection& connection = SharedConnection::get();
        data::Transaction transaction(connection, WeekGrid::describe(writes, m_grid.firstDay(), employee));
        for (const WeekGrid::Write& write : writes) {
            const QString id = QString::number(write.entryId);
            const QString hours = text::numberToSqlText(write.hours);
            long affected = 1;
            if (write.kind == WeekGrid::Write::Add) {
                connection.Execute(EntryStatements::insert(
                    {employeeId(), QString::number(write.workCode),
                     text::dateTimeToText(QDateTime(write.day, QTime(0, 0), Qt::UTC)), hours, write.description}));
            } else if (write.kind == WeekGrid::Write::Change) {
                connection.Execute(EntryStatements::updateHours(id, hours), &affected);
            } else {
                connection.Execute(EntryStatements::remove(id), &affected);
            }
            if (affected != 1)
                throw RuntimeError(err::DatabaseEngine,
                                   QStringLiteral("An entry of this week was changed or deleted elsewhere since the "
                                                  "sheet read it. Nothing was saved."));
        }
        transaction.commit();
    });
    if (!written)
        return false;
    m_wroteAny = true;
    load(m_grid.firstDay());
    return true;
}

bool WeekSheet::sheetKey(const QKeyEvent& key)
{
    const bool control = key.modifiers() & Qt::ControlModifier;
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        save();
        return true;
    case Qt::Key_PageUp:
        goWeeks(-1);
        return true;
    case Qt::Key_PageDown:
        goWeeks(1);
        return true;
    case Qt::Key_Up:
        if (!control)
            return false;
        goEmployees(-1);
        return true;
    case Qt::Key_Down:
        if (!control)
            return false;
        goEmployees(1);
        return true;
    default:
        return false;
    }
}

bool WeekSheet::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_table && event->type() == QEvent::KeyPress && sheetKey(static_cast<QKeyEvent&>(*event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

}  // namespace hv::entries
