// StepArray: a growable array. It grows by at least its step; past the step
// it grows by half its capacity, so that appending n elements one by one
// stays linear in n. An index out of range is a broken invariant: the
// operation ends by the Exception it throws in a user's build.
#pragma once

#include <algorithm>
#include <cstdint>
#include <utility>

#include "geometry/exception.h"
#include "platform/core/check.h"

namespace zarvento {

template <typename T>
class StepArray {
public:
    explicit StepArray(std::uint16_t step = 10) : step_(step == 0 ? 1 : step) {}
    ~StepArray() { delete[] data_; }

    StepArray(const StepArray& other) : step_(other.step_) { CopyFrom(other); }
    StepArray& operator=(const StepArray& other) {
        if (this != &other) {
            RemoveAll();
            step_ = other.step_;
            CopyFrom(other);
        }
        return *this;
    }
    StepArray(StepArray&& other) noexcept
        : count_(std::exchange(other.count_, 0)),
          capacity_(std::exchange(other.capacity_, 0)),
          step_(other.step_),
          data_(std::exchange(other.data_, nullptr)) {}
    StepArray& operator=(StepArray&& other) noexcept {
        if (this != &other) {
            delete[] data_;
            count_ = std::exchange(other.count_, 0);
            capacity_ = std::exchange(other.capacity_, 0);
            step_ = other.step_;
            data_ = std::exchange(other.data_, nullptr);
        }
        return *this;
    }

    T* Add(T value) {
        if (count_ == capacity_) Grow();
        data_[count_] = std::move(value);
        return &data_[count_++];
    }

    // Caller keeps 0 <= i <= count.
    void InsertAt(std::uint32_t i, T value) {
        // An insertion lies within the array or at its end.
        if (ZARVENTO_NEVER(i > count_)) Refuse();
        if (count_ == capacity_) Grow();
        for (std::uint32_t k = count_; k > i; --k) data_[k] = std::move(data_[k - 1]);
        data_[i] = std::move(value);
        ++count_;
    }

    // Later elements move down by one place.
    void RemoveAt(std::uint32_t i) {
        // A removal names an element.
        if (ZARVENTO_NEVER(i >= count_)) Refuse();
        for (std::uint32_t k = i + 1; k < count_; ++k) data_[k - 1] = std::move(data_[k]);
        --count_;
        data_[count_] = T();
    }

    // Makes room for at least n elements at once: an object that knows its
    // size (a line's two points) takes that much and no whole step.
    void Reserve(std::uint32_t n) {
        if (n <= capacity_) return;
        T* block = new T[n]();
        for (std::uint32_t k = 0; k < count_; ++k) block[k] = std::move(data_[k]);
        delete[] data_;
        data_ = block;
        capacity_ = n;
    }

    // Shrinks the block to exactly count elements (none when empty).
    void FreeExtra() {
        if (count_ == capacity_) return;
        T* block = count_ ? new T[count_] : nullptr;
        for (std::uint32_t k = 0; k < count_; ++k) block[k] = std::move(data_[k]);
        delete[] data_;
        data_ = block;
        capacity_ = count_;
    }

    void RemoveAll() {
        delete[] data_;
        data_ = nullptr;
        count_ = capacity_ = 0;
    }
    // Keeps the block, forgets the elements.
    void SetCountZero() {
        for (std::uint32_t k = 0; k < count_; ++k) data_[k] = T();
        count_ = 0;
    }

    std::uint32_t Count() const { return count_; }
    std::uint32_t Capacity() const { return capacity_; }
    std::uint16_t Step() const { return step_; }
    bool Empty() const { return count_ == 0; }

    T& operator[](std::uint32_t i) {
        if (ZARVENTO_NEVER(i >= count_)) Refuse();
        return data_[i];
    }
    const T& operator[](std::uint32_t i) const {
        if (ZARVENTO_NEVER(i >= count_)) Refuse();
        return data_[i];
    }
    T* begin() { return data_; }
    T* end() { return data_ + count_; }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + count_; }
    T* Data() { return data_; }

private:
    [[noreturn]] static void Refuse() { throw Exception(BrokenInvariantText("StepArray")); }
    void Grow() {
        const std::uint32_t extra = std::max<std::uint32_t>(step_, capacity_ / 2);
        const std::uint32_t newCapacity = capacity_ + extra;
        T* block = new T[newCapacity]();
        for (std::uint32_t k = 0; k < count_; ++k) block[k] = std::move(data_[k]);
        delete[] data_;
        data_ = block;
        capacity_ = newCapacity;
    }
    void CopyFrom(const StepArray& other) {
        if (other.count_ == 0) return;
        data_ = new T[other.count_]();
        for (std::uint32_t k = 0; k < other.count_; ++k) data_[k] = other.data_[k];
        count_ = capacity_ = other.count_;
    }

    std::uint32_t count_ = 0;
    std::uint32_t capacity_ = 0;
    std::uint16_t step_;
    T* data_ = nullptr;
};

}  // namespace zarvento
