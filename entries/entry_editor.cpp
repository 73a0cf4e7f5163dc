#include "entries/entry_editor.h"

#include "catalog/employee_statements.h"
#include "catalog/work_code_statements.h"
#include "entries/entry_statements.h"
#include "gui/error_report.h"
#include "gui/shared_connection.h"
#include "gui/ui_seam.h"
#include "catalog/employee_editor.h"
#include "catalog/work_code_editor.h"
#include "data/component_factory.h"
#include "data/connection.h"
#include "core/locale_text.h"
#include "data/record_terms.h"
#include "data/recordset.h"
#include "core/runtime_error.h"
#include "gui/date_box.h"
#include "gui/eliding_combo_box.h"
#include "core/hours_rule.h"
#include "reports/engine/hours_total.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <limits>
#include <optional>

namespace hv {

namespace {

const QString kOwner = QStringLiteral("Form2");
const QString kPickerTip = QStringLiteral("Double click to edit contact");

QComboBox* newPicker(QWidget* window, const QString& name, const QString& accessibleName, QRect placeTwips)
{
    // A name too long for the box ends in "…"; the list shows it whole.
    auto* combo = SecondaryWindow::placed(new ElidingComboBox(window, ElidingComboBox::ToolTip::Own),
                                          name, placeTwips);
    combo->setAccessibleName(accessibleName);
    combo->setEditable(false);
    combo->setToolTip(kPickerTip);
    return combo;
}

QLineEdit* newBox(QWidget* window, const QString& name, QRect placeTwips)
{
    auto* box = SecondaryWindow::placed(new QLineEdit(window), name, placeTwips);
    box->setMaxLength(std::numeric_limits<int>::max());
    return box;
}

void newLabel(QWidget* window, const QString& name, int index, const QString& caption, QRect placeTwips,
              QWidget* buddy)
{
    auto* label = SecondaryWindow::placed(new QLabel(caption, window), name, placeTwips);
    label->setProperty("index", index);
    label->setBuddy(buddy);
    // Fonts differ slightly between desktops: a caption never loses letters.
    if (label->sizeHint().width() > label->width())
        label->resize(label->sizeHint().width(), label->height());
}

// The line of a delete question that names what goes: "Tom Smith: 197
// entries, 932.75 hours will be deleted.", the entries counted and their
// hours added exactly by one query.
QString lossLine(const QString& name, const QString& hoursQuery)
{
    const std::unique_ptr<data::Recordset> rs = data::ComponentFactory::createRecordset();
    rs->Open(hoursQuery, SharedConnection::get(), data::Recordset::adOpenStatic, data::Recordset::adLockReadOnly);
    const int hoursField = rs->fieldIndex(QStringLiteral("Hours"));
    const int entriesField = rs->fieldIndex(QStringLiteral("Entries"));
    qint64 entries = 0;
    reports::HoursTotal hours;
    for (; !rs->Eof(); rs->MoveNext()) {
        const qint64 times = rs->value(entriesField).toLongLong();
        entries += times;
        if (const std::optional<double> value = reports::hoursOf(rs->value(hoursField)))
            hours.add(*value, times);
    }
    rs->Close();
    const QString total = hours.toText();
    return QStringLiteral("%1: %2 %3, %4 %5 will be deleted.")
        .arg(name, QString::number(entries), entries == 1 ? QStringLiteral("entry") : QStringLiteral("entries"),
             total, total == QStringLiteral("1") ? QStringLiteral("hour") : QStringLiteral("hours"));
}

// The records no longer active, which the pickers do not offer.
std::function<QSet<qint64>()> inactiveOnes(data::RecordTerms::Record kind)
{
    return [kind] { return data::RecordTerms::inactive(SharedConnection::get(), kind); };
}

}  // namespace

Form2::Form2(QWidget* parent)
    : SecondaryWindow(QStringLiteral("Form2"), QStringLiteral("Add New"), QSize(4095, 5325), parent),
      m_Combo1(newPicker(this, QStringLiteral("Combo1"), QStringLiteral("Employee"), QRect(120, 885, 2520, 345))),
      m_Combo2(newPicker(this, QStringLiteral("Combo2"), QStringLiteral("Work Code"), QRect(120, 2565, 2520, 345))),
      m_employees{RecordPicker(*m_Combo1,
                               {kOwner, QStringLiteral("LoadEmployees"), catalog::EmployeeStatements::names(),
                                QStringLiteral("Employee Name"), inactiveOnes(data::RecordTerms::Record::Employee)},
                               this),
                  []() -> std::unique_ptr<RecordEditor> { return std::make_unique<Form3>(); },
                  QStringLiteral("Warning: Deleting assigned to will also delete issue data that is linked to this "
                                 "employee."),
                  &catalog::EmployeeStatements::remove, &entries::EntryStatements::removeOfEmployee,
                  &entries::EntryStatements::hoursOfEmployee},
      m_workCodes{RecordPicker(*m_Combo2,
                               {kOwner, QStringLiteral("LoadWorkCodes"), catalog::WorkCodeStatements::list(),
                                QStringLiteral("Description"), inactiveOnes(data::RecordTerms::Record::WorkCode)},
                               this),
                  []() -> std::unique_ptr<RecordEditor> { return std::make_unique<Form5>(); },
                  QStringLiteral("Warning: Deleting opened by will also delete issue data that is linked to this "
                                 "employee."),
                  &catalog::WorkCodeStatements::remove, &entries::EntryStatements::removeOfWorkCode,
                  &entries::EntryStatements::hoursOfWorkCode}
{
    m_Text2 = newBox(this, QStringLiteral("Text2"), QRect(360, 135, 1200, 345));
    m_Text2->setEnabled(false);
    m_Text2->setFocusPolicy(Qt::NoFocus);
    m_Text2->setAccessibleName(QStringLiteral("ID"));

    m_DateTimePicker1 = placed(new DateBox(this), QStringLiteral("DateTimePicker1"), QRect(120, 1725, 3840, 345));
    m_DateTimePicker1->setAccessibleName(QStringLiteral("Date Worked"));

    m_Text1 = newBox(this, QStringLiteral("Text1"), QRect(120, 3405, 1680, 345));
    m_Text3 = newBox(this, QStringLiteral("Text3"), QRect(120, 4245, 3840, 345));

    newLabel(this, QStringLiteral("Label1"), 1, QStringLiteral("ID"), QRect(120, 195, 165, 225), m_Text2);
    newLabel(this, QStringLiteral("lblDetails"), 4, QStringLiteral("Employee"), QRect(120, 600, 825, 225), m_Combo1);
    newLabel(this, QStringLiteral("Label1"), 0, QStringLiteral("Date Worked"), QRect(120, 1440, 1110, 225),
             m_DateTimePicker1);
    newLabel(this, QStringLiteral("lblDetails"), 0, QStringLiteral("Work Code"), QRect(120, 2280, 945, 225), m_Combo2);
    newLabel(this, QStringLiteral("Label1"), 5, QStringLiteral("Hours"), QRect(120, 3120, 510, 225), m_Text1);
    newLabel(this, QStringLiteral("Label1"), 2, QStringLiteral("Description"), QRect(120, 3960, 975, 225), m_Text3);

    struct ButtonDefinition {
        int number;
        const char* caption;
        const char* accessibleName;
        QRect place;
        void (Form2::*click)();
    };
    // In tab order.
    const ButtonDefinition buttons[] = {
        {5, "+", "Add employee", QRect(2640, 885, 360, 345), &Form2::PushButton5_Click},
        {9, "*", "Edit employee", QRect(3120, 885, 360, 345), &Form2::PushButton9_Click},
        {6, "-", "Delete employee", QRect(3600, 885, 360, 345), &Form2::PushButton6_Click},
        {3, "+", "Add work code", QRect(2640, 2565, 360, 345), &Form2::PushButton3_Click},
        {10, "*", "Edit work code", QRect(3120, 2565, 360, 345), &Form2::PushButton10_Click},
        {4, "-", "Delete work code", QRect(3600, 2565, 360, 345), &Form2::PushButton4_Click},
        {2, "Save", "Save", QRect(120, 4800, 1800, 405), &Form2::PushButton2_Click},
        {1, "Cancel", "Cancel", QRect(2040, 4800, 1920, 405), &Form2::PushButton1_Click},
    };
    QList<QWidget*> tabOrder{m_Combo1};
    for (const ButtonDefinition& def : buttons) {
        QPushButton* button = addPushButton(def.number, QString::fromLatin1(def.caption), def.place);
        button->setAccessibleName(QString::fromLatin1(def.accessibleName));
        connect(button, &QPushButton::clicked, this, def.click);
        tabOrder.append(button);
        if (def.number == 6)
            tabOrder << m_DateTimePicker1 << m_Combo2;
        else if (def.number == 4)
            tabOrder << m_Text1 << m_Text3;
    }
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder.at(i - 1), tabOrder.at(i));
    pointer().resetOn(this);
    m_Combo1->setFocus();
}

Form2::~Form2() = default;

void Form2::Form_Load()
{
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("Form_Load")), this);
    m_storedWorked.reset();
    loadAppearance(err);
    err.line(108, [&] { LoadEmployees(0); });
    err.line(110, [&] { LoadWorkCodes(0); });
    err.line(112, [&] { m_Combo1->setCurrentIndex(-1); });
    err.line(114, [&] { m_DateTimePicker1->setDate(QDate::currentDate()); });
    if (err.test(116, [&] { return !m_ID.isEmpty(); }))
        err.line(118, [&] { LoadEntry(); });
}

void Form2::LoadEmployees(quint8 clearSelection)
{
    m_employees.picker.fill(clearSelection);
}

void Form2::LoadWorkCodes(quint8 clearSelection)
{
    m_workCodes.picker.fill(clearSelection);
}

void Form2::LoadEntry()
{
    // No report of its own: the first failure ends it and is reported by the
    // load; what was set before stays.
    const std::unique_ptr<data::Recordset> rs = data::ComponentFactory::createRecordset();
    rs->Open(entries::EntryStatements::select(m_ID), SharedConnection::get(), data::Recordset::adOpenStatic, data::Recordset::adLockReadOnly);
    if (!rs->Eof()) {
        const auto selectText = [](QComboBox* picker, const QVariant& value) {
            // The first item with exactly this text; none leaves no selection.
            picker->setCurrentIndex(picker->findText(text::valueToText(value), Qt::MatchExactly | Qt::MatchCaseSensitive));
        };
        // A record no longer active is offered again for the entry that uses it.
        m_employees.picker.reveal(text::valueToText(rs->Fields(QStringLiteral("Employee Name"))));
        m_workCodes.picker.reveal(text::valueToText(rs->Fields(QStringLiteral("Work Code Description"))));
        m_Text2->setText(text::valueToText(rs->Fields(QStringLiteral("ID"))));
        selectText(m_Combo1, rs->Fields(QStringLiteral("Employee Name")));
        const QVariant worked = rs->Fields(QStringLiteral("Date Worked"));
        if (worked.isNull())
            throw RuntimeError::invalidUseOfNull();
        const QDateTime stored = worked.typeId() == QMetaType::QDateTime
            ? worked.toDateTime()
            : QDateTime(worked.toDate(), QTime(0, 0), Qt::UTC);
        if (!stored.date().isValid())
            throw RuntimeError::typeMismatch();
        // The box shows the day; the time of day is kept aside, so that it is
        // never changed without the user's word.
        m_DateTimePicker1->setDate(stored.date());
        m_storedWorked = stored;
        selectText(m_Combo2, rs->Fields(QStringLiteral("Work Code Description")));
        m_Text1->setText(text::valueToText(rs->Fields(QStringLiteral("Hours"))));
        m_Text3->setText(text::valueToText(rs->Fields(QStringLiteral("Work Description"))));
    } else {
        recordGone(QStringLiteral("This entry"));
    }
    rs->Close();
}

QDateTime Form2::workedToSave() const
{
    const QDate chosen = m_DateTimePicker1->date();
    if (m_storedWorked && chosen == m_storedWorked->date())
        return *m_storedWorked;
    return QDateTime(chosen, QTime(0, 0), Qt::UTC);
}

void Form2::PushButton2_Click()
{
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("PushButton2_Click")), this);
    const auto refuse = [&](int line, const QString& message, QWidget* focus) {
        err.line(line, [&] { UiSeam::tell(this, message); });
        err.line(line + 2, [&] { focus->setFocus(); });
    };
    if (err.test(100, [&] { return m_Text1->text().trimmed().isEmpty(); }))
        return refuse(102, QStringLiteral("You forgot to input Hours."), m_Text1);
    std::optional<double> hours;
    if (err.test(106, [&] { return !(hours = text::textToHours(m_Text1->text())); }))
        return refuse(108, QStringLiteral("Hours must be numeric."), m_Text1);
    if (err.test(150, [&] { return HoursRule::refused(HoursRule::ofEntry(*hours)); }))
        return refuse(152, HoursRule::refusal(HoursRule::ofEntry(*hours)), m_Text1);
    if (err.test(112, [&] { return m_Combo1->currentIndex() == -1; }))
        return refuse(114, QStringLiteral("You forgot to select Employee."), m_Combo1);
    if (err.test(118, [&] { return m_Combo2->currentIndex() == -1; }))
        return refuse(120, QStringLiteral("You forgot to select Work Code."), m_Combo2);
    // What the date box shows is what is saved: a date typed is written out
    // in full before it is read.
    err.line(156, [&] { m_DateTimePicker1->commit(); });
    if (err.test(158, [&] { return !m_DateTimePicker1->date().isValid(); })) {
        return refuse(160,
                      QStringLiteral("\"%1\" is not a date. Type a date from %2 to %3, such as %4.")
                          .arg(m_DateTimePicker1->text(), text::dateToText(text::firstTypedDate()),
                               text::dateToText(text::lastTypedDate()), text::dateToText(QDate::currentDate())),
                      m_DateTimePicker1);
    }
    QDateTime worked;
    if (err.test(140, [&] {
            worked = workedToSave();
            return worked.date() < text::firstStorableDate() || worked.date() > text::lastStorableDate();
        })) {
        return refuse(142,
                      QStringLiteral("The date worked %1 cannot be stored: dates run from %2 to %3. Choose another date.")
                          .arg(text::dateToText(worked.date()), text::dateToText(text::firstStorableDate()),
                               text::dateToText(text::lastStorableDate())),
                      m_DateTimePicker1);
    }
    if (refuseUnstorableText(err, 146, {{QStringLiteral("Description"), m_Text3->text(), m_Text3}}))
        return;
    if (!unusualEntryConfirmed(err, worked, *hours))
        return;

    // The hours go into the statement in the form SQL reads ("7.5"), whatever
    // the user's decimal separator, so the number typed is the number stored.
    const auto prepared = [&] {
        return entries::EntryStatements::Values{m_employees.picker.idAt(m_Combo1->currentIndex() + 1),
                                                m_workCodes.picker.idAt(m_Combo2->currentIndex() + 1),
                                                text::dateTimeToText(worked), text::numberToSqlText(hours.value()),
                                                m_Text3->text()};
    };

    QString sql;
    bool written = false;
    if (err.test(124, [&] { return !m_ID.isEmpty(); })) {
        err.line(126, [&] { sql = entries::EntryStatements::update(prepared(), m_ID); });
        written = updateAndConfirm(err, 128, [&] { return sql; }, 130, QStringLiteral("Record Successfully Updated"));
    } else {
        err.line(132, [&] { sql = entries::EntryStatements::insert(prepared()); });
        written = writeAndConfirm(err, 134, [&] { SharedConnection::get().Execute(sql); }, 136,
                                  QStringLiteral("Record Successfully Saved"));
    }
    if (written)
        err.line(138, [&] { Unload(); });
}

bool Form2::confirmed(ErrorReport& err, int line, const QString& question, QWidget* focus)
{
    bool yes = false;
    err.line(line, [&] { yes = UiSeam::confirm(this, question); });
    if (!yes)
        err.line(line + 1, [&] { focus->setFocus(); });
    return yes;
}

bool Form2::unusualEntryConfirmed(ErrorReport& err, const QDateTime& worked, double hours)
{
    // A day far from today is asked about once, when it is chosen: an old
    // entry corrected on its own day asks nothing.
    const QDate day = worked.date();
    if (!m_storedWorked || m_storedWorked->date() != day) {
        const QDate today = QDate::currentDate();
        const qint64 ahead = today.daysTo(day);
        QString question;
        if (ahead > 7)
            question = QStringLiteral("The date worked %1 is %2 days in the future. Save it anyway?");
        else if (day < today.addYears(-1))
            question = QStringLiteral("The date worked %1 is %2 days in the past. Save it anyway?");
        if (!question.isEmpty()
            && !confirmed(err, 170, question.arg(text::dateToText(day)).arg(std::abs(ahead)), m_DateTimePicker1))
            return false;
    }
    if (HoursRule::ofEntry(hours) == HoursRule::Verdict::Zero && !confirmed(err, 172, HoursRule::zeroQuestion(), m_Text1))
        return false;

    // The employee's other entries of that day, read where they are kept.
    double dayTotal = hours;
    const bool read = err.line(174, [&] {
        const QString employee = m_employees.picker.idAt(m_Combo1->currentIndex() + 1);
        const std::unique_ptr<data::Recordset> rs = data::ComponentFactory::createRecordset();
        rs->Open(entries::EntryStatements::hoursOfEmployeeOnDay(employee, day, m_ID), SharedConnection::get(),
                 data::Recordset::adOpenStatic, data::Recordset::adLockReadOnly);
        for (; !rs->Eof(); rs->MoveNext())
            dayTotal += reports::hoursOf(rs->Fields(QStringLiteral("Hours"))).value_or(0.0);
        rs->Close();
    });
    if (!read)
        return false;
    return !HoursRule::dayPassesLimit(dayTotal)
        || confirmed(err, 176,
                     HoursRule::dayQuestion(m_Combo1->currentText(),
                                            text::dateToText(day) + QStringLiteral(" (") + QLocale().dayName(day.dayOfWeek()) + u')',
                                            dayTotal),
                     m_Text1);
}

void Form2::PushButton1_Click()
{
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("PushButton1_Click")), this);
    err.line(100, [&] { Unload(); });
}

void Form2::addRecord(PickerSide& side, const QString& procedure)
{
    ErrorReport err(ErrorReport::location(kOwner, procedure), this);
    const std::unique_ptr<RecordEditor> editor = side.makeEditor();
    err.line(100, [&] { editor->m_ID.clear(); });
    err.line(102, [&] { editor->Show(); });
    err.line(104, [&] { side.picker.fill(0); });
}

void Form2::editRecord(PickerSide& side, const QString& procedure)
{
    ErrorReport err(ErrorReport::location(kOwner, procedure), this);
    if (!err.test(100, [&] { return side.picker.position() != -1; }))
        return;
    const std::unique_ptr<RecordEditor> editor = side.makeEditor();
    err.line(102, [&] { editor->m_ID = side.picker.idAt(side.picker.position() + 1); });
    err.line(104, [&] { editor->Show(); });
    err.line(106, [&] { side.picker.fill(0); });
}

void Form2::deleteRecord(PickerSide& side, const QString& procedure)
{
    ErrorReport err(ErrorReport::location(kOwner, procedure), this);
    if (!err.test(100, [&] { return side.picker.position() != -1; }))
        return;
    // The question names what goes and defaults to No, so that Enter keeps
    // the history; a count that cannot be read asks nothing and deletes nothing.
    bool confirmed = false;
    err.line(102, [&] {
        const int position = side.picker.position();
        const QString loss = lossLine(side.picker.combo().itemText(position),
                                      side.entriesHours(side.picker.idAt(position + 1)));
        confirmed = UiSeam::confirm(this, side.warning + QStringLiteral("\r\n") + loss
                                              + QStringLiteral("\r\nDo you wish to continue?"));
    });
    if (!confirmed)
        return;

    // The record and its entries go together or not at all: a delete the
    // database refuses undoes the other, so no entry outlives its record and
    // no record loses its entries while it stays.
    std::optional<data::Transaction> together;
    QString id;
    const bool recordDeleted = err.line(104, [&] {
        id = side.picker.idAt(side.picker.position() + 1);
        together.emplace(SharedConnection::get());
        SharedConnection::get().Execute(side.recordDelete(id));
    });
    if (recordDeleted) {
        err.line(106, [&] {
            SharedConnection::get().Execute(side.entriesDelete(id));
            together->commit();
        });
    }
    together.reset();
    err.line(108, [&] { side.picker.fill(1); });
}

void Form2::PushButton5_Click() { addRecord(m_employees, QStringLiteral("PushButton5_Click")); }
void Form2::PushButton9_Click() { editRecord(m_employees, QStringLiteral("PushButton9_Click")); }
void Form2::PushButton6_Click() { deleteRecord(m_employees, QStringLiteral("PushButton6_Click")); }
void Form2::PushButton3_Click() { addRecord(m_workCodes, QStringLiteral("PushButton3_Click")); }
void Form2::PushButton10_Click() { editRecord(m_workCodes, QStringLiteral("PushButton10_Click")); }
void Form2::PushButton4_Click() { deleteRecord(m_workCodes, QStringLiteral("PushButton4_Click")); }

}  // namespace hv
