#include "core/settings_section.h"

#include "core/settings_store.h"

#include <utility>

namespace hv::settings {

Section::Section(QString name) : m_name(std::move(name)) {}

QString Section::value(const QString& key, const QString& defaultValue) const
{
    return GetSetting(config::kSettingsApplication, m_name, key, defaultValue);
}

void Section::save(const QString& key, const QString& value) const
{
    SaveSetting(config::kSettingsApplication, m_name, key, value);
}

}  // namespace hv::settings
