#pragma once

#include "data/value_binding.h"

#include <QString>

namespace hv::data {

// One statement of the program's own compiled by an engine, what a
// PreparedStatement runs: values are bound by position, counted from 1, and
// stay bound until the next run; columns of the current row are counted from
// 0. Every failure is a RuntimeError with the engine's message.
class EngineStatement : public ValueBinding {
public:
    // Runs a write to its end; the statement is then ready to run again.
    virtual void execute() = 0;
    // Steps a read: true while standing on a row, false past the last (the
    // statement is then ready to run again).
    virtual bool next() = 0;

    // True when the current row's cell holds Null.
    virtual bool isNull(int column) const = 0;
    // The cell as a whole number (a yes/no as 1 or 0).
    virtual qint64 integer(int column) const = 0;
    // The cell as a number.
    virtual double number(int column) const = 0;
    // The cell's text exactly as stored; a date or timestamp in the local
    // file's stored form ("yyyy-MM-dd", or with "THH:mm:ss").
    virtual QString text(int column) const = 0;
    // True when the cell is stored as a number (not as text or Null).
    virtual bool isNumber(int column) const = 0;

    // The ID that the last insert on the statement's database received.
    virtual qint64 lastInsertId() const = 0;
};

}  // namespace hv::data
