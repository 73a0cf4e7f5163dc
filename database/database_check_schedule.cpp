#include "database/database_check_schedule.h"

#include "core/app_config.h"
#include "core/settings_section.h"

namespace hv::database {

namespace {

using PageCheck = data::PageCheck;

const QString kLastFullCheck = QStringLiteral("LastFullCheck");
const QString kSessionOpen = QStringLiteral("SessionOpen");

const settings::Section kCheckSettings(config::kCheckSection);

}  // namespace

PageCheck DatabaseCheckSchedule::depthForOpen(const QDate& today)
{
    const bool uncleanEnd = kCheckSettings.value(kSessionOpen) == u"1";
    const bool checkedToday = QDate::fromString(kCheckSettings.value(kLastFullCheck), Qt::ISODate) == today;
    return uncleanEnd || !checkedToday ? PageCheck::Full : PageCheck::Quick;
}

void DatabaseCheckSchedule::opened()
{
    kCheckSettings.save(kSessionOpen, QStringLiteral("1"));
}

void DatabaseCheckSchedule::checked(PageCheck depth, const QDate& today)
{
    if (depth == PageCheck::Full)
        kCheckSettings.save(kLastFullCheck, today.toString(Qt::ISODate));
}

void DatabaseCheckSchedule::closedCleanly()
{
    kCheckSettings.save(kSessionOpen, QStringLiteral("0"));
}

}  // namespace hv::database
