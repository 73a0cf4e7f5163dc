#include "data/component_factory.h"

#include "data/connection.h"
#include "data/recordset.h"
#include "core/runtime_error.h"

#include <QSet>

namespace hv::data {

namespace {

// Identifiers marked missing. Only the user-interface thread creates objects.
QSet<QString>& missingComponents()
{
    static QSet<QString> missing;
    return missing;
}

void requireAvailable(QStringView progId)
{
    if (!ComponentFactory::isAvailable(progId))
        throw RuntimeError(err::CannotCreateObject, QStringLiteral("ActiveX component can't create object"));
}

}  // namespace

std::unique_ptr<Connection> ComponentFactory::createConnection()
{
    requireAvailable(kConnectionProgId);
    return std::make_unique<Connection>();
}

std::unique_ptr<Recordset> ComponentFactory::createRecordset()
{
    requireAvailable(kRecordsetProgId);
    return std::make_unique<Recordset>();
}

void ComponentFactory::setAvailable(QStringView progId, bool available)
{
    const QString key = progId.toString().toLower();
    if (available)
        missingComponents().remove(key);
    else
        missingComponents().insert(key);
}

bool ComponentFactory::isAvailable(QStringView progId)
{
    return !missingComponents().contains(progId.toString().toLower());
}

void ComponentFactory::resetAvailability()
{
    missingComponents().clear();
}

}  // namespace hv::data
