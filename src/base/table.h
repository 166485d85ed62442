#pragma once
// A dense table of doubles addressed by (row, column) from 0, stored row by
// row so that a row (all virtual samples at one sample size) is contiguous.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace velta {

class Table2D {
  public:
    Table2D() = default;
    Table2D(int32_t rows, int32_t cols) { Resize(rows, cols); }

    void Resize(int32_t rows, int32_t cols) {
        rows_ = rows;
        cols_ = cols;
        data_.assign(static_cast<size_t>(rows) * static_cast<size_t>(cols), 0.0);
    }
    void Clear() { Resize(0, 0); }

    int32_t Rows() const { return rows_; }
    int32_t Cols() const { return cols_; }
    bool Empty() const { return data_.empty(); }

    double& operator()(int32_t r, int32_t c) { return data_[Index(r, c)]; }
    double operator()(int32_t r, int32_t c) const { return data_[Index(r, c)]; }
    double* Row(int32_t r) { return data_.data() + Index(r, 0); }
    const double* Row(int32_t r) const { return data_.data() + Index(r, 0); }

    friend bool operator==(const Table2D&, const Table2D&) = default;

  private:
    size_t Index(int32_t r, int32_t c) const {
        return static_cast<size_t>(r) * static_cast<size_t>(cols_) + static_cast<size_t>(c);
    }
    int32_t rows_ = 0;
    int32_t cols_ = 0;
    std::vector<double> data_;
};

}  // namespace velta
