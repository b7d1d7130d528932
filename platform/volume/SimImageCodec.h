// Byte encoding of a simulated volume's image: CRC-32 checksums, and the snapshot and journal
// records built from little-endian integers and counted UTF-16 texts (CSimWriter, CSimReader).
#pragma once

#include "SimVolumeModel.h"

#include <cstdint>
#include <string>
#include <vector>

uint32_t SimCrc32(const uint8_t* data, size_t size);

// A 64-bit digest of cluster data, eight bytes a step: start from kSimDataDigestStart and feed
// the data in order, in pieces whose sizes are multiples of 8. Two data that differ in a single
// eight-byte word never have the same digest.
inline constexpr uint64_t kSimDataDigestStart = 0xCBF29CE484222325ull;
uint64_t SimDataDigest(uint64_t digest, const uint8_t* data, size_t size);

// One journalled move: count clusters of a stream from vcn now lie from lcn, and the digest of
// the data the move wrote there (its target clusters in VCN order, sparse ones left out).
struct SimJournalMove {
    uint64_t recordId = 0;
    std::wstring streamKey;
    uint64_t vcn = 0;
    int64_t lcn = 0;
    uint32_t count = 0;
    uint64_t dataDigest = 0;
};

std::vector<uint8_t> SimEncodeContent(const SimVolumeContent& content);
[[nodiscard]] bool SimDecodeContent(const uint8_t* data, size_t size, SimVolumeContent* content);
std::vector<uint8_t> SimEncodeMove(const SimJournalMove& move);
[[nodiscard]] bool SimDecodeMove(const uint8_t* data, size_t size, SimJournalMove* move);
