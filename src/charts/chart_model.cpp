#include "charts/chart_model.h"

namespace velta {

void ChartModel::SetDataGrid(int32_t rows, int32_t cols) {
    data_.Resize(rows, cols);
    labels_.assign(static_cast<size_t>(rows), std::string());
    revision_ = NextRevision();
}

}  // namespace velta
