#include "reports/report_chooser.h"

#include "gui/error_report.h"
#include "gui/shared_connection.h"
#include "data/component_factory.h"
#include "data/recordset.h"
#include "reports/data_report.h"
#include "reports/engine/report_statements.h"
#include "reports/engine/report_layout.h"

#include <QComboBox>
#include <QDate>
#include <QLocale>
#include <QGroupBox>
#include <QPushButton>
#include <array>
#include <memory>

namespace hv {

namespace {

const QString kOwner = QStringLiteral("Form4");

// One entry of the list: its text, the report it opens over which rows,
// whether the report is turned to landscape, and the line of the error
// report on which its branch of "Print Preview" begins.
struct ReportChoice {
    const char* entry;
    const reports::ReportLayout& (*layout)();
    const reports::ReportQuery& (*rows)();
    bool landscape;
    int firstLine;
};

const std::array<ReportChoice, 3> kChoices{{
    {"Billable Hours by Employee", reports::rptBillableHoursByEmployee,
     reports::ReportStatements::billableByEmployee, true, 100},
    {"Billable Hours by Project", reports::rptBillableHoursByProject,
     reports::ReportStatements::billableByProject, true, 118},
    {"Non-Billable Hours by Employee", reports::rptNonBillableHoursByEmployee,
     reports::ReportStatements::nonBillableByEmployee, false, 136},
}};

}  // namespace

Form4::Form4(QWidget* parent)
    : SecondaryWindow(QStringLiteral("Form4"), QStringLiteral("Reports"), QSize(8040, 1560), parent)
{
    m_Frame1 = placed(new QGroupBox(QStringLiteral("Report Type"), this), QStringLiteral("Frame1"),
                      QRect(120, 120, 7800, 825));
    m_Combo1 = placed(new QComboBox(m_Frame1), QStringLiteral("Combo1"), QRect(240, 300, 7335, 345));
    // A drop-down box that also takes typing; "Print Preview" opens the
    // report whose entry the text is, letter for letter. What is typed is
    // neither completed nor added to the list.
    m_Combo1->setEditable(true);
    m_Combo1->setInsertPolicy(QComboBox::NoInsert);
    m_Combo1->setCompleter(nullptr);

    m_PushButton1 = addPushButton(1, QStringLiteral("Print Preview"), QRect(120, 1050, 3840, 405));
    m_PushButton2 = addPushButton(2, QStringLiteral("Cancel"), QRect(4080, 1050, 3840, 405));
    pointer().resetOn(m_Frame1);

    connect(m_PushButton1, &QPushButton::clicked, this, &Form4::PushButton1_Click);
    connect(m_PushButton2, &QPushButton::clicked, this, &Form4::PushButton2_Click);
}

void Form4::Form_Load()
{
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("Form_Load")), this);
    loadAppearance(err);
    int line = 108;
    for (const ReportChoice& choice : kChoices) {
        err.line(line, [&] { m_Combo1->addItem(QString::fromLatin1(choice.entry)); });
        line += 2;
    }
    m_Combo1->setCurrentIndex(-1);
}

void Form4::PushButton1_Click()
{
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("PushButton1_Click")), this);
    const QString chosen = m_Combo1->currentText();
    for (const ReportChoice& choice : kChoices) {
        const int line = choice.firstLine;
        if (!err.test(line, [&] { return chosen == QLatin1String(choice.entry); }))
            continue;

        // The preview starts from the choices kept from the last one: a
        // period, an employee or a work code among them is selected by the
        // database, and with every choice at its default the rows are read
        // with the report's own text.
        const reports::ReportOptions options = reports::ReportOptions::load(QDate::currentDate(),
                                                                            QLocale().firstDayOfWeek());
        std::unique_ptr<data::Recordset> rs;
        std::unique_ptr<DataReport> report;
        err.line(line + 2, [&] { rs = data::ComponentFactory::createRecordset(); });
        err.line(line + 4, [&] {
            data::required(rs).Open(choice.rows().selecting(options), SharedConnection::get(),
                                    data::Recordset::adOpenStatic, data::Recordset::adLockReadOnly);
        });
        err.line(line + 6, [&] { report = std::make_unique<DataReport>(choice.layout()); });
        err.line(line + 8, [&] {
            data::required(report).setDataSource(&data::required(rs));
            report->setSelection(choice.rows(), options);
        });
        if (choice.landscape)
            err.line(line + 10, [&] { data::required(report).setOrientation(DataReport::kLandscape); });
        err.line(line + 12, [&] { data::required(report).Show(DataReport::kModal, this); });
        err.line(line + 14, [&] { data::required(rs).Close(); });
        err.line(line + 16, [&] { report.reset(); });
        return;
    }
}

void Form4::PushButton2_Click()
{
    ErrorReport err(ErrorReport::location(kOwner, QStringLiteral("PushButton2_Click")), this);
    err.line(100, [&] { Unload(); });
}

}  // namespace hv
