#pragma once

#include <QtGlobal>
#include <vector>

namespace hv {

// The stable order of rows by a 64-bit key each: `order` becomes the row
// numbers 0 .. keys.size() - 1 in ascending order of their keys, rows with
// equal keys in ascending row number. A radix sort: its time grows with the
// number of rows, never with their logarithm, and key digits that every row
// shares cost nothing.
void orderByKeys(std::vector<quint32>& order, const std::vector<quint64>& keys);

}  // namespace hv
