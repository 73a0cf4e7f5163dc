#include "catalog/work_code_editor.h"

#include "catalog/work_code_statements.h"
#include "gui/error_report.h"
#include "gui/shared_connection.h"
#include "gui/ui_seam.h"
#include "data/component_factory.h"
#include "data/connection.h"
#include "core/locale_text.h"
#include "data/record_terms.h"
#include "data/recordset.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <limits>
#include <memory>

namespace hv {

namespace {

const QString kOwner = QStringLiteral("Form5");

// The yes/no value of a field: true, false, a number (non-zero is true) or
// the texts "True"/"False". Null and anything else raise "Type mismatch".
bool yesNo(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool: return value.toBool();
    case QMetaType::LongLong:
    case QMetaType::Int: return value.toLongLong() != 0;
    case QMetaType::Double: return value.toDouble() != 0.0;
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        if (text.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0)
            return false;
        if (const std::optional<double> number = text::textToNumber(text))
            return *number != 0.0;
        throw RuntimeError::typeMismatch();
    }
    default:
        throw RuntimeError::typeMismatch();
    }
}

}  // namespace

Form5::Form5(QWidget* parent)
    : RecordEditor(QStringLiteral("Form5"), QStringLiteral("Work codes"), QSize(8040, 2340 + 420), parent)
{
    m_Frame1 = placed(new QGroupBox(QStringLiteral("Description"), this), QStringLiteral("Frame1"),
                      QRect(120, 120, 7800, 825));
    m_Text1 = placed(new QLineEdit(m_Frame1), QStringLiteral("Text1"), QRect(240, 300, 7320, 345));
    m_Text1->setAccessibleName(QStringLiteral("Description"));
    m_Text1->setMaxLength(std::numeric_limits<int>::max());

    m_Frame2 = placed(new QGroupBox(QStringLiteral("Billable Option"), this), QStringLiteral("Frame2"),
                      QRect(120, 990, 7800, 735));
    m_Check1 = placed(new QCheckBox(QStringLiteral("Make Billable"), m_Frame2), QStringLiteral("Check1"),
                      QRect(240, 300, 1455, 255));

    m_PushButton2 = addPushButton(2, QStringLiteral("Save"), QRect(120, 1830, 3840, 405));
    m_PushButton3 = addPushButton(3, QStringLiteral("Cancel"), QRect(4080, 1830, 3840, 405));
    // Below the window's edge: never seen, reached only with the Tab key.
    m_PushButton1 = addPushButton(1, QStringLiteral("Cancel"), QRect(5760, 7080, 5520, 405));
    // Below the buttons: the program's own term of the work code.
    m_inactive = placed(new QCheckBox(QStringLiteral("No longer active"), this), QStringLiteral("InactiveCheck"),
                        QRect(240, 2340, 3720, 345));
    m_inactive->setEnabled(false);
    pointer().resetOn(m_Frame1);
    pointer().resetOn(m_Frame2);

    setTabOrder(m_PushButton2, m_PushButton3);
    setTabOrder(m_PushButton3, m_PushButton1);
    setTabOrder(m_PushButton1, m_Text1);
    setTabOrder(m_Text1, m_Check1);
    setTabOrder(m_Check1, m_inactive);
    connect(m_PushButton2, &QPushButton::clicked, this, &Form5::PushButton2_Click);
    connect(m_PushButton3, &QPushButton::clicked, this, &Form5::PushButton3_Click);
    connect(m_PushButton1, &QPushButton::clicked, this, &Form5::PushButton1_Click);
    m_PushButton2->setFocus();
}

void Form5::LoadData()
{
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("LoadData")), this);
    std::unique_ptr<data::Recordset> rs;
    err.line(100, [&] { rs = data::ComponentFactory::createRecordset(); });
    err.line(102, [&] {
        data::required(rs).Open(catalog::WorkCodeStatements::select(m_ID), SharedConnection::get(), data::Recordset::adOpenStatic, data::Recordset::adLockReadOnly);
    });
    bool gone = false;
    if (err.test(104, [&] { return !(gone = data::required(rs).Eof()); })) {
        err.line(106, [&] { m_Text1->setText(text::valueToText(data::required(rs).Fields(QStringLiteral("Description")))); });
        err.line(108, [&] {
            m_Check1->setChecked(yesNo(data::required(rs).Fields(QStringLiteral("Billable"))));
        });
    }
    if (gone)
        recordGone(QStringLiteral("This work code"));
    err.line(110, [&] { data::required(rs).Close(); });
    if (!gone && err.line(112, [&] {
            m_inactive->setChecked(data::RecordTerms::inactive(SharedConnection::get(), data::RecordTerms::Record::WorkCode)
                                       .contains(m_ID.toLongLong()));
        }))
        m_inactive->setEnabled(!SharedConnection::get().isReadOnly());
}

void Form5::PushButton2_Click()
{
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("PushButton2_Click")), this);
    if (err.test(100, [&] { return m_Text1->text().trimmed().isEmpty(); })) {
        err.line(102, [&] { UiSeam::tell(this, QStringLiteral("You forgot to input first name.")); });
        err.line(104, [&] { m_Text1->setFocus(); });
        return;
    }

    if (refuseUnstorableText(err, 118, {{QStringLiteral("Description"), m_Text1->text(), m_Text1}}))
        return;

    const QString description = m_Text1->text();
    const bool billable = m_Check1->isChecked();

    bool written = false;
    if (err.test(106, [&] { return !m_ID.isEmpty(); })) {
        const bool inactive = m_inactive->isChecked();
        written = updateAndConfirm(
            err, 108, [&] { return catalog::WorkCodeStatements::update(description, billable, m_ID); }, 110,
            QStringLiteral("Record Successfully Updated"), [&] {
                data::RecordTerms::setInactive(SharedConnection::get(), data::RecordTerms::Record::WorkCode,
                                               m_ID.toLongLong(), inactive);
            });
    } else {
        written = writeAndConfirm(err, 112, [&] {
            SharedConnection::get().Execute(catalog::WorkCodeStatements::insert(description, billable));
        }, 114, QStringLiteral("Record Successfully Saved"));
    }
    if (written)
        err.line(116, [&] { Unload(); });
}

void Form5::PushButton3_Click()
{
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("PushButton3_Click")), this);
    err.line(100, [&] { Unload(); });
}

void Form5::PushButton1_Click()
{
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("PushButton1_Click")), this);
    err.line(100, [&] { Unload(); });
}

}  // namespace hv
