#pragma once

#include "data/value_binding.h"

namespace hv::data {

// Rows streamed into one table by an engine's own bulk path, faster than one
// insert per row: values are bound (ValueBinding) in the order of the columns
// the copy was made with. Nothing is written unless finish() returns; a copy
// destroyed before it writes nothing.
class RowCopy : public ValueBinding {
public:
    // Adds a row of the values bound.
    virtual void add() = 0;
    // Ends the copy and returns the number of rows it wrote.
    virtual long finish() = 0;
};

}  // namespace hv::data
