#include "analysis/analysis.h"

#include <stdexcept>

namespace velta {

const Generation* Analysis::generation() const {
    return pilot_ && pilot_->generated ? &pilot_->generated->generation : nullptr;
}

const Trimming* Analysis::trimming() const {
    return generation() && pilot_->generated->trimmed ? &pilot_->generated->trimmed->trimming
                                                      : nullptr;
}

const AutomaticAnswer* Analysis::automatic() const {
    return trimming() && pilot_->generated->trimmed->automatic
               ? &*pilot_->generated->trimmed->automatic
               : nullptr;
}

const ManualAnswer* Analysis::manual() const {
    return trimming() && pilot_->generated->trimmed->manual ? &*pilot_->generated->trimmed->manual
                                                            : nullptr;
}

const StudentTAnswer* Analysis::studentT() const {
    return trimming() && pilot_->generated->trimmed->studentT
               ? &*pilot_->generated->trimmed->studentT
               : nullptr;
}

void Analysis::SetPilot(Pilot p) {
    pilot_.emplace(PilotStage{std::move(p), std::nullopt});
}

void Analysis::SetGeneration(Generation g) {
    if (!pilot_) throw std::logic_error("a generation needs a pilot");
    pilot_->generated.emplace(GeneratedStage{std::move(g), std::nullopt});
}

void Analysis::SetTrimming(Trimming t) {
    if (!generation()) throw std::logic_error("a trimming needs a generation");
    pilot_->generated->trimmed.emplace(TrimmedStage{std::move(t), {}, {}, {}, {}});
}

Analysis::TrimmedStage& Analysis::Trimmed() {
    if (!trimming()) throw std::logic_error("an answer needs a trimming");
    return *pilot_->generated->trimmed;
}

void Analysis::SetAutomatic(AutomaticAnswer a) {
    TrimmedStage& t = Trimmed();
    t.automatic = std::move(a);
    t.repeats.reset();
}

const RepeatsAnswer* Analysis::repeats() const {
    return automatic() && pilot_->generated->trimmed->repeats
               ? &*pilot_->generated->trimmed->repeats
               : nullptr;
}

void Analysis::SetRepeats(RepeatsAnswer r) {
    if (!automatic()) throw std::logic_error("repeats need an automatic answer");
    Trimmed().repeats = std::move(r);
}

void Analysis::SetManual(ManualAnswer m) {
    Trimmed().manual = std::move(m);
}

void Analysis::SetStudentT(StudentTAnswer s) {
    Trimmed().studentT = std::move(s);
}

void Analysis::ClearSizes() {
    if (!trimming()) return;
    Trimmed().automatic.reset();
    Trimmed().manual.reset();
    Trimmed().repeats.reset();
}

void Analysis::ClearStudentT() {
    if (trimming()) Trimmed().studentT.reset();
}

ManualAnswer ManualAnswerAt(const Trimming& t, int32_t jump, int32_t size,
                            const AutomaticAnswer* automatic) {
    ManualAnswer m;
    m.size = size;
    m.statistics = StatisticsAtSize(*t.tables, jump, size);
    if (automatic && automatic->succeeded && automatic->size == size)
        m.cv = automatic->cv;
    else if (size > 3)
        m.cv = CoefficientsAt(m.statistics, false);
    return m;
}

}  // namespace velta
