#include "app/settings_store.h"

#include <QSettings>

namespace hv::settings {

// One INI file per application name (XDG_CONFIG_HOME/<application>.ini);
// the section is its group.

QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue)
{
    QSettings store(QSettings::IniFormat, QSettings::UserScope, application);
    store.beginGroup(section);
    const QVariant value = store.value(key);
    return value.isValid() ? value.toString() : defaultValue;
}

void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value)
{
    QSettings store(QSettings::IniFormat, QSettings::UserScope, application);
    store.beginGroup(section);
    store.setValue(key, value);
    store.endGroup();
    store.sync();
}

}  // namespace hv::settings
