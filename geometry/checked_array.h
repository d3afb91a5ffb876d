// CheckedArray: a fixed-size array whose owner sets the size and whose element
// access is bounds-checked; a bad index or size throws Exception.
#pragma once

#include <cstdio>
#include <utility>

#include "geometry/exception.h"

namespace zarvento {

template <typename T>
class CheckedArray {
public:
    CheckedArray() = default;
    ~CheckedArray() { Free(); }

    CheckedArray(const CheckedArray& other) { CopyFrom(other); }
    CheckedArray& operator=(const CheckedArray& other) {
        if (this != &other) {
            Free();
            CopyFrom(other);
        }
        return *this;
    }
    CheckedArray(CheckedArray&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}
    CheckedArray& operator=(CheckedArray&& other) noexcept {
        if (this != &other) {
            Free();
            data_ = std::exchange(other.data_, nullptr);
            size_ = std::exchange(other.size_, 0);
        }
        return *this;
    }

    // Frees the old block, then allocates exactly n elements (value-initialised).
    // n <= 0 leaves the array empty and throws.
    void SetSize(int n) {
        Free();
        if (n <= 0) throw Exception("Cannot create array!\n(operation new failed)");
        data_ = new T[static_cast<std::size_t>(n)]();
        size_ = n;
    }

    T* GetAt(int i) {
        Check(i);
        return &data_[i];
    }
    const T* GetAt(int i) const {
        Check(i);
        return &data_[i];
    }
    T& operator[](int i) { return *GetAt(i); }
    const T& operator[](int i) const { return *GetAt(i); }

    void Free() {
        delete[] data_;
        data_ = nullptr;
        size_ = 0;
    }

    int Size() const { return size_; }
    T* Data() { return data_; }
    const T* Data() const { return data_; }

private:
    void Check(int i) const {
        if (i < 0 || i >= size_) {
            char buf[128];
            std::snprintf(buf, sizeof buf, "Invalid index of array\ni=%d N=%d\nSize of struct=%d", i, size_,
                          static_cast<int>(sizeof(T)));
            throw Exception(buf);
        }
    }
    void CopyFrom(const CheckedArray& other) {
        if (other.size_ <= 0) return;
        data_ = new T[static_cast<std::size_t>(other.size_)];
        for (int i = 0; i < other.size_; ++i) data_[i] = other.data_[i];
        size_ = other.size_;
    }

    T* data_ = nullptr;
    int size_ = 0;
};

}  // namespace zarvento
