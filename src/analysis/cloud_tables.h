#pragma once
// The clouds of one generation: the mean and the standard deviation of every
// virtual sample at every sample size.
//
// Row layout (rows 0 .. N-1, columns 0 .. V; column c is virtual sample
// c + 1, column V is 0): for q = 1, 2, ... with q*jump + 1 <= N, row
// q*jump - 1 holds the statistics of the first q*jump + 1 drawn values of
// each virtual sample; every other row is 0. So row r is sample size r + 2,
// as it is charted and labelled: with jump = 1 rows 0 .. N-2 hold sizes
// 2 .. N and row N-1 is 0.
#include <cstdint>

#include "base/table.h"

namespace velta {

struct CloudTables {
    Table2D means;
    Table2D sds;
    int32_t samples = 0;  // V: the columns 0 .. V-1 that are virtual samples

    int32_t Rows() const { return means.Rows(); }
    bool Empty() const { return means.Empty(); }
};

// Sample size <-> table row, and the chart category (from 1) of a size.
inline int32_t RowOfSize(int32_t size) {
    return size - 2;
}
inline int32_t CategoryOfSize(int32_t size) {
    return size - 1;
}

}  // namespace velta
