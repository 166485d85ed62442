#include "charts/manual.h"

#include "base/errors.h"

namespace velta {

namespace {
StudentMarkRedraw studentRedraw = nullptr;
}  // namespace

void SetStudentMarkRedraw(StudentMarkRedraw redraw) {
    studentRedraw = redraw;
}

void ReloadChart(ChartModel&, const Table2D&, int32_t, int32_t) {
    throw RuntimeError("ReloadChart: not built yet");
}

void VectorsAtSize(const Workspace&, int32_t, std::vector<double>&, std::vector<double>&) {
    throw RuntimeError("VectorsAtSize: not built yet");
}

void WriteStatisticsColumn(Workspace&, int32_t, const std::vector<double>&,
                           const std::vector<double>&) {
    throw RuntimeError("WriteStatisticsColumn: not built yet");
}

void SpostaRighe(Workspace&, int32_t, int32_t) {
    throw RuntimeError("SpostaRighe: not built yet");
}

void DisegnaRigheMobili(Workspace&, Platform&, int32_t, int32_t, int32_t) {
    throw RuntimeError("DisegnaRigheMobili: not built yet");
}

void Slider1_Change(Workspace&, Platform&) {}

}  // namespace velta
