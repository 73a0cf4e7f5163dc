#include "database/database_choice.h"

#include "core/data_places.h"
#include "core/settings_section.h"
#include "data/postgres/address.h"

namespace hv::database {

namespace {

const QString kKey = QStringLiteral("ServerAddress");

}  // namespace

QString DatabaseChoice::serverAddress()
{
    // A data folder named for the run is a choice of its local database.
    if (places::hasRunDataFolder())
        return {};
    return savedServerAddress();
}

QString DatabaseChoice::savedServerAddress()
{
    return settings::Section().value(kKey).trimmed();
}

QString DatabaseChoice::chooseServer(const QString& address)
{
    const QString kept = data::ServerAddress::withoutPassword(address.trimmed());
    settings::Section().save(kKey, kept);
    if (!data::ServerAddress::hasPassword(address))
        return {};
    return QStringLiteral("The password in the address was not saved: Hourvane never keeps passwords. Put it in "
                          "your password file (~/.pgpass, or the file PGPASSFILE names), or Hourvane asks for it "
                          "when it connects.");
}

void DatabaseChoice::chooseLocal()
{
    settings::Section().save(kKey, QString());
}

}  // namespace hv::database
