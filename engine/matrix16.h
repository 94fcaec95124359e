#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dissim {

// A square matrix of signed 16-bit integers indexed from 0 to size()-1 in both dimensions;
// element (i, j) is row i, column j. Rows are stored one after another.
class Matrix16 {
public:
    Matrix16() = default;

    // Discards the contents and makes the matrix dim x dim, every element 0.
    void resize(std::size_t dim) {
        data_.assign(dim * dim, 0);
        dim_ = dim;
    }
    void clear() {
        data_.clear();
        data_.shrink_to_fit();
        dim_ = 0;
    }

    std::size_t size() const { return dim_; }
    std::int16_t& operator()(std::size_t i, std::size_t j) { return data_[i * dim_ + j]; }
    std::int16_t operator()(std::size_t i, std::size_t j) const { return data_[i * dim_ + j]; }
    const std::int16_t* row(std::size_t i) const { return data_.data() + i * dim_; }
    std::int16_t* row(std::size_t i) { return data_.data() + i * dim_; }

private:
    std::vector<std::int16_t> data_;
    std::size_t dim_ = 0;
};

} // namespace dissim
