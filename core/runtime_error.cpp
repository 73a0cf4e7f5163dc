#include "core/runtime_error.h"

#include <utility>

namespace hv {

RuntimeError::RuntimeError(long number, QString description)
    : m_number(number), m_description(std::move(description)), m_utf8(m_description.toUtf8())
{
}

RuntimeError RuntimeError::refusal(long number, QString description)
{
    RuntimeError refused(number, std::move(description));
    refused.m_refusal = true;
    return refused;
}

RuntimeError RuntimeError::typeMismatch()
{
    return {err::TypeMismatch, QStringLiteral("Type mismatch")};
}

RuntimeError RuntimeError::invalidUseOfNull()
{
    return {err::InvalidUseOfNull, QStringLiteral("Invalid use of Null")};
}

RuntimeError RuntimeError::userInterrupt()
{
    return {err::UserInterrupt, QStringLiteral("User interrupt occurred")};
}

RuntimeError RuntimeError::overflow()
{
    return {err::Overflow, QStringLiteral("Overflow")};
}

RuntimeError RuntimeError::objectNotSet()
{
    return {err::ObjectNotSet, QStringLiteral("Object variable or With block variable not set")};
}

RuntimeError RuntimeError::invalidPropertyValue()
{
    return {err::InvalidPropertyValue, QStringLiteral("Invalid property value")};
}

}  // namespace hv
