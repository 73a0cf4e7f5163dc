#include "catalog/contract_dialog.h"

#include "core/locale_text.h"
#include "core/runtime_error.h"
#include "data/connection.h"
#include "gui/shared_connection.h"
#include "gui/ui_seam.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace hv {

ContractDialog::ContractDialog(qint64 employee, const QString& name, QWidget* parent)
    : QDialog(parent), m_employee(employee), m_name(name)
{
    setObjectName(QStringLiteral("ContractDialog"));
    setWindowTitle(QStringLiteral("Contracted Hours of %1").arg(name));
    auto* layout = new QVBoxLayout(this);

    m_lines = new QTableWidget(0, 2, this);
    m_lines->setObjectName(QStringLiteral("ContractLines"));
    m_lines->setHorizontalHeaderLabels({QStringLiteral("From"), QStringLiteral("Hours a Week")});
    m_lines->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lines->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lines->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lines->horizontalHeader()->setStretchLastSection(true);
    m_lines->verticalHeader()->hide();
    layout->addWidget(m_lines);

    auto* entry = new QFormLayout;
    m_from = new QDateEdit(QDate::currentDate(), this);
    m_from->setObjectName(QStringLiteral("ContractFrom"));
    m_from->setCalendarPopup(true);
    m_from->setDisplayFormat(text::shortDateFormat());
    m_from->setDateRange(text::firstStorableDate(), text::lastStorableDate());
    m_hours = new QDoubleSpinBox(this);
    m_hours->setObjectName(QStringLiteral("ContractHours"));
    m_hours->setRange(0, 168);
    m_hours->setDecimals(2);
    entry->addRow(QStringLiteral("From"), m_from);
    entry->addRow(QStringLiteral("Hours a week"), m_hours);
    layout->addLayout(entry);

    auto* lineButtons = new QHBoxLayout;
    auto* add = new QPushButton(QStringLiteral("Add"), this);
    add->setObjectName(QStringLiteral("ContractAdd"));
    auto* remove = new QPushButton(QStringLiteral("Remove"), this);
    remove->setObjectName(QStringLiteral("ContractRemove"));
    lineButtons->addWidget(add);
    lineButtons->addWidget(remove);
    layout->addLayout(lineButtons);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("ContractButtons"));
    layout->addWidget(buttons);

    connect(add, &QPushButton::clicked, this, &ContractDialog::addLine);
    connect(remove, &QPushButton::clicked, this, &ContractDialog::removeLine);
    connect(buttons, &QDialogButtonBox::accepted, this, &ContractDialog::save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    try {
        m_contracts = data::RecordTerms::contracts(SharedConnection::get(), employee);
    } catch (const RuntimeError& error) {
        UiSeam::tell(this, error.description());
    }
    showLines();
}

void ContractDialog::showLines()
{
    m_lines->setRowCount(static_cast<int>(m_contracts.size()));
    for (int row = 0; row < m_lines->rowCount(); ++row) {
        const data::RecordTerms::Contract& contract = m_contracts[static_cast<std::size_t>(row)];
        m_lines->setItem(row, 0, new QTableWidgetItem(QLocale().toString(contract.validFrom, QLocale::ShortFormat)));
        m_lines->setItem(row, 1, new QTableWidgetItem(QLocale().toString(contract.weeklyHours, 'f', 2)));
    }
}

void ContractDialog::addLine()
{
    const QDate from = m_from->date();
    const auto same = std::find_if(m_contracts.begin(), m_contracts.end(),
                                   [&](const data::RecordTerms::Contract& c) { return c.validFrom == from; });
    if (same != m_contracts.end()) {
        same->weeklyHours = m_hours->value();
    } else {
        const auto after = std::find_if(m_contracts.begin(), m_contracts.end(),
                                        [&](const data::RecordTerms::Contract& c) { return c.validFrom > from; });
        m_contracts.insert(after, {from, m_hours->value()});
    }
    showLines();
}

void ContractDialog::removeLine()
{
    const int row = m_lines->currentRow();
    if (row < 0 || row >= static_cast<int>(m_contracts.size()))
        return;
    m_contracts.erase(m_contracts.begin() + row);
    showLines();
}

void ContractDialog::save()
{
    try {
        data::Connection& connection = SharedConnection::get();
        data::Transaction change(connection, QStringLiteral("Contracted hours of %1").arg(m_name));
        data::RecordTerms::setContracts(connection, m_employee, m_contracts);
        change.commit();
    } catch (const RuntimeError& error) {
        // Nothing was written; the lines stay for another try.
        UiSeam::tell(this, error.description());
        return;
    }
    accept();
}

}  // namespace hv
