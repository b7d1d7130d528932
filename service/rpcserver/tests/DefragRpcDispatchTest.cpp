// The request check before the interpreter: lying sizes, short arrays and truncated requests
// are refused, and out sizes are capped at what the service can answer.
#include "DefragRecords.h"
#include "DefragRpcDispatch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

constexpr unsigned long kLocal = NDR_LOCAL_DATA_REPRESENTATION;
constexpr uint64_t kNoCells = 0;

std::vector<unsigned char> Request(std::initializer_list<int32_t> integers, size_t bytes = 0) {
    std::vector<unsigned char> request(integers.size() * 4 + bytes, 0xAB);
    size_t at = 0;
    for (int32_t value : integers) {
        std::memcpy(request.data() + at, &value, 4);
        at += 4;
    }
    return request;
}

RPC_STATUS Check(unsigned procNum, std::vector<unsigned char>& request,
                 uint64_t cellBytes = kNoCells, unsigned long representation = kLocal) {
    return CheckDefragRequest(procNum, request.data(), static_cast<unsigned>(request.size()),
                              representation, cellBytes);
}

int32_t IntAt(const std::vector<unsigned char>& request, size_t at) {
    int32_t value;
    std::memcpy(&value, request.data() + at, 4);
    return value;
}

} // namespace

TEST(DefragRequestCheck, InArraysMustCarryWhatTheirSizeSays) {
    for (unsigned procNum : {1u, 2u}) {
        auto honest = Request({20, 20}, 20);
        EXPECT_EQ(RPC_S_OK, Check(procNum, honest));
        auto empty = Request({0, 0});
        EXPECT_EQ(RPC_S_OK, Check(procNum, empty)) << "the procedure refuses it, not the check";

        auto shortArray = Request({20, 19}, 19); // the size claims a byte that never came
        EXPECT_EQ(RPC_X_BAD_STUB_DATA, Check(procNum, shortArray)) << procNum;
        auto oneByte = Request({9'920, 1}, 1);
        EXPECT_EQ(RPC_X_BAD_STUB_DATA, Check(procNum, oneByte));
        auto conformanceBeyondData = Request({40'000'000, 40'000'000}, 1);
        EXPECT_EQ(RPC_X_BAD_STUB_DATA, Check(procNum, conformanceBeyondData));
        auto largerConformance = Request({1, 20}, 20);
        EXPECT_EQ(RPC_X_BAD_STUB_DATA, Check(procNum, largerConformance));
        auto negative = Request({-1, -1}, 16);
        EXPECT_EQ(RPC_X_BAD_STUB_DATA, Check(procNum, negative));
        auto wrapping = Request({-8, -8}, 4); // length - 8 must not wrap below zero
        EXPECT_EQ(RPC_X_BAD_STUB_DATA, Check(procNum, wrapping));
        for (size_t length = 0; length < 8; ++length) {
            auto truncated = Request({20, 20}, 20);
            truncated.resize(length);
            EXPECT_EQ(RPC_X_BAD_STUB_DATA, Check(procNum, truncated)) << length;
        }
        EXPECT_EQ(RPC_X_BAD_STUB_DATA, CheckDefragRequest(procNum, nullptr, 28, kLocal, kNoCells));
    }
}

TEST(DefragRequestCheck, TruncatedRequestsAndForeignRepresentationsAreRefused) {
    for (unsigned procNum : {3u, 4u}) {
        for (size_t length = 0; length < 4; ++length) {
            auto truncated = Request({65'856});
            truncated.resize(length);
            EXPECT_EQ(RPC_X_BAD_STUB_DATA, Check(procNum, truncated)) << procNum << " " << length;
        }
    }
    for (size_t length = 0; length < 8; ++length) {
        auto truncated = Request({0, 65'584});
        truncated.resize(length);
        EXPECT_EQ(RPC_X_BAD_STUB_DATA, Check(6, truncated)) << length;
    }
    for (unsigned procNum : {0u, 5u, 7u, 8u, 9u, 10u}) {
        std::vector<unsigned char> none;
        EXPECT_EQ(RPC_S_OK, Check(procNum, none)) << procNum;
    }
    std::vector<unsigned char> none;
    EXPECT_EQ(RPC_S_PROCNUM_OUT_OF_RANGE, Check(11, none));
    auto bigEndian = Request({65'856});
    EXPECT_EQ(RPC_X_BAD_STUB_DATA, Check(4, bigEndian, kNoCells, 0x00000000));
}

TEST(DefragRequestCheck, RecordSizesAreCappedAtTheRecord) {
    constexpr int32_t kStatistics = sizeof(DefragStatistics);
    constexpr int32_t kRecord = sizeof(FileReportRecord);
    const struct {
        int32_t asked;
        int32_t statistics;
        int32_t record;
    } cases[] = {
        {0, 0, 0},
        {7, 7, 7}, // refused by the procedure, which writes nothing
        {kRecord, kRecord, kRecord},
        {kStatistics, kStatistics, kRecord},
        {kStatistics + 100, kStatistics, kRecord},
        {1'048'576, kStatistics, kRecord},
        {1'048'577, 1'048'577, 1'048'577}, // outside the range: the stub refuses it
        {-1, -1, -1},
    };
    for (const auto& c : cases) {
        auto statistics = Request({c.asked});
        ASSERT_EQ(RPC_S_OK, Check(4, statistics));
        EXPECT_EQ(c.statistics, IntAt(statistics, 0)) << c.asked;
        auto report = Request({3, c.asked});
        ASSERT_EQ(RPC_S_OK, Check(6, report));
        EXPECT_EQ(3, IntAt(report, 0)) << "the index is left alone";
        EXPECT_EQ(c.record, IntAt(report, 4)) << c.asked;
    }
}

TEST(DefragRequestCheck, MapSizesAskForTheCellsOrNothing) {
    constexpr uint64_t kCells = 248 * 40;
    const struct {
        int32_t asked;
        uint64_t cellBytes;
        int32_t passed;
    } cases[] = {
        {248 * 40, kCells, 248 * 40},
        {248 * 40 + 39, kCells, 248 * 40 + 39}, // the same cell count
        {247 * 40, kCells, 0},
        {249 * 40, kCells, 0},
        {2'147'483'647, kCells, 0},
        {2'147'483'647, 4'294'967'280, 0}, // the largest map the service can hold
        {248 * 40, kNoCells, 0},
        {0, kNoCells, 0},
        {-1, kCells, -1}, // negative: the stub's range check refuses it
    };
    for (const auto& c : cases) {
        auto request = Request({c.asked});
        ASSERT_EQ(RPC_S_OK, Check(3, request, c.cellBytes));
        EXPECT_EQ(c.passed, IntAt(request, 0)) << c.asked << " with " << c.cellBytes;
    }
}
