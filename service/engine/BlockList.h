// A list that grows by blocks of a fixed size and never moves what it holds: appending copies
// no earlier element and touches each element's memory once, where a vector copies all of them
// at every growth and touches twice the memory. For lists of a million entries and more.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

template <typename T, size_t BlockSize> class BlockList {
public:
    // When memory runs out (std::bad_alloc) the list stays as it was.
    void Append(T&& value) {
        if (size_ == blocks_.size() * BlockSize) {
            auto block = std::make_unique<T[]>(BlockSize);
            blocks_.push_back(std::move(block));
        }
        blocks_[size_ / BlockSize][size_ % BlockSize] = std::move(value);
        ++size_;
    }
    size_t Size() const { return size_; }
    const T& operator[](size_t index) const {
        return blocks_[index / BlockSize][index % BlockSize];
    }
    void Swap(BlockList& other) noexcept {
        blocks_.swap(other.blocks_);
        std::swap(size_, other.size_);
    }

private:
    std::vector<std::unique_ptr<T[]>> blocks_;
    size_t size_ = 0;
};
