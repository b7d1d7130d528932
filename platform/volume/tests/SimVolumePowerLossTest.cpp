// Moves are flushed in groups: a loss of power, whatever part of the unflushed writes the disk
// kept, must leave the volume sound with every byte of every file in place, undo no more than
// the moves of one group, and never let a record that replay left behind come back later.
#include "SimTestSupport.h"
#include "SimVolumeChecker.h"

#include <map>
#include <memory>

namespace {

struct Move {
    const wchar_t* path;
    int64_t vcn;
    int64_t lcn;
    uint32_t count;
};

// Moves of the fixture's files (4 KiB clusters: a group holds 16 of them) that fill several
// groups, and move data into clusters that a move just before freed: b.bin into a.bin's old
// place, each file later back into its own.
const std::vector<Move> kMoves = {
    {L"\\a.bin", 0, 1000, 4},     {L"\\dir\\b.bin", 0, 100, 5},  {L"\\a.bin", 4, 1004, 2},
    {L"\\a.bin", 6, 1006, 3},     {L"\\sparse.bin", 0, 2000, 7}, {L"\\dir\\b.bin", 0, 3000, 5},
    {L"\\a.bin", 0, 3100, 9},     {L"\\dir\\b.bin", 0, 500, 5},  {L"\\a.bin", 0, 1000, 9},
    {L"\\sparse.bin", 0, 600, 7},
};
constexpr uint64_t kGroupClusters = kSimCommitBytes / 4096;

const SimCrashPoint kPowerLosses[] = {SimCrashPoint::PowerLossKeepingRecords,
                                      SimCrashPoint::PowerLossKeepingData,
                                      SimCrashPoint::PowerLossLosingARecord};

// Where every allocated virtual cluster of the moved files lies.
using Placement = std::map<std::pair<std::wstring, uint64_t>, int64_t>;

Placement PlacementOf(const CSimVolume& volume) {
    Placement placement;
    const SimVolumeContent content = volume.CopyContent();
    for (const wchar_t* path : {L"\\a.bin", L"\\dir\\b.bin", L"\\sparse.bin"}) {
        for (const auto& [id, record] : content.records) {
            if (volume.PathOf(id) != path) {
                continue;
            }
            for (const SimExtent& extent : record.streams.front().extents) {
                for (uint64_t i = 0; extent.lcn != kSimSparseLcn && i < extent.count; ++i) {
                    placement[{path, extent.vcn + i}] = extent.lcn + static_cast<int64_t>(i);
                }
            }
        }
    }
    return placement;
}

uint64_t ClustersPlacedDifferently(const Placement& a, const Placement& b) {
    uint64_t differing = 0;
    for (const auto& [cluster, lcn] : a) {
        auto found = b.find(cluster);
        differing += found == b.end() || found->second != lcn ? 1 : 0;
    }
    return differing;
}

// Runs the moves until the first that fails; the number that succeeded.
size_t RunMoves(CSimVolume& volume, const std::vector<Move>& moves) {
    size_t done = 0;
    while (done < moves.size() && MoveChunk(volume, moves[done].path, moves[done].vcn,
                                            moves[done].lcn, moves[done].count) == ERROR_SUCCESS) {
        ++done;
    }
    return done;
}

TEST(SimVolumePowerLoss, AnyLossLeavesEveryByteAndUndoesAtMostOneGroupOfMoves) {
    // The placement after each number of moves, as the volume had them before the loss.
    std::vector<Placement> believed;
    {
        CTempImage image;
        std::unique_ptr<CSimVolume> volume = FixtureOn(image);
        ASSERT_TRUE(volume);
        believed.push_back(PlacementOf(*volume));
        for (const Move& move : kMoves) {
            ASSERT_EQ(ERROR_SUCCESS, MoveChunk(*volume, move.path, move.vcn, move.lcn, move.count));
            believed.push_back(PlacementOf(*volume));
        }
    }
    for (SimCrashPoint point : kPowerLosses) {
        // Each journal record is one arrival: a move of more clusters than its group has room
        // for is committed in two parts.
        for (int occurrence = 1; occurrence <= 12; ++occurrence) {
            SCOPED_TRACE(testing::Message()
                         << "loss " << static_cast<int>(point) << ", record " << occurrence);
            CTempImage image;
            std::unique_ptr<CSimVolume> volume = FixtureOn(image);
            ASSERT_TRUE(volume);
            const SimDigests digests = DigestSimVolume(*volume);
            volume->ArmCrash(point, occurrence);
            const size_t done = RunMoves(*volume, kMoves);
            EXPECT_TRUE(volume->Crashed());
            volume.reset();

            volume = Reopen(image);
            ASSERT_TRUE(volume);
            EXPECT_EQ(std::vector<std::wstring>{}, CheckSimVolume(*volume, &digests));
            // Undone: at most the unflushed group and the move that was under way.
            const uint64_t underWay = done < kMoves.size() ? kMoves[done].count : 0;
            EXPECT_LE(ClustersPlacedDifferently(believed[done], PlacementOf(*volume)),
                      kGroupClusters + underWay);

            // Moves go on from what replay kept, and a later reopening keeps them: nothing the
            // disk kept from before the loss passes for a new record.
            const std::vector<Move> again = {{L"\\a.bin", 0, 3500, 9},
                                             {L"\\dir\\b.bin", 0, 3600, 5}};
            EXPECT_EQ(again.size(), RunMoves(*volume, again));
            volume = DieAndReopen(std::move(volume), image);
            ASSERT_TRUE(volume);
            EXPECT_EQ(std::vector<std::wstring>{}, CheckSimVolume(*volume, &digests));
            const Placement placed = PlacementOf(*volume);
            EXPECT_EQ(3500, placed.at({L"\\a.bin", 0}));
            EXPECT_EQ(3508, placed.at({L"\\a.bin", 8}));
            EXPECT_EQ(3604, placed.at({L"\\dir\\b.bin", 4}));
        }
    }
}

// A record whose data never reached the disk is not replayed, and neither is anything after
// it: the files stay where their data is.
TEST(SimVolumePowerLoss, ARecordWithoutItsDataIsNotReplayed) {
    CTempImage image;
    std::unique_ptr<CSimVolume> volume = FixtureOn(image);
    ASSERT_TRUE(volume);
    const SimDigests digests = DigestSimVolume(*volume);
    volume->ArmCrash(SimCrashPoint::PowerLossKeepingRecords, 3);
    // The first record of a journal is preceded by a flush, which takes this move's data too.
    ASSERT_EQ(ERROR_SUCCESS, MoveChunk(*volume, L"\\dir\\b.bin", 0, 1500, 5));
    ASSERT_EQ(ERROR_SUCCESS, MoveChunk(*volume, L"\\a.bin", 0, 1000, 4));
    EXPECT_NE(static_cast<DWORD>(ERROR_SUCCESS), MoveChunk(*volume, L"\\a.bin", 4, 1004, 2));
    volume.reset();
    volume = Reopen(image);
    ASSERT_TRUE(volume);
    const SimVolumeContent content = volume->CopyContent();
    EXPECT_EQ((std::vector<SimExtent>{{0, 100, 4}, {4, 200, 2}, {6, 300, 3}}),
              content.records.at(64).streams.front().extents);
    EXPECT_EQ(std::vector<std::wstring>{}, CheckSimVolume(*volume, &digests));
}

// A flushed group survives a loss that takes the next group's records; moving into clusters
// that an unflushed move freed first makes that move durable.
TEST(SimVolumePowerLoss, FlushedGroupsAndTheMovesBeforeAReuseSurvive) {
    CTempImage image;
    std::unique_ptr<CSimVolume> volume = FixtureOn(image);
    ASSERT_TRUE(volume);
    const SimDigests digests = DigestSimVolume(*volume);
    volume->ArmCrash(SimCrashPoint::PowerLossKeepingData, 3);
    ASSERT_EQ(ERROR_SUCCESS, MoveChunk(*volume, L"\\a.bin", 0, 1000, 4));
    ASSERT_EQ(ERROR_SUCCESS, MoveChunk(*volume, L"\\dir\\b.bin", 0, 100, 5)); // reuses 100..103
    EXPECT_NE(static_cast<DWORD>(ERROR_SUCCESS), MoveChunk(*volume, L"\\a.bin", 4, 1004, 2));
    volume.reset();
    volume = Reopen(image);
    ASSERT_TRUE(volume);
    const SimVolumeContent content = volume->CopyContent();
    EXPECT_EQ(1000, content.records.at(64).streams.front().extents.front().lcn); // durable
    EXPECT_EQ(std::vector<std::wstring>{}, CheckSimVolume(*volume, &digests));
}

TEST(SimVolumePowerLoss, DataDigestsTellEveryWordApart) {
    std::vector<uint8_t> data(4096);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i * 13);
    }
    const uint64_t digest = SimDataDigest(kSimDataDigestStart, data.data(), data.size());
    EXPECT_EQ(digest, SimDataDigest(SimDataDigest(kSimDataDigestStart, data.data(), 1024),
                                    data.data() + 1024, data.size() - 1024));
    for (size_t at : {size_t{0}, size_t{7}, size_t{2048}, data.size() - 1}) {
        std::vector<uint8_t> changed = data;
        changed[at] ^= 0x80;
        EXPECT_NE(digest, SimDataDigest(kSimDataDigestStart, changed.data(), changed.size()));
    }
    EXPECT_NE(digest, SimDataDigest(kSimDataDigestStart, std::vector<uint8_t>(4096).data(), 4096));
}

} // namespace
