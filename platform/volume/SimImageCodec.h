// Byte encoding of a simulated volume's image: CRC-32 checksums, and the snapshot and journal
// records built from little-endian integers and counted UTF-16 texts (CSimWriter, CSimReader).
#pragma once

#include "SimVolumeModel.h"

#include <cstdint>
#include <string>
#include <vector>

uint32_t SimCrc32(const uint8_t* data, size_t size);

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
