#include "SimImageCodec.h"

#include "SimReader.h"
#include "SimWriter.h"

#include <array>
#include <cstring>

namespace {

constexpr uint32_t kSnapshotMagic = 0x504E5358; // "XSNP"
constexpr uint32_t kSnapshotVersion = 2;
// A count read from a damaged image must not make us allocate without bound.
constexpr uint64_t kMaxCount = 1ull << 32;

std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit) {
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table[i] = c;
    }
    return table;
}

} // namespace

uint32_t SimCrc32(const uint8_t* data, size_t size) {
    static const std::array<uint32_t, 256> table = MakeCrcTable();
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

uint64_t SimDataDigest(uint64_t digest, const uint8_t* data, size_t size) {
    for (size_t at = 0; at + sizeof(uint64_t) <= size; at += sizeof(uint64_t)) {
        uint64_t word;
        std::memcpy(&word, data + at, sizeof word);
        // Both steps are bijections, so one differing word always changes the digest.
        digest = (digest ^ word) * 0x100000001B3ull;
    }
    return digest;
}

namespace {

void WriteRuns(CSimWriter& w, const CSimRunSet& runs) {
    w.U64(runs.GetRuns().size());
    for (const auto& [first, end] : runs.GetRuns()) {
        w.U64(first);
        w.U64(end);
    }
}

// False for an empty or reversed run.
bool ReadRuns(CSimReader& r, CSimRunSet* runs) {
    const uint64_t count = r.U64();
    for (uint64_t i = 0; i < count && i < kMaxCount && !r.Failed(); ++i) {
        const uint64_t first = r.U64();
        const uint64_t end = r.U64();
        if (end <= first) {
            return false;
        }
        runs->Add(first, end - first);
    }
    return true;
}

} // namespace

std::vector<uint8_t> SimEncodeContent(const SimVolumeContent& content) {
    CSimWriter w;
    w.U32(kSnapshotMagic);
    w.U32(kSnapshotVersion);
    const SimGeometry& g = content.geometry;
    w.Text(g.fileSystemName);
    w.Text(g.label);
    w.U32(g.serialNumber);
    w.U32(g.bytesPerSector);
    w.U32(g.bytesPerCluster);
    w.U64(g.totalClusters);
    w.U64(g.mftStartLcn);
    w.U64(g.mft2StartLcn);
    w.U64(g.mftZoneStart);
    w.U64(g.mftZoneEnd);
    w.U64(content.rootId);
    w.U64(content.nextRecordId);
    w.U64(content.systemIds.size());
    for (uint64_t id : content.systemIds) {
        w.U64(id);
    }
    w.U64(content.records.size());
    for (const auto& [id, record] : content.records) {
        w.U64(record.id);
        w.U64(record.parentId);
        w.Text(record.name);
        w.U32(record.attributes);
        w.U32(record.flags);
        w.U32(record.linkCount);
        w.U32(static_cast<uint32_t>(record.streams.size()));
        for (const SimStream& stream : record.streams) {
            w.Text(stream.key);
            w.U64(stream.size);
            w.U64(stream.extents.size());
            for (const SimExtent& extent : stream.extents) {
                w.U64(extent.vcn);
                w.U64(static_cast<uint64_t>(extent.lcn));
                w.U64(extent.count);
            }
            w.Bytes(stream.residentData);
        }
        w.U64(record.children.size());
        for (const auto& [folded, entry] : record.children) {
            w.Text(entry.name);
            w.U64(entry.recordId);
        }
    }
    WriteRuns(w, content.used);
    w.U64(content.patternSeed);
    WriteRuns(w, content.patterned);
    return std::move(w.Buffer());
}

bool SimDecodeContent(const uint8_t* data, size_t size, SimVolumeContent* content) {
    CSimReader r(data, size);
    if (r.U32() != kSnapshotMagic || r.U32() != kSnapshotVersion) {
        return false;
    }
    SimVolumeContent c;
    SimGeometry& g = c.geometry;
    g.fileSystemName = r.Text();
    g.label = r.Text();
    g.serialNumber = r.U32();
    g.bytesPerSector = r.U32();
    g.bytesPerCluster = r.U32();
    g.totalClusters = r.U64();
    g.mftStartLcn = r.U64();
    g.mft2StartLcn = r.U64();
    g.mftZoneStart = r.U64();
    g.mftZoneEnd = r.U64();
    c.rootId = r.U64();
    c.nextRecordId = r.U64();
    const uint64_t systemCount = r.U64();
    for (uint64_t i = 0; i < systemCount && i < kMaxCount && !r.Failed(); ++i) {
        c.systemIds.push_back(r.U64());
    }
    const uint64_t recordCount = r.U64();
    for (uint64_t i = 0; i < recordCount && i < kMaxCount && !r.Failed(); ++i) {
        SimRecord record;
        record.id = r.U64();
        record.parentId = r.U64();
        record.name = r.Text();
        record.attributes = r.U32();
        record.flags = r.U32();
        record.linkCount = r.U32();
        const uint32_t streamCount = r.U32();
        for (uint32_t s = 0; s < streamCount && !r.Failed(); ++s) {
            SimStream stream;
            stream.key = r.Text();
            stream.size = r.U64();
            const uint64_t extentCount = r.U64();
            for (uint64_t e = 0; e < extentCount && e < kMaxCount && !r.Failed(); ++e) {
                SimExtent extent;
                extent.vcn = r.U64();
                extent.lcn = static_cast<int64_t>(r.U64());
                extent.count = r.U64();
                stream.extents.push_back(extent);
            }
            stream.residentData = r.Bytes();
            record.streams.push_back(std::move(stream));
        }
        const uint64_t childCount = r.U64();
        for (uint64_t ch = 0; ch < childCount && ch < kMaxCount && !r.Failed(); ++ch) {
            SimDirEntry entry;
            entry.name = r.Text();
            entry.recordId = r.U64();
            record.children.emplace(SimFoldName(entry.name), std::move(entry));
        }
        c.records.emplace(record.id, std::move(record));
    }
    if (!ReadRuns(r, &c.used)) {
        return false;
    }
    c.patternSeed = r.U64();
    if (!ReadRuns(r, &c.patterned) || r.Failed() || !r.AtEnd() || c.records.count(c.rootId) == 0) {
        return false;
    }
    *content = std::move(c);
    return true;
}

std::vector<uint8_t> SimEncodeMove(const SimJournalMove& move) {
    CSimWriter w;
    w.U64(move.recordId);
    w.Text(move.streamKey);
    w.U64(move.vcn);
    w.U64(static_cast<uint64_t>(move.lcn));
    w.U32(move.count);
    w.U64(move.dataDigest);
    return std::move(w.Buffer());
}

bool SimDecodeMove(const uint8_t* data, size_t size, SimJournalMove* move) {
    CSimReader r(data, size);
    move->recordId = r.U64();
    move->streamKey = r.Text();
    move->vcn = r.U64();
    move->lcn = static_cast<int64_t>(r.U64());
    move->count = r.U32();
    move->dataDigest = r.U64();
    return !r.Failed() && r.AtEnd();
}
