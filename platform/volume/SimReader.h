// Reads the byte encoding of a simulated volume's image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reads what CSimWriter wrote; any read past the end sets the failed flag and yields zeros.
class CSimReader {
public:
    CSimReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint32_t U32();
    uint64_t U64();
    std::wstring Text();
    std::vector<uint8_t> Bytes();
    bool Failed() const { return failed_; }
    bool AtEnd() const { return offset_ == size_; }

private:
    bool Take(void* out, size_t size);
    const uint8_t* data_;
    size_t size_;
    size_t offset_ = 0;
    bool failed_ = false;
};
