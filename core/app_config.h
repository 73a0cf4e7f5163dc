#pragma once

#include <QString>

// The program's configured names and addresses, kept in one place. The
// addresses are the maker's; messages and start-up read them from here.
namespace hv::config {

inline const QString kProductName = QStringLiteral("Hourvane");
inline const QString kCompanyName = QStringLiteral("Harrowfen");

// The settings store's application name and section.
inline const QString kSettingsApplication = QStringLiteral("Harrowfen");
inline const QString kSettingsSection = QStringLiteral("Hourvane");
// The section of what the database check at opening remembers.
inline const QString kCheckSection = QStringLiteral("Hourvane Database Check");

// The project tag and date that begin every error report's location text.
inline const QString kProjectTag = QStringLiteral("Vevudazor");
inline const QString kProjectDate = QStringLiteral("2021/08/31");

inline const QString kSupportEmail = QStringLiteral("support@harrowfen.example");
inline const QString kHomePage = QStringLiteral("https://www.harrowfen.example/");
inline const QString kContactPage = QStringLiteral("https://www.harrowfen.example/contact");
// The platform vendor's article on the update of the database components.
inline const QString kComponentUpdateArticle =
    QStringLiteral("https://support.platform.example/help/data-access-components-update");

// The special folder that holds the per-machine data folder.
inline constexpr int kCommonAppDataFolder = 35;

}  // namespace hv::config
