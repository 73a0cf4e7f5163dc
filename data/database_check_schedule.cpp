#include "data/database_check_schedule.h"

#include "core/app_config.h"
#include "core/settings_store.h"

namespace hv {

namespace {

using PageCheck = data::DatabaseFileCheck::PageCheck;

const QString kLastFullCheck = QStringLiteral("LastFullCheck");
const QString kSessionOpen = QStringLiteral("SessionOpen");

QString read(const QString& key)
{
    return settings::GetSetting(config::kSettingsApplication, config::kCheckSection, key);
}

void write(const QString& key, const QString& value)
{
    settings::SaveSetting(config::kSettingsApplication, config::kCheckSection, key, value);
}

}  // namespace

PageCheck DatabaseCheckSchedule::depthForOpen(const QDate& today)
{
    const bool uncleanEnd = read(kSessionOpen) == u"1";
    const bool checkedToday = QDate::fromString(read(kLastFullCheck), Qt::ISODate) == today;
    return uncleanEnd || !checkedToday ? PageCheck::Full : PageCheck::Quick;
}

void DatabaseCheckSchedule::opened(PageCheck depth, const QDate& today)
{
    if (depth == PageCheck::Full)
        write(kLastFullCheck, today.toString(Qt::ISODate));
    write(kSessionOpen, QStringLiteral("1"));
}

void DatabaseCheckSchedule::closedCleanly()
{
    write(kSessionOpen, QStringLiteral("0"));
}

}  // namespace hv
