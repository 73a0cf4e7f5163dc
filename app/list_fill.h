#pragma once

#include "app/work_hours_model.h"
#include "gui/modal_hold.h"

#include <QObject>
#include <QTimer>
#include <array>
#include <memory>

class QWidget;

namespace hv::data {
class Recordset;
}

namespace hv {

// The reading of the work-hours list's rows from an open recordset into the
// model, ListData's loop: a first batch at once, and the rest in batches from
// the event loop while the window answers. Each row takes the steps of
// ListData's error report (lines 106 to 120), and the recordset is closed at
// the end (line 122); a step that fails is reported with its line and the
// row goes on with the next step. No batch is read while a modal window or
// long work of the program is open: the fill goes on once they close.
class ListFill : public QObject {
    Q_OBJECT

public:
    // How a fill is paced: the rows read before start() returns (enough for a
    // database of ordinary size to be read whole before the window shows),
    // and at most how many rows and how long each later batch reads.
    struct Pace {
        int firstBatch = 20000;
        int batchRows = 1 << 30;
        int batchMs = 25;
    };
    // No limit on the first batch: every row is read at once.
    static constexpr int kEveryRow = -1;

    ListFill(WorkHoursModel& model, QWidget& reportOwner, QObject* parent = nullptr);
    ~ListFill() override;

    void setPace(const Pace& pace) { m_pace = pace; }
    const Pace& pace() const { return m_pace; }

    // Reads the recordset, which stands on its first row, from there: at
    // most `firstBatch` rows now (kEveryRow: all of them), the rest later.
    // A fill still reading is abandoned first.
    void start(std::unique_ptr<data::Recordset> recordset, int firstBatch);

    // True while rows are left to read.
    bool pending() const { return m_recordset != nullptr; }

    // Reads every row left, now.
    void complete();

    // Stops reading: the rows read so far stay in the list, the recordset is
    // closed without a report.
    void abandon();

Q_SIGNALS:
    // Every row has been read and the recordset closed.
    void finished();

private:
    // Reads at most `rows` rows, and for no longer than `ms` milliseconds
    // when that is positive; false once the recordset is at its end (or can
    // no longer move on).
    bool readRows(int rows, int ms);
    void readNextBatch();
    // Shows the rows read when they are four times those shown: a view
    // lays out every row it is told of, so that the list is laid out a few
    // times in all, however long.
    void showSome();
    // Shows the rows read; at the end, closes the recordset.
    void finish();
    int fieldOf(int column);

    WorkHoursModel& m_model;
    QWidget& m_reportOwner;
    Pace m_pace;
    std::unique_ptr<data::Recordset> m_recordset;
    std::unique_ptr<WorkHoursModel::Fill> m_fill;
    // Each field's position, looked up on the first row that reads it.
    std::array<int, 6> m_fields{};
    int m_rowsRead = 0;
    int m_rowsShown = 0;
    QTimer m_next;
    ModalHold m_hold{*this, [this] { readNextBatch(); }};
};

}  // namespace hv
