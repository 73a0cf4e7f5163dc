#pragma once

#include <QByteArrayView>

namespace hv::data {

// Values bound by position, counted from 1, to what an engine sends next (a
// statement's run, a row of a copy); they stay bound until replaced. Every
// failure is a RuntimeError with the engine's message.
class ValueBinding {
public:
    virtual ~ValueBinding() = default;
    ValueBinding(const ValueBinding&) = delete;
    ValueBinding& operator=(const ValueBinding&) = delete;

    // Binds Null to the value at `position`.
    virtual void bindNull(int position) = 0;
    // Binds a whole number.
    virtual void bindInteger(int position, qint64 value) = 0;
    // Binds a number.
    virtual void bindNumber(int position, double value) = 0;
    // Binds text given as UTF-8 bytes, copied before the call returns.
    virtual void bindText(int position, QByteArrayView utf8) = 0;

protected:
    ValueBinding() = default;
};

}  // namespace hv::data
