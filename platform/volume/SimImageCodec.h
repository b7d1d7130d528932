// Byte encoding of a simulated volume's image: little-endian integers and counted UTF-16 texts,
// CRC-32 checksums, and the snapshot and journal records built from them.
#pragma once

#include "SimVolumeModel.h"

#include <cstdint>
#include <string>
#include <vector>

uint32_t SimCrc32(const uint8_t* data, size_t size);

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

// One journalled move: count clusters of a stream from vcn now lie from lcn.
struct SimJournalMove {
    uint64_t recordId = 0;
    std::wstring streamKey;
    uint64_t vcn = 0;
    int64_t lcn = 0;
    uint32_t count = 0;
};

std::vector<uint8_t> SimEncodeContent(const SimVolumeContent& content);
[[nodiscard]] bool SimDecodeContent(const uint8_t* data, size_t size, SimVolumeContent* content);
std::vector<uint8_t> SimEncodeMove(const SimJournalMove& move);
[[nodiscard]] bool SimDecodeMove(const uint8_t* data, size_t size, SimJournalMove* move);
