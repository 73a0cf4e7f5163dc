#pragma once

#include <QString>

// The per-user settings store: text values addressed by application name,
// section and key, kept in the user's configuration folder (XDG_CONFIG_HOME).
namespace hv::settings {

// The saved text, or defaultValue when the key has never been saved.
QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue = QString());

// Saves the text and writes it through to disk at once.
void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value);

}  // namespace hv::settings
