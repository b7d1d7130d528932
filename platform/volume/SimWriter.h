// Writes the byte encoding of a simulated volume's image: little-endian integers, counted
// UTF-16 texts and counted byte strings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CSimWriter {
public:
    void U32(uint32_t value) { Raw(&value, sizeof value); }
    void U64(uint64_t value) { Raw(&value, sizeof value); }
    void Text(const std::wstring& text);
    void Bytes(const std::vector<uint8_t>& bytes);
    void Raw(const void* data, size_t size);
    std::vector<uint8_t>& Buffer() { return buffer_; }

private:
    std::vector<uint8_t> buffer_;
};
