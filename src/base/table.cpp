#include "base/table.h"

#include <sys/mman.h>

namespace velta {

namespace {

// From this size on a table is mapped: below it the allocator's own pages
// serve better, and large pages could not help.
constexpr size_t kMapFrom = size_t{1} << 20;
constexpr size_t kLargePage = size_t{2} << 20;

}  // namespace

Table2D::Storage::Storage(size_t n) {
    if (n > SIZE_MAX / sizeof(double)) throw std::bad_alloc();
    const size_t bytes = n * sizeof(double);
    if (bytes < kMapFrom) {
        p_ = static_cast<double*>(std::calloc(n, sizeof(double)));
        if (!p_) throw std::bad_alloc();
        return;
    }
    void* m = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED) throw std::bad_alloc();
    p_ = static_cast<double*>(m);
    bytes_ = bytes;
}

void Table2D::Storage::reset() {
    if (!p_) return;
    if (bytes_ > 0)
        munmap(p_, bytes_);
    else
        std::free(p_);
    p_ = nullptr;
    bytes_ = 0;
}

void Table2D::AdviseWholeRows(int32_t first, int32_t last) {
#ifdef MADV_HUGEPAGE
    if (data_.MappedBytes() == 0 || first > last || first < 0 || last >= rows_) return;
    const auto begin = reinterpret_cast<uintptr_t>(Row(first));
    const auto end = reinterpret_cast<uintptr_t>(Row(last) + cols_);
    const uintptr_t from = (begin + kLargePage - 1) & ~(kLargePage - 1);
    const uintptr_t to = end & ~(kLargePage - 1);
    if (from < to) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
    (void)first;
    (void)last;
#endif
}

}  // namespace velta
