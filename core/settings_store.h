#pragma once

#include <QString>

// The per-user settings store: text values addressed by application name,
// section and key, kept in the user's configuration folder (XDG_CONFIG_HOME).
namespace hv::settings {

// The saved text, or defaultValue when the key has never been saved.
QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue = QString());

// Saves the text and writes it through to disk at once. A save that cannot
// be written (a settings folder that is read-only, full or not a folder) is
// kept in mind for takeSaveFailure() instead of being lost without a word.
void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value);

// The sentence that says which settings file could not be written since the
// last call, and what to do about it; empty text when every save was written.
QString takeSaveFailure();

}  // namespace hv::settings
