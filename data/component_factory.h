#pragma once

#include "core/runtime_error.h"

#include <QString>
#include <QStringView>
#include <memory>

namespace hv::data {

class Connection;
class Recordset;

inline constexpr QStringView kConnectionProgId = u"ADODB.Connection";
inline constexpr QStringView kRecordsetProgId = u"ADODB.Recordset";

// Creates the database objects by their programmatic identifiers, the one way
// every part of the program obtains them. Creation fails with "ActiveX
// component can't create object" (429) when a component is marked missing,
// which is how the start-up component check is exercised.
class ComponentFactory {
public:
    static std::unique_ptr<Connection> createConnection();
    static std::unique_ptr<Recordset> createRecordset();

    // Marks a component (by identifier, matched without regard to case) as
    // missing or present again.
    static void setAvailable(QStringView progId, bool available);
    static bool isAvailable(QStringView progId);
    // Every component present again.
    static void resetAvailability();
};

// The object a variable holds; using a variable whose creation failed raises
// "Object variable or With block variable not set" (91) instead of crashing.
template <typename T>
T& required(const std::unique_ptr<T>& object)
{
    if (!object)
        throw RuntimeError::objectNotSet();
    return *object;
}

}  // namespace hv::data
