// The image file: persistence, journal replay and crash consistency of moves.
#include "SimTestSupport.h"
#include "SimVolumeChecker.h"

#include <memory>

namespace {

// The path of the first record of that name, wherever the builder put it.
std::wstring PathNamed(const CSimVolume& volume, const std::wstring& name) {
    for (const auto& [id, record] : volume.CopyContent().records) {
        if (record.name == name) {
            return volume.PathOf(id);
        }
    }
    return L"";
}

uint64_t IdOf(const CSimVolume& volume, const std::wstring& path) {
    for (const auto& [id, record] : volume.CopyContent().records) {
        if (volume.PathOf(id) == path) {
            return id;
        }
    }
    return 0;
}

std::vector<SimExtent> LayoutOf(const CSimVolume& volume, const std::wstring& path) {
    return volume.CopyContent().records.at(IdOf(volume, path)).streams.front().extents;
}

TEST(SimVolumeDurability, BuiltVolumeSurvivesMovesAndReopening) {
    CTempImage image;
    SimBuildSpec spec;
    spec.seed = 11;
    spec.geometry.totalClusters = 20000;
    spec.fileCount = 60;
    spec.streamCount = 4;
    spec.sparseCount = 2;
    spec.residentCount = 3;
    spec.hardLinkCount = 2;
    DWORD error = 0;
    std::unique_ptr<CSimVolume> volume = BuildSimVolume(image.Path(), spec, &error);
    ASSERT_TRUE(volume) << error;
    const SimDigests digests = DigestSimVolume(*volume);
    const std::wstring moved = PathNamed(*volume, L"file7.bin");
    ASSERT_EQ(ERROR_SUCCESS, MoveChunk(*volume, moved, 0, 19000, 1));
    const SimVolumeContent before = volume->CopyContent();
    volume.reset();

    volume = Reopen(image);
    ASSERT_TRUE(volume);
    const SimVolumeContent after = volume->CopyContent();
    EXPECT_TRUE(before.used == after.used);
    EXPECT_EQ(before.records.size(), after.records.size());
    EXPECT_EQ(LayoutOf(*volume, moved).front().lcn, 19000);
    EXPECT_EQ(std::vector<std::wstring>{}, CheckSimVolume(*volume, &digests));
}

// Built data is a pattern that no write stored; a cluster freed by a move still reads as its
// pattern, so data moved into it must win over the pattern, also after a journal replay.
TEST(SimVolumeDurability, BuiltDataFollowsMovesIntoFreedClusters) {
    CTempImage image;
    SimBuildSpec spec;
    spec.seed = 12;
    spec.geometry.totalClusters = 20000;
    spec.fileCount = 40;
    spec.minFileBytes = 2 * 4096;
    DWORD error = 0;
    std::unique_ptr<CSimVolume> volume = BuildSimVolume(image.Path(), spec, &error);
    ASSERT_TRUE(volume) << error;
    const SimDigests digests = DigestSimVolume(*volume);
    const std::wstring first = PathNamed(*volume, L"file3.bin");
    const std::wstring second = PathNamed(*volume, L"file4.bin");
    const int64_t freed = LayoutOf(*volume, first).front().lcn;
    ASSERT_EQ(ERROR_SUCCESS, MoveChunk(*volume, first, 0, 19000, 1));
    ASSERT_EQ(ERROR_SUCCESS, MoveChunk(*volume, second, 0, freed, 1));
    EXPECT_EQ(std::vector<std::wstring>{}, CheckSimVolume(*volume, &digests));

    volume = DieAndReopen(std::move(volume), image);
    ASSERT_TRUE(volume);
    EXPECT_EQ(LayoutOf(*volume, second).front().lcn, freed);
    EXPECT_EQ(std::vector<std::wstring>{}, CheckSimVolume(*volume, &digests));
    volume.reset();
    volume = Reopen(image); // from the checkpoint its close wrote
    ASSERT_TRUE(volume);
    EXPECT_EQ(std::vector<std::wstring>{}, CheckSimVolume(*volume, &digests));

    // The pattern depends on the seed: another seed's volume holds other bytes.
    spec.seed = 13;
    std::unique_ptr<CSimVolume> other = BuildSimVolume(L"", spec, &error);
    ASSERT_TRUE(other) << error;
    EXPECT_NE(digests, DigestSimVolume(*other));
}

TEST(SimVolumeDurability, JournalledMovesReplayWithoutACheckpoint) {
    CTempImage image;
    std::unique_ptr<CSimVolume> volume = FixtureOn(image);
    const SimDigests digests = DigestSimVolume(*volume);
    ASSERT_EQ(ERROR_SUCCESS, MoveChunk(*volume, L"\\a.bin", 0, 1000, 4));
    ASSERT_EQ(ERROR_SUCCESS, MoveChunk(*volume, L"\\a.bin", 4, 1004, 5));
    volume = DieAndReopen(std::move(volume), image);
    ASSERT_TRUE(volume);
    EXPECT_EQ((std::vector<SimExtent>{{0, 1000, 9}}), LayoutOf(*volume, L"\\a.bin"));
    EXPECT_EQ(std::vector<std::wstring>{}, CheckSimVolume(*volume, &digests));
}

// Three chunk moves of a.bin; a crash at each point and arrival leaves the layout after some
// whole number of moves, with every byte intact.
TEST(SimVolumeDurability, ACrashAnywhereLeavesTheOldOrTheNewLayout) {
    const std::vector<SimExtent> layouts[4] = {
        {{0, 100, 4}, {4, 200, 2}, {6, 300, 3}},
        {{0, 1000, 4}, {4, 200, 2}, {6, 300, 3}},
        {{0, 1000, 6}, {6, 300, 3}},
        {{0, 1000, 9}},
    };
    const SimCrashPoint points[] = {SimCrashPoint::AfterDataCopy, SimCrashPoint::TornJournalRecord,
                                    SimCrashPoint::AfterJournalRecord};
    for (SimCrashPoint point : points) {
        for (int occurrence = 1; occurrence <= 3; ++occurrence) {
            SCOPED_TRACE(testing::Message()
                         << "point " << static_cast<int>(point) << ", occurrence " << occurrence);
            CTempImage image;
            std::unique_ptr<CSimVolume> volume = FixtureOn(image);
            const SimDigests digests = DigestSimVolume(*volume);
            volume->ArmCrash(point, occurrence);
            int done = 0;
            const int64_t chunks[3][3] = {{0, 1000, 4}, {4, 1004, 2}, {6, 1006, 3}};
            for (const auto& chunk : chunks) {
                if (MoveChunk(*volume, L"\\a.bin", chunk[0], chunk[1],
                              static_cast<uint32_t>(chunk[2])) != ERROR_SUCCESS) {
                    break;
                }
                ++done;
            }
            EXPECT_EQ(occurrence - 1, done);
            EXPECT_TRUE(volume->Crashed());
            EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_READY),
                      MoveChunk(*volume, L"\\dir\\b.bin", 0, 2000, 1));
            volume.reset();

            volume = Reopen(image);
            ASSERT_TRUE(volume);
            const int expected = point == SimCrashPoint::AfterJournalRecord ? occurrence : done;
            EXPECT_EQ(layouts[expected], LayoutOf(*volume, L"\\a.bin"));
            EXPECT_EQ(std::vector<std::wstring>{}, CheckSimVolume(*volume, &digests));
            // The reopened volume carries on journalling after the replayed records.
            EXPECT_EQ(ERROR_SUCCESS, MoveChunk(*volume, L"\\dir\\b.bin", 0, 2000, 5));
            volume = DieAndReopen(std::move(volume), image);
            ASSERT_TRUE(volume);
            EXPECT_EQ((std::vector<SimExtent>{{0, 2000, 5}}), LayoutOf(*volume, L"\\dir\\b.bin"));
            EXPECT_EQ(std::vector<std::wstring>{}, CheckSimVolume(*volume, &digests));
        }
    }
}

TEST(SimVolumeDurability, ATornCheckpointKeepsThePreviousGeneration) {
    for (SimCrashPoint point : {SimCrashPoint::TornSnapshot, SimCrashPoint::TornSuperblock}) {
        CTempImage image;
        std::unique_ptr<CSimVolume> volume = FixtureOn(image);
        const SimDigests digests = DigestSimVolume(*volume);
        ASSERT_EQ(ERROR_SUCCESS, MoveChunk(*volume, L"\\a.bin", 0, 1000, 9));
        volume->ArmCrash(point);
        EXPECT_NE(static_cast<DWORD>(ERROR_SUCCESS), volume->Flush());
        volume.reset();
        volume = Reopen(image);
        ASSERT_TRUE(volume);
        EXPECT_EQ((std::vector<SimExtent>{{0, 1000, 9}}), LayoutOf(*volume, L"\\a.bin"));
        EXPECT_EQ(std::vector<std::wstring>{}, CheckSimVolume(*volume, &digests));
        // Checkpoints alternate between places; several in a row stay readable.
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(ERROR_SUCCESS, MoveChunk(*volume, L"\\a.bin", 0, 1100 + 100 * i, 9));
            ASSERT_EQ(ERROR_SUCCESS, volume->Flush());
        }
        volume.reset();
        volume = Reopen(image);
        ASSERT_TRUE(volume);
        EXPECT_EQ((std::vector<SimExtent>{{0, 1300, 9}}), LayoutOf(*volume, L"\\a.bin"));
        EXPECT_EQ(std::vector<std::wstring>{}, CheckSimVolume(*volume, &digests));
    }
}

TEST(SimVolumeDurability, RefusesAFileThatIsNoImage) {
    CTempImage image;
    HANDLE file =
        CreateFileW(image.Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, "not a volume image at all", 25, &written, nullptr);
    CloseHandle(file);
    DWORD error = 0;
    EXPECT_FALSE(CSimVolume::Open(image.Path(), &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_CORRUPT), error);
    EXPECT_FALSE(CSimVolume::Open(image.Path() + L".missing", &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), error);
}

} // namespace

namespace {

// A long run of moves outgrows the journal: the volume checkpoints on its own, and a
// checkpoint torn on the way loses no move.
TEST(SimVolumeDurability, ALongJournalIsFoldedIntoCheckpoints) {
    CTempImage image;
    std::unique_ptr<CSimVolume> volume = FixtureOn(image);
    volume->SetDurable(false);
    const SimDigests digests = DigestSimVolume(*volume);
    auto target = [](int move) { return move % 2 ? 1000 : 1010; };
    constexpr int kMoves = 8000; // some 560 KB of journal records
    volume->ArmCrash(SimCrashPoint::TornSnapshot);
    int moved = 0;
    while (moved < kMoves &&
           MoveChunk(*volume, L"\\dir\\b.bin", 0, target(moved), 5) == ERROR_SUCCESS) {
        ++moved;
    }
    ASSERT_LT(moved, kMoves) << "no checkpoint was attempted";
    ASSERT_GT(moved, 0);
    volume.reset();
    volume = Reopen(image);
    ASSERT_TRUE(volume);
    EXPECT_EQ((std::vector<SimExtent>{{0, target(moved - 1), 5}}),
              LayoutOf(*volume, L"\\dir\\b.bin"));
    EXPECT_EQ(std::vector<std::wstring>{}, CheckSimVolume(*volume, &digests));

    volume->SetDurable(false);
    for (int i = 0; i < kMoves; ++i) {
        ASSERT_EQ(ERROR_SUCCESS, MoveChunk(*volume, L"\\dir\\b.bin", 0, target(moved + i), 5));
    }
    volume = DieAndReopen(std::move(volume), image);
    ASSERT_TRUE(volume);
    EXPECT_EQ((std::vector<SimExtent>{{0, target(moved + kMoves - 1), 5}}),
              LayoutOf(*volume, L"\\dir\\b.bin"));
    EXPECT_EQ(std::vector<std::wstring>{}, CheckSimVolume(*volume, &digests));
}

} // namespace
