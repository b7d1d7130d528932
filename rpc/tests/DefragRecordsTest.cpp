// Byte images of the wire records: each field lands at its offset, little-endian, and the
// padding the other side skips is where it expects it.
#include "DefragRecords.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

template <typename Record> const unsigned char* BytesOf(const Record& record) {
    return reinterpret_cast<const unsigned char*>(&record);
}

uint64_t ReadU64(const unsigned char* bytes, size_t offset) {
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = value << 8 | bytes[offset + i];
    return value;
}

uint32_t ReadU32(const unsigned char* bytes, size_t offset) {
    return static_cast<uint32_t>(bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
                                 static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

uint16_t ReadU16(const unsigned char* bytes, size_t offset) {
    return static_cast<uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

} // namespace

TEST(DefragRecords, CommandBytes) {
    DefragCommand command;
    std::memset(&command, 0xEE, sizeof command);
    command = DefragCommand{1, L'C', 248, 2, 1};
    const unsigned char* bytes = BytesOf(command);
    EXPECT_EQ(1u, ReadU32(bytes, 0));
    EXPECT_EQ(u'C', ReadU16(bytes, 4));
    EXPECT_EQ(248u, ReadU32(bytes, 8));
    EXPECT_EQ(2u, ReadU32(bytes, 12));
    EXPECT_EQ(1u, ReadU32(bytes, 16));
}

TEST(DefragRecords, ClusterMapBlockBytes) {
    const ClusterMapBlock block{0x0102030405060708, 2, 3, 4, 5};
    const unsigned char* bytes = BytesOf(block);
    EXPECT_EQ(0x08, bytes[0]);
    EXPECT_EQ(0x01, bytes[7]);
    for (size_t field = 1; field < 5; ++field)
        EXPECT_EQ(field + 1, ReadU64(bytes, field * 8));
}

TEST(DefragRecords, StatisticsBytes) {
    auto statistics = std::make_unique<DefragStatistics>();
    std::memset(statistics.get(), 0, sizeof *statistics);
    statistics->endTime.wYear = 2026;
    statistics->files = 0x1111;
    statistics->freeClusters = 0x2222;
    statistics->sectorsPerCluster = 8;
    statistics->bytesPerSector = 512;
    statistics->largestFreeRun = 0x3333;
    statistics->streamFlag = 1;
    statistics->drive = L'D';
    std::memcpy(statistics->fileSystemName, L"NTFS", 5 * sizeof(wchar_t));
    statistics->currentPath[0] = L'D';
    statistics->currentPath[kPathUnits - 1] = L'x';
    statistics->aborted = 1;
    const unsigned char* bytes = BytesOf(*statistics);
    EXPECT_EQ(2026, ReadU16(bytes, 16));
    EXPECT_EQ(0x1111u, ReadU64(bytes, 32));
    EXPECT_EQ(0x2222u, ReadU64(bytes, 112));
    EXPECT_EQ(8u, ReadU32(bytes, 136));
    EXPECT_EQ(512u, ReadU32(bytes, 140));
    EXPECT_EQ(0x3333u, ReadU64(bytes, 168));
    EXPECT_EQ(1u, ReadU32(bytes, 176));
    EXPECT_EQ(u'D', ReadU16(bytes, 180));
    EXPECT_EQ(u'N', ReadU16(bytes, 182));
    EXPECT_EQ(u'S', ReadU16(bytes, 188));
    EXPECT_EQ(u'D', ReadU16(bytes, 310));
    EXPECT_EQ(u'x', ReadU16(bytes, 65'844));
    EXPECT_EQ(1u, ReadU32(bytes, 65'848));
}

TEST(DefragRecords, FileReportRecordBytes) {
    auto record = std::make_unique<FileReportRecord>();
    std::memset(record.get(), 0, sizeof *record);
    record->path[0] = L'C';
    record->path[kPathUnits - 1] = L'z';
    record->isDirectory = 1;
    record->fragmentsBefore = 7;
    record->fragmentsAfter = 1;
    record->allocatedClusters = 0x100000001;
    record->totalClusters = 0x200000002;
    record->size = 0x300000003;
    record->status = kReportUnmovable;
    const unsigned char* bytes = BytesOf(*record);
    EXPECT_EQ(u'C', ReadU16(bytes, 0));
    EXPECT_EQ(u'z', ReadU16(bytes, 65'534));
    EXPECT_EQ(1u, ReadU32(bytes, 65'536));
    EXPECT_EQ(7u, ReadU32(bytes, 65'540));
    EXPECT_EQ(1u, ReadU32(bytes, 65'544));
    EXPECT_EQ(0x100000001u, ReadU64(bytes, 65'552));
    EXPECT_EQ(0x200000002u, ReadU64(bytes, 65'560));
    EXPECT_EQ(0x300000003u, ReadU64(bytes, 65'568));
    EXPECT_EQ(6u, ReadU32(bytes, 65'576));
}
