#pragma once

#include "core/app_config.h"

#include <QString>

namespace hv::settings {

// One section of the program's settings (under config::kSettingsApplication):
// the text saved under a key, and saving it through to disk.
class Section {
public:
    explicit Section(QString name = config::kSettingsSection);

    // The saved text, or defaultValue when the key has never been saved.
    QString value(const QString& key, const QString& defaultValue = QString()) const;
    // Saves the text; a save that cannot be written is kept for takeSaveFailure().
    void save(const QString& key, const QString& value) const;

private:
    QString m_name;
};

}  // namespace hv::settings
