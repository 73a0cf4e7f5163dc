#include "import/old_database_importer.h"

#include "import/import_error.h"
#include "import/old_database.h"
#include "import/old_table.h"
#include "import/old_values.h"
#include "import/unusual_hours.h"
#include "data/bulk_insert.h"
#include "data/connection.h"
#include "core/locale_text.h"
#include "data/prepared_statement.h"
#include "core/runtime_error.h"

#include <QFileInfo>
#include <QHash>
#include <cmath>
#include <limits>
#include <span>
#include <vector>

namespace hv::import {

namespace {

// What a column becomes in this program's tables.
enum class Target { Key, Text, EmployeeLink, WorkCodeLink, Number, Date, YesNo };

struct ColumnLayout {
    const char* name;
    Target target;
};

struct TableLayout {
    const char* name;
    std::span<const ColumnLayout> columns;
};

constexpr ColumnLayout kEmployeeColumns[] = {
    {"ID", Target::Key},           {"First Name", Target::Text},     {"Last Name", Target::Text},
    {"E-mail Address", Target::Text}, {"Company", Target::Text},     {"Job Title", Target::Text},
    {"Business Phone", Target::Text}, {"Home Phone", Target::Text},  {"Mobile Phone", Target::Text},
    {"Fax Number", Target::Text},  {"Address", Target::Text},        {"City", Target::Text},
    {"State", Target::Text},       {"ZIP", Target::Text},            {"Country", Target::Text},
    {"Web Page", Target::Text},    {"Notes", Target::Text},
};
constexpr ColumnLayout kWorkCodeColumns[] = {
    {"ID", Target::Key}, {"Description", Target::Text}, {"Billable", Target::YesNo}};
constexpr ColumnLayout kEntryColumns[] = {
    {"ID", Target::Key},           {"Employee", Target::EmployeeLink}, {"Date Worked", Target::Date},
    {"Work Code", Target::WorkCodeLink}, {"Hours", Target::Number},   {"Work Description", Target::Text},
};
constexpr TableLayout kEmployees{"Employees", kEmployeeColumns};
constexpr TableLayout kWorkCodes{"Work Codes", kWorkCodeColumns};
constexpr TableLayout kEntries{"Work Hours", kEntryColumns};

// The old kinds each target takes; anything else is refused before a row is read.
bool accepts(Target target, OldValue::Kind kind)
{
    switch (target) {
    case Target::Key:
    case Target::EmployeeLink:
    case Target::WorkCodeLink: return kind == OldValue::WholeNumber || kind == OldValue::Number;
    case Target::Text:
    case Target::Number: return kind == OldValue::Text || kind == OldValue::WholeNumber || kind == OldValue::Number;
    case Target::Date: return kind == OldValue::Date;
    case Target::YesNo: return kind == OldValue::YesNo || kind == OldValue::WholeNumber || kind == OldValue::Number;
    }
    return false;
}

QString targetWords(Target target)
{
    switch (target) {
    case Target::Key: return QStringLiteral("IDs");
    case Target::EmployeeLink:
    case Target::WorkCodeLink: return QStringLiteral("whole numbers");
    case Target::Text: return QStringLiteral("texts");
    case Target::Number: return QStringLiteral("numbers");
    case Target::Date: return QStringLiteral("dates");
    case Target::YesNo: return QStringLiteral("yes/no values");
    }
    return {};
}

// An old table with the position of each column this program takes.
struct SourceTable {
    const TableLayout* layout = nullptr;
    std::unique_ptr<OldTable> table;
    std::vector<int> positions;
};

// A table that entries link to: the new number of each old ID, and the
// number each missing record's entries stand at.
struct LinkTarget {
    QString table;
    QHash<qint64, qint64> ids;
    QHash<qint64, qint64> missing;
    // Among new IDs: the next number that no record holds or will receive,
    // known before the entries are added.
    qint64 nextFree = 0;
};

class ImportRun {
public:
    ImportRun(data::Connection& connection, const QString& path) : m_connection(connection), m_old(path)
    {
        m_summary.file = path;
    }

    ImportSummary run()
    {
        // Every table and column is checked before anything is written.
        SourceTable employees = open(kEmployees);
        SourceTable workCodes = open(kWorkCodes);
        SourceTable entries = open(kEntries);

        // One change in the journal, undone whole.
        data::Transaction transaction(m_connection,
                                      QStringLiteral("Import %1").arg(QFileInfo(m_summary.file).fileName()));
        // Entries whose employee or work code is missing are kept as found.
        m_connection.keepEntriesWithoutRecords();
        m_summary.idsKept = databaseIsEmpty();
        m_employees.table = QString::fromLatin1(kEmployees.name);
        m_workCodes.table = QString::fromLatin1(kWorkCodes.name);
        m_summary.employees = copy(employees, &m_employees);
        m_summary.workCodes = copy(workCodes, &m_workCodes);
        // The entries go in bulk, during which nothing else can be asked.
        if (!m_summary.idsKept) {
            for (LinkTarget* target : {&m_employees, &m_workCodes})
                target->nextFree = m_connection.highestIdEver(target->table) + 1;
        }
        m_summary.entries = copy(entries, nullptr);
        m_unusualHours.report(m_summary);
        keepMissingNumbersFree(m_employees);
        keepMissingNumbersFree(m_workCodes);
        transaction.commit();
        return m_summary;
    }

private:
    QString fileError(const QString& reason) const
    {
        return QStringLiteral("Cannot import '%1': %2").arg(m_old.path(), reason);
    }

    SourceTable open(const TableLayout& layout)
    {
        SourceTable source;
        source.layout = &layout;
        source.table = m_old.table(QString::fromLatin1(layout.name));
        OldTable& table = *source.table;
        for (const ColumnLayout& column : layout.columns) {
            const int position = table.column(QString::fromLatin1(column.name));
            if (position < 0)
                throw ImportError(fileError(QStringLiteral("the table [%1] has no column [%2].")
                                                .arg(QLatin1String(layout.name), QLatin1String(column.name))));
            if (!accepts(column.target, table.kindOf(position)))
                throw ImportError(fileError(
                    QStringLiteral("the column [%1] of the table [%2] holds values of the type %3, which cannot "
                                   "be taken as %4.")
                        .arg(QLatin1String(column.name), QLatin1String(layout.name), table.typeName(position),
                             targetWords(column.target))));
            table.use(position);
            source.positions.push_back(position);
        }
        for (const QString& name : table.columnNames()) {
            const bool known = std::any_of(layout.columns.begin(), layout.columns.end(), [&](const ColumnLayout& c) {
                return name.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0;
            });
            if (!known)
                m_summary.ignoredColumns << QStringLiteral("[%1].[%2]").arg(QLatin1String(layout.name), name);
        }
        return source;
    }

    bool databaseIsEmpty()
    {
        data::PreparedStatement any(m_connection,
                                    QStringLiteral("SELECT EXISTS (SELECT 1 FROM \"Employees\") "
                                                   "OR EXISTS (SELECT 1 FROM \"Work Codes\") "
                                                   "OR EXISTS (SELECT 1 FROM \"Work Hours\")"));
        const bool rows = any.next() && any.integer(0) != 0;
        while (any.next()) {
        }
        return !rows;
    }

    // Copies every row of an old table; `ids` receives the new ID of each old one.
    qint64 copy(SourceTable& source, LinkTarget* ids)
    {
        const TableLayout& layout = *source.layout;
        QStringList names;
        for (const ColumnLayout& column : layout.columns)
            names << QString::fromLatin1(column.name);
        // Rows whose new IDs the entries' links need go one at a time; the
        // rest in bulk.
        const bool idsNeeded = ids && !m_summary.idsKept;
        data::BulkInsert insert(m_connection, QString::fromLatin1(layout.name), names,
                                idsNeeded ? data::BulkInsert::Ids::Needed : data::BulkInsert::Ids::NotNeeded);
        QHash<qint64, qint64> seen;
        OldTable& table = *source.table;
        qint64 rows = 0;
        while (table.next()) {
            qint64 oldId = 0;
            bool missingLink = false;
            // What an entry's hours are checked with.
            std::optional<qint64> employee;
            QDate day;
            std::optional<double> hours;
            for (size_t i = 0; i < layout.columns.size(); ++i) {
                const ColumnLayout& column = layout.columns[i];
                const int position = static_cast<int>(i) + 1;
                const OldValue value = table.value(source.positions[i]);
                const auto fail = [&](const QString& reason) {
                    return ImportError(fileError(QStringLiteral("the value in the table [%1], row %2, column [%3] %4.")
                                                     .arg(QLatin1String(layout.name))
                                                     .arg(table.rowNumber())
                                                     .arg(QLatin1String(column.name), reason)));
                };
                switch (column.target) {
                case Target::Key:
                    if (value.kind == OldValue::Null)
                        throw fail(QStringLiteral("is empty, and every row needs an ID"));
                    oldId = wholeNumber(value, fail);
                    if (seen.contains(oldId))
                        throw fail(QStringLiteral("repeats the ID %1 of an earlier row").arg(oldId));
                    seen.insert(oldId, 0);
                    if (m_summary.idsKept)
                        insert.bindInteger(position, oldId);
                    else
                        insert.bindNull(position);
                    break;
                case Target::EmployeeLink:
                case Target::WorkCodeLink:
                    if (value.kind == OldValue::Null) {
                        insert.bindNull(position);
                        missingLink = true;
                    } else {
                        LinkTarget& target = column.target == Target::EmployeeLink ? m_employees : m_workCodes;
                        const qint64 linked = wholeNumber(value, fail);
                        if (column.target == Target::EmployeeLink)
                            employee = linked;
                        insert.bindInteger(position, link(target, linked, missingLink));
                    }
                    break;
                case Target::Text: bindText(insert, position, value); break;
                case Target::Number: hours = bindNumber(insert, position, value, fail); break;
                case Target::Date:
                    if (value.kind == OldValue::Null) {
                        insert.bindNull(position);
                    } else {
                        const std::optional<QString> date = values::dateText(value.number);
                        if (!date)
                            throw fail(QStringLiteral("is not a date of the years 100 to 9999"));
                        insert.bindText(position, *date);
                        day = QDate::fromString(date->left(10), Qt::ISODate);
                    }
                    break;
                case Target::YesNo:
                    if (value.kind == OldValue::Null)
                        throw fail(QStringLiteral("is empty, and a yes/no value is required"));
                    insert.bindInteger(position, yes(value, fail) ? -1 : 0);
                    break;
                }
            }
            const qint64 newId = insert.add();
            if (&layout == &kEntries && hours)
                m_unusualHours.add(oldId, employee, day, *hours);
            if (ids)
                ids->ids.insert(oldId, m_summary.idsKept ? oldId : newId);
            if (missingLink)
                ++m_summary.entriesWithMissingLink;
            ++rows;
        }
        insert.finish();
        return rows;
    }

    template <typename Fail>
    static qint64 wholeNumber(const OldValue& value, const Fail& fail)
    {
        if (value.kind == OldValue::WholeNumber)
            return value.wholeNumber;
        if (!std::isfinite(value.number) || std::trunc(value.number) != value.number
            || std::fabs(value.number) > 9.0e15)
            throw fail(QStringLiteral("is not a whole number"));
        return static_cast<qint64>(value.number);
    }

    template <typename Fail>
    static bool yes(const OldValue& value, const Fail& fail)
    {
        if (value.kind == OldValue::YesNo)
            return value.yes;
        if (value.kind == OldValue::Number && !std::isfinite(value.number))
            throw fail(QStringLiteral("is not a number"));
        return value.kind == OldValue::WholeNumber ? value.wholeNumber != 0 : value.number != 0.0;
    }

    static void bindText(data::BulkInsert& insert, int position, const OldValue& value)
    {
        switch (value.kind) {
        case OldValue::Text: insert.bindText(position, value.text); break;
        case OldValue::WholeNumber: insert.bindText(position, QString::number(value.wholeNumber)); break;
        case OldValue::Number: insert.bindText(position, text::numberToSqlText(value.number)); break;
        default: insert.bindNull(position); break;
        }
    }

    // Binds a number; returns it, nothing for an empty value.
    template <typename Fail>
    static std::optional<double> bindNumber(data::BulkInsert& insert, int position, const OldValue& value,
                                            const Fail& fail)
    {
        double number = value.number;
        switch (value.kind) {
        case OldValue::Null: insert.bindNull(position); return std::nullopt;
        case OldValue::WholeNumber: number = static_cast<double>(value.wholeNumber); break;
        case OldValue::Text:
            number = values::decimalText(value.text).value_or(std::numeric_limits<double>::quiet_NaN());
            break;
        default: break;
        }
        // The engine would store a value that is no number as Null.
        if (!std::isfinite(number))
            throw fail(QStringLiteral("is not a number"));
        insert.bindNumber(position, number);
        return number;
    }

    // The number an entry's link stands at in this database.
    qint64 link(LinkTarget& target, qint64 oldId, bool& missing)
    {
        const auto found = target.ids.constFind(oldId);
        if (found != target.ids.constEnd())
            return *found;
        missing = true;
        const auto known = target.missing.constFind(oldId);
        if (known != target.missing.constEnd())
            return *known;
        qint64 number = oldId;
        if (!m_summary.idsKept)
            number = target.nextFree++;
        target.missing.insert(oldId, number);
        return number;
    }

    // The table's counter of IDs is raised past every number that entries
    // point at without a record, so no record added later takes one of them.
    void keepMissingNumbersFree(const LinkTarget& target)
    {
        if (target.missing.isEmpty())
            return;
        qint64 highest = std::numeric_limits<qint64>::min();
        for (const qint64 number : target.missing)
            highest = std::max(highest, number);
        m_connection.reserveIdsUpTo(target.table, highest);
    }

    data::Connection& m_connection;
    OldDatabase m_old;
    ImportSummary m_summary;
    LinkTarget m_employees;
    LinkTarget m_workCodes;
    UnusualHours m_unusualHours;
};

}  // namespace

OldDatabaseImporter::OldDatabaseImporter(data::Connection& connection) : m_connection(connection)
{
}

ImportSummary OldDatabaseImporter::importFile(const QString& path)
{
    try {
        return ImportRun(m_connection, path).run();
    } catch (const RuntimeError& failure) {
        // The database's own failure (a full disk, say), named with the import.
        throw ImportError(QStringLiteral("Cannot import '%1': %2").arg(path, failure.description()));
    }
}

}  // namespace hv::import
