#include "core/settings_store.h"

#include <QFileInfo>
#include <QSettings>
#include <utility>

namespace hv::settings {

namespace {

// The settings file that a save could not write to, since the last report.
QString& unsavedFile()
{
    static QString file;
    return file;
}

}  // namespace

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
    if (store.status() != QSettings::NoError)
        unsavedFile() = store.fileName();
}

QString takeSaveFailure()
{
    const QString file = std::exchange(unsavedFile(), QString());
    if (file.isEmpty())
        return {};
    return QStringLiteral("Hourvane could not save its settings (such as the list's column widths and the window "
                          "state) to '%1', so they will be as before at the next start. Make sure that the folder "
                          "'%2' exists and can be written.")
        .arg(file, QFileInfo(file).absolutePath());
}

}  // namespace hv::settings
