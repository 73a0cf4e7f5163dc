#include "app/find_bar.h"

#include "core/settings_section.h"
#include "data/record_terms.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSignalBlocker>
#include <QToolButton>
#include <algorithm>
#include <array>

namespace hv {

namespace {

constexpr std::array kPeriods{reports::QuickPeriod::AllDates,  reports::QuickPeriod::ThisWeek,
                              reports::QuickPeriod::LastWeek,  reports::QuickPeriod::ThisMonth,
                              reports::QuickPeriod::LastMonth, reports::QuickPeriod::ThisYear,
                              reports::QuickPeriod::LastYear};

const settings::Section& section()
{
    static const settings::Section find(QStringLiteral("Hourvane Find"));
    return find;
}

}  // namespace

FindBar::FindBar(QWidget* parent)
    : QWidget(parent),
      m_employee(new QComboBox(this)),
      m_workCode(new QComboBox(this)),
      m_period(new QComboBox(this)),
      m_text(new QLineEdit(this)),
      m_result(new QLabel(this)),
      m_close(new QToolButton(this))
{
    setObjectName(QStringLiteral("FindBar"));
    m_employee->setObjectName(QStringLiteral("FindEmployee"));
    m_workCode->setObjectName(QStringLiteral("FindWorkCode"));
    m_period->setObjectName(QStringLiteral("FindPeriod"));
    m_text->setObjectName(QStringLiteral("FindText"));
    m_result->setObjectName(QStringLiteral("FindResult"));
    m_employee->setAccessibleName(QStringLiteral("Employee"));
    m_workCode->setAccessibleName(QStringLiteral("Work code"));
    m_period->setAccessibleName(QStringLiteral("Period"));
    m_text->setAccessibleName(QStringLiteral("Description contains"));
    m_text->setPlaceholderText(QStringLiteral("Description contains"));
    m_text->setClearButtonEnabled(true);
    m_close->setText(QStringLiteral("Close"));
    m_close->setToolTip(QStringLiteral("Close the find bar (Esc)"));
    for (const reports::QuickPeriod period : kPeriods)
        m_period->addItem(reports::quickPeriodCaption(period), static_cast<int>(period));
    for (QComboBox* box : {m_employee, m_workCode, m_period})
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_employee->setMinimumContentsLength(12);
    m_workCode->setMinimumContentsLength(12);
    setNames(*m_employee, QStringLiteral("All employees"), {}, {});
    setNames(*m_workCode, QStringLiteral("All work codes"), {}, {});

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_employee, 2);
    row->addWidget(m_workCode, 2);
    row->addWidget(m_period, 1);
    row->addWidget(m_text, 2);
    row->addWidget(m_result, 2);
    row->addWidget(m_close);

    connect(m_employee, &QComboBox::currentIndexChanged, this, &FindBar::changed);
    connect(m_workCode, &QComboBox::currentIndexChanged, this, &FindBar::changed);
    connect(m_period, &QComboBox::currentIndexChanged, this, &FindBar::changed);
    connect(m_text, &QLineEdit::textChanged, this, &FindBar::changed);
    connect(m_close, &QToolButton::clicked, this, &FindBar::closeRequested);
}

void FindBar::setNames(QComboBox& box, const QString& any, const QStringList& names, const QString& chosen,
                       const QSet<QString>& inactive)
{
    const QSignalBlocker quiet(box);
    box.clear();
    box.addItem(any, QString());
    for (const QString& name : names)
        box.addItem(inactive.contains(name) ? data::RecordTerms::markedInactive(name) : name, name);
    if (chosen.isEmpty())
        return;
    int at = box.findData(chosen);
    if (at < 0) {
        box.addItem(chosen, chosen);
        at = box.count() - 1;
    }
    box.setCurrentIndex(at);
}

QString FindBar::chosenName(const QComboBox& box)
{
    return box.currentData().toString();
}

void FindBar::setChoices(const QStringList& employees, const QStringList& workCodes,
                         const QSet<QString>& inactiveEmployees, const QSet<QString>& inactiveWorkCodes)
{
    setNames(*m_employee, m_employee->itemText(0), employees, chosenName(*m_employee), inactiveEmployees);
    setNames(*m_workCode, m_workCode->itemText(0), workCodes, chosenName(*m_workCode), inactiveWorkCodes);
}

EntryFilter FindBar::filter(const QDate& today) const
{
    const auto period = static_cast<reports::QuickPeriod>(m_period->currentData().toInt());
    return {chosenName(*m_employee), chosenName(*m_workCode),
            reports::periodOf(period, today, QLocale().firstDayOfWeek()), m_text->text()};
}

void FindBar::showResult(int entries, const reports::HoursTotal& total)
{
    m_result->setText((entries == 1 ? QStringLiteral("1 entry") : QStringLiteral("%1 entries").arg(entries))
                      + QStringLiteral(", %1 hours").arg(total.toText()));
}

QString FindBar::resultText() const
{
    return m_result->text();
}

void FindBar::choose(const QString& employee, const QString& workCode, reports::QuickPeriod period,
                     const QString& text)
{
    {
        const QSignalBlocker quietEmployee(m_employee);
        const QSignalBlocker quietWorkCode(m_workCode);
        const QSignalBlocker quietPeriod(m_period);
        const QSignalBlocker quietText(m_text);
        setNames(*m_employee, m_employee->itemText(0), {}, employee);
        setNames(*m_workCode, m_workCode->itemText(0), {}, workCode);
        m_period->setCurrentIndex(std::max(0, m_period->findData(static_cast<int>(period))));
        m_text->setText(text);
    }
    Q_EMIT changed();
}

void FindBar::focusText()
{
    m_text->setFocus(Qt::ShortcutFocusReason);
    m_text->selectAll();
}

void FindBar::saveState(bool shown) const
{
    // Only whether the bar is shown outlives the run: criteria brought back
    // unseen would hide entries without the user knowing why. Criteria an
    // older version kept are cleared.
    const settings::Section& saved = section();
    saved.save(QStringLiteral("Shown"), shown ? QStringLiteral("1") : QStringLiteral("0"));
    for (const char* key : {"Employee", "WorkCode", "Period", "Text"}) {
        if (!saved.value(QString::fromLatin1(key)).isEmpty())
            saved.save(QString::fromLatin1(key), QString());
    }
}

bool FindBar::savedShown()
{
    return section().value(QStringLiteral("Shown")) == u"1";
}

void FindBar::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        Q_EMIT closeRequested();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace hv
