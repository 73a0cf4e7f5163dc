#include "app/key_order.h"

#include <array>
#include <numeric>

namespace hv {

namespace {

constexpr int kDigitBits = 16;
constexpr int kDigits = 64 / kDigitBits;
constexpr size_t kBuckets = size_t(1) << kDigitBits;

inline size_t digitOf(quint64 key, int digit)
{
    return static_cast<size_t>((key >> (digit * kDigitBits)) & (kBuckets - 1));
}

}  // namespace

void orderByKeys(std::vector<quint32>& order, const std::vector<quint64>& keys)
{
    const size_t rows = keys.size();
    order.resize(rows);
    std::iota(order.begin(), order.end(), quint32(0));
    if (rows < 2)
        return;

    // One sweep counts every digit position at once.
    std::vector<quint32> counts(kDigits * kBuckets, 0);
    for (const quint64 key : keys) {
        for (int digit = 0; digit < kDigits; ++digit)
            ++counts[digit * kBuckets + digitOf(key, digit)];
    }

    // Least significant digit first; each pass is stable, so the rows end in
    // key order with ties in row order.
    std::vector<quint32> moved(rows);
    for (int digit = 0; digit < kDigits; ++digit) {
        quint32* count = &counts[digit * kBuckets];
        if (count[digitOf(keys[0], digit)] == rows)
            continue;  // every row has this digit
        quint32 start = 0;
        for (size_t bucket = 0; bucket < kBuckets; ++bucket) {
            const quint32 c = count[bucket];
            count[bucket] = start;
            start += c;
        }
        for (const quint32 row : order)
            moved[count[digitOf(keys[row], digit)]++] = row;
        order.swap(moved);
    }
}

}  // namespace hv
