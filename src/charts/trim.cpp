#include "charts/trim.h"

#include "base/errors.h"

namespace velta {

void TrimTable(int32_t, int32_t, int32_t, const Table2D&, Table2D&) {
    throw RuntimeError("TrimTable: not built yet");
}

void cmdFilter_Click(Workspace&, Platform&) {}

}  // namespace velta
