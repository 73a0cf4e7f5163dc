#include "catalog/employee_editor.h"

#include "catalog/contract_dialog.h"
#include "catalog/employee_statements.h"
#include "gui/error_report.h"
#include "gui/shared_connection.h"
#include "core/twips.h"
#include "gui/ui_seam.h"
#include "catalog/notes_box.h"
#include "data/component_factory.h"
#include "data/connection.h"
#include "core/locale_text.h"
#include "data/record_terms.h"
#include "data/recordset.h"
#include "core/runtime_error.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <limits>
#include <memory>

namespace hv {

namespace {

const QString kOwner = QStringLiteral("Form3");

// One box: its caption, the Employees column it holds, its place in twips.
// The boxes are listed in their number order, which is also the tab order.
struct BoxDefinition {
    const char* caption;
    const char* column;
    int left, top, width, height;
};
constexpr std::array<BoxDefinition, 16> kBoxes{{
    {"First Name", "First Name", 120, 375, 2640, 345},
    {"Last Name", "Last Name", 3000, 375, 2640, 345},
    {"Job Title", "Job Title", 120, 1095, 2640, 345},
    {"Company", "Company", 3000, 1095, 2640, 345},
    {"Business Phone", "Business Phone", 120, 1935, 2640, 345},
    {"Home Phone", "Home Phone", 3000, 1935, 2640, 345},
    {"Mobile Phone", "Mobile Phone", 120, 2655, 2640, 345},
    {"Fax Number", "Fax Number", 3000, 2655, 2640, 345},
    {"Address", "Address", 120, 3375, 5520, 345},
    {"City", "City", 120, 4095, 1440, 345},
    {"State", "State", 1680, 4110, 720, 345},
    {"Postal Code", "ZIP", 2520, 4095, 1440, 345},
    {"Country", "Country", 4080, 4095, 1560, 345},
    {"Email Address", "E-mail Address", 120, 4815, 2640, 345},
    {"Webpage", "Web Page", 3000, 4815, 2640, 345},
    {"Notes", "Notes", 120, 5520, 5520, 1425},
}};

// The strip below the buttons that holds the employee's own terms.
constexpr int kTermsStrip = 480;

// Label heights above their boxes: 255 twips, the Notes label 240.
constexpr int kLabelHeight = 240;

}  // namespace

Form3::Form3(QWidget* parent)
    : RecordEditor(QStringLiteral("Form3"), QStringLiteral("Employees"), QSize(5775, 7605 + kTermsStrip), parent)
{
    QWidget* previous = nullptr;
    for (int number = 1; number <= 16; ++number) {
        const BoxDefinition& def = kBoxes[static_cast<size_t>(number - 1)];
        QWidget* box = nullptr;
        if (number == 16) {
            m_Text16 = new NotesBox(this);
            m_Text16->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            m_Text16->setTabChangesFocus(true);
            box = m_Text16;
        } else {
            auto* line = new QLineEdit(this);
            line->setMaxLength(std::numeric_limits<int>::max());
            m_boxes[static_cast<size_t>(number - 1)] = line;
            box = line;
        }
        box->setObjectName(QStringLiteral("Text%1").arg(number));
        box->setGeometry(twips::rect(def.left, def.top, def.width, def.height));

        auto* label = new QLabel(QString::fromLatin1(def.caption), this);
        label->setObjectName(QStringLiteral("Label1"));
        label->setProperty("index", number - 1);
        label->setBuddy(box);
        const int above = number == 16 ? 240 : 255;
        label->setGeometry(twips::rect(def.left, def.top - above, def.width, kLabelHeight));

        if (previous)
            setTabOrder(previous, box);
        previous = box;
    }

    m_PushButton2 = addPushButton(2, QStringLiteral("Save"), QRect(120, 7080, 2760, 405));
    m_PushButton1 = addPushButton(1, QStringLiteral("Cancel"), QRect(3000, 7080, 2640, 405));
    // Below the buttons: the program's own terms of the employee.
    m_inactive = placed(new QCheckBox(QStringLiteral("No longer active"), this), QStringLiteral("InactiveCheck"),
                        QRect(120, 7605, 2640, 345));
    m_contract = placed(new QPushButton(QStringLiteral("Contracted Hours..."), this),
                        QStringLiteral("ContractButton"), QRect(3000, 7575, 2640, 405));
    m_inactive->setEnabled(false);
    m_contract->setEnabled(false);
    connect(m_contract, &QPushButton::clicked, this, &Form3::openContracts);
    setTabOrder(previous, m_PushButton2);
    setTabOrder(m_PushButton2, m_PushButton1);
    setTabOrder(m_PushButton1, m_inactive);
    setTabOrder(m_inactive, m_contract);
    connect(m_PushButton2, &QPushButton::clicked, this, &Form3::PushButton2_Click);
    connect(m_PushButton1, &QPushButton::clicked, this, &Form3::PushButton1_Click);
    m_boxes[0]->setFocus();
}

QLineEdit* Form3::box(int number) const
{
    return m_boxes.at(static_cast<size_t>(number - 1));
}

QString Form3::boxText(int number) const
{
    return number == 16 ? m_Text16->text() : box(number)->text();
}

void Form3::setBoxText(int number, const QString& text)
{
    if (number == 16)
        m_Text16->setText(text);
    else
        box(number)->setText(text);
}

void Form3::LoadData()
{
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("LoadData")), this);
    std::unique_ptr<data::Recordset> rs;
    err.line(100, [&] { rs = data::ComponentFactory::createRecordset(); });
    err.line(102, [&] {
        data::required(rs).Open(catalog::EmployeeStatements::select(m_ID), SharedConnection::get(), data::Recordset::adOpenStatic, data::Recordset::adLockReadOnly);
    });
    bool gone = false;
    if (err.test(104, [&] { return !(gone = data::required(rs).Eof()); })) {
        for (int number = 1; number <= 16; ++number) {
            err.line(104 + 2 * number, [&] {
                const char* column = kBoxes[static_cast<size_t>(number - 1)].column;
                setBoxText(number, text::valueToText(data::required(rs).Fields(QString::fromLatin1(column))));
            });
        }
    }
    if (gone)
        recordGone(QStringLiteral("This employee"));
    err.line(138, [&] { data::required(rs).Close(); });
    if (!gone && err.line(140, [&] {
            m_inactive->setChecked(data::RecordTerms::inactive(SharedConnection::get(), data::RecordTerms::Record::Employee)
                                       .contains(m_ID.toLongLong()));
        })) {
        m_inactive->setEnabled(!SharedConnection::get().isReadOnly());
        m_contract->setEnabled(true);
    }
}

void Form3::PushButton2_Click()
{
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("PushButton2_Click")), this);
    if (err.test(100, [&] { return boxText(1).trimmed().isEmpty(); })) {
        err.line(102, [&] { UiSeam::tell(this, QStringLiteral("You forgot to input first name.")); });
        err.line(104, [&] { box(1)->setFocus(); });
        return;
    }
    if (err.test(106, [&] { return boxText(2).trimmed().isEmpty(); })) {
        err.line(108, [&] { UiSeam::tell(this, QStringLiteral("You forgot to input last name.")); });
        err.line(110, [&] { box(2)->setFocus(); });
        return;
    }

    QList<TypedBox> typed;
    for (int number = 1; number <= 16; ++number) {
        QWidget* shownIn = number == 16 ? static_cast<QWidget*>(m_Text16) : box(number);
        typed.append({QString::fromLatin1(kBoxes[static_cast<size_t>(number - 1)].caption), boxText(number), shownIn});
    }
    if (refuseUnstorableText(err, 124, typed))
        return;

    const auto boxes = [&] {
        catalog::EmployeeStatements::Boxes texts;
        for (int number = 1; number <= 16; ++number)
            texts[static_cast<size_t>(number - 1)] = boxText(number);
        return texts;
    };
    bool written = false;
    if (err.test(112, [&] { return !m_ID.isEmpty(); })) {
        const bool inactive = m_inactive->isChecked();
        written = updateAndConfirm(
            err, 114, [&] { return catalog::EmployeeStatements::update(boxes(), m_ID); }, 116,
            QStringLiteral("Record Successfully Updated"), [&] {
                data::RecordTerms::setInactive(SharedConnection::get(), data::RecordTerms::Record::Employee,
                                               m_ID.toLongLong(), inactive);
            });
    } else {
        written = writeAndConfirm(err, 118, [&] {
            SharedConnection::get().Execute(catalog::EmployeeStatements::insert(boxes()));
        }, 120, QStringLiteral("Record Successfully Saved"));
    }
    if (written)
        err.line(122, [&] { Unload(); });
}

void Form3::openContracts()
{
    const QString name = (boxText(1).trimmed() + u' ' + boxText(2).trimmed()).trimmed();
    ContractDialog dialog(m_ID.toLongLong(), name.isEmpty() ? boxText(4) : name, this);
    UiSeam::showModal(dialog);
}

void Form3::PushButton1_Click()
{
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("PushButton1_Click")), this);
    err.line(100, [&] { Unload(); });
}

}  // namespace hv
