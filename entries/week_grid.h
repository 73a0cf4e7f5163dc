#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace hv::entries {

// One employee's week of work-hour entries as the week sheet shows it, with
// no widgets: rows of a work code and a description, seven days from the
// week's first day, each cell the hours of the entries stored there or the
// hours typed over them. A cell of one entry or none takes typed hours; a
// cell of several entries shows their sum and is never edited, so no entry is
// merged or split. It knows what changed, what a save writes and what it
// must refuse or ask first.
class WeekGrid {
public:
    static constexpr int kDays = 7;

    // A stored entry of the week.
    struct Entry {
        qint64 id = 0;
        qint64 workCode = 0;
        QDateTime worked;
        double hours = 0.0;
        QString description;
    };

    // One write of a save: a new entry, new hours for a stored one, or the
    // stored one deleted because its cell was emptied.
    struct Write {
        enum Kind { Add, Change, Remove };
        Kind kind = Add;
        qint64 entryId = 0;
        qint64 workCode = 0;
        QDate day;
        double hours = 0.0;
        QString description;
    };

    // What stands before a save: the first cell to refuse and why, or the
    // questions to ask (each answered Yes to save).
    struct Check {
        int row = -1;
        int day = -1;
        QString refusal;
        QStringList questions;
    };

    // The first day of the week that holds `day`, weeks starting on `firstDay`.
    static QDate weekStart(const QDate& day, Qt::DayOfWeek firstDay);
    // Typed hours: decimals in the user's locale or h:mm; nothing for text
    // that is not hours. Empty text is no hours at all (see cellEmpty).
    static std::optional<double> hoursOf(const QString& text);

    // The week from `firstDay` with its stored entries, a row for each work
    // code and description they carry, in the order of work code and
    // description.
    WeekGrid(const QDate& firstDay, const std::vector<Entry>& stored);

    QDate firstDay() const { return m_firstDay; }
    QDate day(int column) const { return m_firstDay.addDays(column); }

    int rowCount() const { return static_cast<int>(m_rows.size()); }
    qint64 workCode(int row) const { return m_rows.at(row).workCode; }
    QString description(int row) const { return m_rows.at(row).description; }
    // A row without stored entries takes another work code and description;
    // a row with them keeps its own, as its entries do.
    bool rowHoldsStored(int row) const;
    void setRow(int row, qint64 workCode, const QString& description);
    // A new row at the end; returns its position.
    int addRow(qint64 workCode, const QString& description = QString());

    QString text(int row, int day) const { return cell(row, day).text; }
    bool editable(int row, int day) const { return cell(row, day).stored.size() < 2; }
    std::vector<qint64> entryIds(int row, int day) const;
    // Ignored for a cell that is not editable.
    void setText(int row, int day, const QString& text);

    // The hours as the cells read now (text that is not hours counts 0).
    double rowTotal(int row) const;
    double dayTotal(int day) const;
    double weekTotal() const;

    bool changed() const;
    bool cellChanged(int row, int day) const;

    // Fills in the rows and hours of the week before (its stored entries):
    // each of its rows is found or added here, and each of its cells with
    // hours fills the same cell here when that one is empty and editable.
    void copyFrom(const std::vector<Entry>& previousWeek);

    // The refusals of the entry editor for the changed cells (hours not
    // read, negative, more than in one entry; a row without a work code),
    // then its questions: a changed cell of zero hours, and a day with a
    // changed cell whose total passes the limit of one day (`employee`
    // names the employee in it).
    Check check(const QString& employee) const;
    // The writes of the changed cells, one entry per cell.
    std::vector<Write> plan() const;
    // The journal's name of the save: "Week of 30 Nov 2026 for Ann Archer:
    // 5 entries added, 1 changed".
    static QString describe(const std::vector<Write>& writes, const QDate& firstDay, const QString& employee);

private:
    struct Cell {
        std::vector<Entry> stored;
        QString text;
    };
    struct Row {
        qint64 workCode = 0;
        QString description;
        std::vector<Cell> cells = std::vector<Cell>(kDays);
    };

    const Cell& cell(int row, int day) const { return m_rows.at(row).cells.at(day); }
    static double storedHours(const Cell& cell);
    static double cellHours(const Cell& cell);
    int rowOf(qint64 workCode, const QString& description);

    QDate m_firstDay;
    std::vector<Row> m_rows;
};

}  // namespace hv::entries
