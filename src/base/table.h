#pragma once
// A dense table of doubles addressed by (row, column) from 0, stored row by
// row so that a row (all virtual samples at one sample size) is contiguous.
//
// The storage comes zeroed from the system and is only faulted in where it
// is written: the rows a generation leaves at zero cost no memory, and no
// time is spent zeroing what is written next anyway. Large tables are mapped
// from the system directly, so that this holds whatever the allocator did
// before, and rows known to be written whole can ask for large pages: a
// generation of 185,000 virtual samples otherwise spends most of its time in
// the faults of its fresh 4 KiB pages.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

namespace velta {

class Table2D {
  public:
    Table2D() = default;
    Table2D(int32_t rows, int32_t cols) { Resize(rows, cols); }
    Table2D(const Table2D& other) { *this = other; }
    Table2D& operator=(const Table2D& other) {
        if (this == &other) return *this;
        Resize(other.rows_, other.cols_);
        if (Size() > 0) std::memcpy(data_.get(), other.data_.get(), Size() * sizeof(double));
        return *this;
    }
    Table2D(Table2D&& other) noexcept { *this = std::move(other); }
    Table2D& operator=(Table2D&& other) noexcept {
        data_ = std::move(other.data_);
        rows_ = std::exchange(other.rows_, 0);
        cols_ = std::exchange(other.cols_, 0);
        return *this;
    }

    // Every value becomes 0. std::bad_alloc when the memory is not there.
    void Resize(int32_t rows, int32_t cols) {
        data_.reset();
        rows_ = cols_ = 0;
        const size_t n = static_cast<size_t>(rows) * static_cast<size_t>(cols);
        if (n > 0) data_ = Storage(n);
        rows_ = rows;
        cols_ = cols;
    }
    void Clear() { Resize(0, 0); }

    // Rows first .. last will each be written whole: where the system offers
    // large pages, the part of them that fills whole large pages gets them.
    // Only a hint; rows outside the range keep costing nothing until written.
    void AdviseWholeRows(int32_t first, int32_t last);

    int32_t Rows() const { return rows_; }
    int32_t Cols() const { return cols_; }
    bool Empty() const { return Size() == 0; }

    double& operator()(int32_t r, int32_t c) { return data_[Index(r, c)]; }
    double operator()(int32_t r, int32_t c) const { return data_[Index(r, c)]; }
    double* Row(int32_t r) { return data_.get() + Index(r, 0); }
    const double* Row(int32_t r) const { return data_.get() + Index(r, 0); }

    friend bool operator==(const Table2D& a, const Table2D& b) {
        return a.rows_ == b.rows_ && a.cols_ == b.cols_ &&
               std::equal(a.data_.get(), a.data_.get() + a.Size(), b.data_.get());
    }

  private:
    // Zeroed memory for n doubles: from calloc when small, else mapped from
    // the system (page aligned, zero, faulted in on first write).
    class Storage {
      public:
        Storage() = default;
        explicit Storage(size_t n);
        Storage(Storage&& o) noexcept
            : p_(std::exchange(o.p_, nullptr)), bytes_(std::exchange(o.bytes_, 0)) {}
        Storage& operator=(Storage&& o) noexcept {
            if (this != &o) {
                reset();
                p_ = std::exchange(o.p_, nullptr);
                bytes_ = std::exchange(o.bytes_, 0);
            }
            return *this;
        }
        ~Storage() { reset(); }
        void reset();
        double* get() const { return p_; }
        double& operator[](size_t i) const { return p_[i]; }
        explicit operator bool() const { return p_ != nullptr; }
        size_t MappedBytes() const { return bytes_; }

      private:
        double* p_ = nullptr;
        size_t bytes_ = 0;  // the mapping's length; 0 for calloc'd memory
    };
    size_t Size() const { return static_cast<size_t>(rows_) * static_cast<size_t>(cols_); }
    size_t Index(int32_t r, int32_t c) const {
        return static_cast<size_t>(r) * static_cast<size_t>(cols_) + static_cast<size_t>(c);
    }
    int32_t rows_ = 0;
    int32_t cols_ = 0;
    Storage data_;
};

}  // namespace velta
