#include "app/list_fill.h"

#include "data/recordset.h"
#include "gui/error_report.h"

#include <QElapsedTimer>

namespace hv {

namespace {

// The query columns behind list cells 1 to 6.
constexpr std::array<const char*, 6> kListFields{
    "ID", "Employee Name", "Date Worked", "Work Code Description", "Hours", "Work Description"};

// How many rows a timed batch reads between two looks at the clock.
constexpr int kRowsBetweenClockReadings = 256;

ErrorReport listDataReport(QWidget& owner)
{
    return ErrorReport(ErrorReport::location(QStringLiteral("Form1"), QStringLiteral("ListData")), &owner);
}

}  // namespace

ListFill::ListFill(WorkHoursModel& model, QWidget& reportOwner, QObject* parent)
    : QObject(parent), m_model(model), m_reportOwner(reportOwner)
{
    m_next.setSingleShot(true);
    m_next.setInterval(0);
    connect(&m_next, &QTimer::timeout, this, &ListFill::readNextBatch);
}

ListFill::~ListFill()
{
    abandon();
}

void ListFill::start(std::unique_ptr<data::Recordset> recordset, int firstBatch)
{
    abandon();
    m_recordset = std::move(recordset);
    m_fields.fill(-1);
    m_rowsRead = 0;
    m_fill = std::make_unique<WorkHoursModel::Fill>(m_model);
    if (!readRows(firstBatch == kEveryRow ? -1 : firstBatch, 0)) {
        finish();
        return;
    }
    m_fill->showAdded();
    m_rowsShown = m_rowsRead;
    m_next.start();
}

void ListFill::showSome()
{
    constexpr int kGrowth = 4;
    if (m_rowsRead < kGrowth * std::max(1, m_rowsShown))
        return;
    m_fill->showAdded();
    m_rowsShown = m_rowsRead;
}

void ListFill::complete()
{
    if (!pending())
        return;
    m_next.stop();
    readRows(-1, 0);
    finish();
}

void ListFill::abandon()
{
    m_next.stop();
    m_fill.reset();
    m_recordset.reset();
}

void ListFill::readNextBatch()
{
    if (!pending() || !m_hold.mayRun())
        return;
    if (readRows(std::max(1, m_pace.batchRows), m_pace.batchMs)) {
        showSome();
        m_next.start();
        return;
    }
    finish();
}

int ListFill::fieldOf(int column)
{
    int& index = m_fields[static_cast<size_t>(column)];
    if (index < 0)
        index = m_recordset->fieldIndex(QString::fromLatin1(kListFields[static_cast<size_t>(column)]));
    return index;
}

bool ListFill::readRows(int rows, int ms)
{
    ErrorReport err = listDataReport(m_reportOwner);
    data::Recordset& rs = *m_recordset;
    QElapsedTimer clock;
    clock.start();
    // Lines 106 to 120 run once a row, a million times in a large list, so
    // the row keeps an explicit step counter in one guard rather than a
    // guard a line: a step that fails is reported with its line, and the row
    // carries on with the next step all the same.
    for (int read = 0; rows < 0 || read < rows; ++read) {
        if (ms > 0 && read > 0 && read % kRowsBetweenClockReadings == 0 && clock.elapsed() >= ms)
            return true;
        bool more = false;  // a loop test that fails is reported once and ends the loop
        try {
            more = !rs.Eof();  // line 106
        } catch (const std::exception& failure) {
            err.report(106, failure);
        }
        if (!more)
            return false;
        int row = -1;
        bool moved = false;
        for (int step = 0; step <= 6;) {
            try {
                for (; step <= 6; ++step) {
                    if (step == 0) {
                        row = m_model.addRow(rs, fieldOf(0));  // line 108
                    } else if (step < 6) {
                        m_model.setCell(row, step, rs, fieldOf(step));  // lines 110 to 118
                    } else {
                        rs.MoveNext();  // line 120
                        moved = true;
                    }
                }
            } catch (const std::exception& failure) {
                err.report(108 + 2 * step, failure);
                ++step;
            }
        }
        ++m_rowsRead;
        if (!moved)
            return false;  // a recordset that cannot move on would repeat its row for ever
    }
    return true;
}

void ListFill::finish()
{
    m_next.stop();
    m_fill.reset();
    const std::unique_ptr<data::Recordset> rs = std::move(m_recordset);
    listDataReport(m_reportOwner).line(122, [&] { rs->Close(); });
    Q_EMIT finished();
}

}  // namespace hv
