// Injected faults, hooks, concurrent use, the checker and the seeded builder.
#include "SimTestSupport.h"
#include "SimVolumeApi.h"
#include "SimVolumeChecker.h"

#include <atomic>
#include <thread>

namespace {

std::unique_ptr<CSimVolume> FixtureVolume() {
    DWORD error = 0;
    std::unique_ptr<CSimVolume> volume = CSimVolume::Create(L"", SmallGeometry(), &error);
    AddFixtureItems(*volume);
    return volume;
}

bool Mentions(const std::vector<std::wstring>& problems, const std::wstring& text) {
    for (const std::wstring& problem : problems) {
        if (problem.find(text) != std::wstring::npos) {
            return true;
        }
    }
    return false;
}

TEST(SimVolumeFaults, FailedMovesRunOutAndChangeNothing) {
    std::unique_ptr<CSimVolume> volume = FixtureVolume();
    const SimVolumeContent before = volume->CopyContent();
    volume->FailMoves(L"\\A.BIN", 2, ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ERROR_SUCCESS, MoveChunk(*volume, L"\\dir\\b.bin", 0, 1500, 5)); // not a.bin
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER),
              MoveChunk(*volume, L"\\a.bin", 0, 1000, 4));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER),
              MoveChunk(*volume, L"\\a.bin", 0, 1000, 4));
    EXPECT_EQ(before.records.at(64).streams.front().extents,
              volume->CopyContent().records.at(64).streams.front().extents);
    EXPECT_EQ(ERROR_SUCCESS, MoveChunk(*volume, L"\\a.bin", 0, 1000, 4));

    volume->FailMoves(L"", -1); // every item, for good
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), MoveChunk(*volume, L"\\a.bin", 4, 1004, 2));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED),
              MoveChunk(*volume, L"\\dir\\b.bin", 0, 1600, 5));
    EXPECT_TRUE(CheckSimVolume(*volume).empty());
}

TEST(SimVolumeFaults, ImmovableItemsAreRefused) {
    std::unique_ptr<CSimVolume> volume = FixtureVolume();
    ASSERT_EQ(ERROR_SUCCESS, volume->SetRecordFlags(L"\\a.bin", kSimImmovable));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), MoveChunk(*volume, L"\\a.bin", 0, 1000, 4));
}

// Another writer takes the clusters the engine saw free in its bitmap before it moves there.
TEST(SimVolumeFaults, AnAllocationBetweenBitmapReadAndMoveIsRefused) {
    std::shared_ptr<CSimVolume> volume = FixtureVolume();
    CSimVolumeApi api;
    api.Mount(L'T', volume);
    volume->SetAfterBitmapReadHook([&volume] {
        volume->SetAfterBitmapReadHook(nullptr);
        ASSERT_EQ(ERROR_SUCCESS, volume->AddFile(L"\\newcomer.tmp"));
        ASSERT_EQ(ERROR_SUCCESS, volume->SetStream(L"\\newcomer.tmp", L"", 4096, {{0, 1002, 1}},
                                                   Pattern(4096, 9)));
    });
    HANDLE device = api.CreateFileW(L"\\\\.\\T:", GENERIC_READ, 0, 0);
    std::vector<uint8_t> bitmap(24 + 512);
    STARTING_LCN_INPUT_BUFFER start{};
    DWORD returned = 0;
    ASSERT_TRUE(api.DeviceIoControl(device, FSCTL_GET_VOLUME_BITMAP, &start, sizeof start,
                                    bitmap.data(), static_cast<DWORD>(bitmap.size()), &returned));
    EXPECT_EQ(0, reinterpret_cast<VOLUME_BITMAP_BUFFER*>(bitmap.data())->Buffer[1000 / 8]);
    const SimDigests digests = DigestSimVolume(*volume);

    HANDLE item = api.CreateFileW(L"T:\\a.bin", FILE_READ_ATTRIBUTES, 0, 0);
    MOVE_FILE_DATA move{item, {}, {}, 4};
    move.StartingLcn.QuadPart = 1000;
    EXPECT_FALSE(
        api.DeviceIoControl(device, FSCTL_MOVE_FILE, &move, sizeof move, nullptr, 0, &returned));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_EQ(std::vector<std::wstring>{}, CheckSimVolume(*volume, &digests));
    EXPECT_TRUE(api.CloseHandle(item));
    EXPECT_TRUE(api.CloseHandle(device));
}

TEST(SimVolumeFaults, TheMoveHookSeesEveryChunkBeforeItHappens) {
    std::unique_ptr<CSimVolume> volume = FixtureVolume();
    std::vector<SimMoveEvent> events;
    volume->SetBeforeMoveHook([&](const SimMoveEvent& event) {
        // Where a test sets the engine's abort event; the chunk itself still runs.
        events.push_back(event);
        EXPECT_TRUE(
            volume->CopyContent().used.IsFree(static_cast<uint64_t>(event.lcn), event.count));
    });
    EXPECT_EQ(ERROR_SUCCESS, MoveChunk(*volume, L"\\dir\\b.bin", 0, 1000, 3));
    EXPECT_EQ(ERROR_SUCCESS, MoveChunk(*volume, L"\\dir\\b.bin", 3, 1003, 2));
    ASSERT_EQ(2u, events.size());
    EXPECT_EQ(L"\\dir\\b.bin", events[1].path);
    EXPECT_EQ(3u, events[1].vcn);
    EXPECT_EQ(1003, events[1].lcn);
    EXPECT_EQ(2u, events[1].count);
}

TEST(SimVolumeFaults, AWorkerAndATestShareAVolume) {
    std::shared_ptr<CSimVolume> volume = FixtureVolume();
    const SimDigests digests = DigestSimVolume(*volume);
    std::atomic<bool> done{false};
    std::thread mover([&] {
        for (int i = 0; i < 200; ++i) {
            const int64_t target = i % 2 == 0 ? 1000 : 2000;
            EXPECT_EQ(ERROR_SUCCESS, MoveChunk(*volume, L"\\a.bin", 0, target, 9));
        }
        done = true;
    });
    CSimVolumeApi api;
    api.Mount(L'T', volume);
    HANDLE device = api.CreateFileW(L"\\\\.\\T:", GENERIC_READ, 0, 0);
    HANDLE item = api.CreateFileW(L"T:\\a.bin", FILE_READ_ATTRIBUTES, 0, 0);
    std::vector<uint8_t> out(16396);
    std::vector<uint8_t> bitmap(24 + 512);
    while (!done) {
        STARTING_VCN_INPUT_BUFFER vcn{};
        DWORD returned = 0;
        ASSERT_TRUE(api.DeviceIoControl(item, FSCTL_GET_RETRIEVAL_POINTERS, &vcn, sizeof vcn,
                                        out.data(), static_cast<DWORD>(out.size()), &returned));
        // Always a whole layout: the original three extents or one of the two moved ones.
        const auto* pointers = reinterpret_cast<RETRIEVAL_POINTERS_BUFFER*>(out.data());
        const LONGLONG first = pointers->Extents[0].Lcn.QuadPart;
        EXPECT_TRUE(pointers->ExtentCount == 3
                        ? first == 100
                        : pointers->ExtentCount == 1 && (first == 1000 || first == 2000));
        STARTING_LCN_INPUT_BUFFER lcn{};
        ASSERT_TRUE(api.DeviceIoControl(device, FSCTL_GET_VOLUME_BITMAP, &lcn, sizeof lcn,
                                        bitmap.data(), static_cast<DWORD>(bitmap.size()),
                                        &returned));
    }
    mover.join();
    EXPECT_TRUE(api.CloseHandle(item));
    EXPECT_TRUE(api.CloseHandle(device));
    EXPECT_EQ(std::vector<std::wstring>{}, CheckSimVolume(*volume, &digests));
}

TEST(SimVolumeChecker, FindsEveryKindOfDamage) {
    std::unique_ptr<CSimVolume> volume = FixtureVolume();
    const SimDigests digests = DigestSimVolume(*volume);
    EXPECT_EQ(std::vector<std::wstring>{}, CheckSimVolume(*volume, &digests));

    volume->MarkClusters(3000, 2, true);
    EXPECT_TRUE(Mentions(CheckSimVolume(*volume), L"2 clusters used that nothing owns"));
    volume->MarkClusters(3000, 2, false);

    volume->MarkClusters(101, 1, false);
    EXPECT_TRUE(Mentions(CheckSimVolume(*volume), L"1 owned clusters free, from LCN 101"));
    volume->MarkClusters(101, 1, true);

    ASSERT_EQ(ERROR_SUCCESS, volume->ReplaceExtents(L"\\dir\\b.bin", L"", {{0, 98, 5}}));
    const std::vector<std::wstring> problems = CheckSimVolume(*volume);
    EXPECT_TRUE(Mentions(problems, L"cluster 100 is owned by"));
    ASSERT_EQ(ERROR_SUCCESS, volume->ReplaceExtents(L"\\dir\\b.bin", L"", {{0, 500, 5}}));

    ASSERT_EQ(ERROR_SUCCESS, volume->ReplaceExtents(L"\\a.bin", L"", {{0, 100, 4}, {6, 300, 3}}));
    EXPECT_TRUE(Mentions(CheckSimVolume(*volume), L"\\a.bin: extents leave a gap"));
    ASSERT_EQ(ERROR_SUCCESS,
              volume->ReplaceExtents(L"\\a.bin", L"", {{0, 100, 4}, {4, 200, 2}, {6, 300, 3}}));
    EXPECT_EQ(std::vector<std::wstring>{}, CheckSimVolume(*volume, &digests));

    ASSERT_EQ(ERROR_SUCCESS, volume->WriteClusters(501, std::vector<uint8_t>(4096, 0x5A)));
    EXPECT_EQ(std::vector<std::wstring>{L"\\dir\\b.bin: data changed"},
              CheckSimVolume(*volume, &digests));
}

TEST(SimVolumeBuilder, SameSeedSameVolume) {
    SimBuildSpec spec;
    spec.seed = 99;
    spec.geometry.totalClusters = 50000;
    spec.fileCount = 300;
    spec.directoryCount = 20;
    spec.maxDepth = 12;
    spec.bootFileCount = 6;
    spec.immovableCount = 3;
    spec.lockedCount = 2;
    spec.streamCount = 8;
    spec.sparseCount = 4;
    spec.residentCount = 5;
    spec.hardLinkCount = 3;
    spec.reparseCount = 2;
    DWORD error = 0;
    std::unique_ptr<CSimVolume> first = BuildSimVolume(L"", spec, &error);
    std::unique_ptr<CSimVolume> second = BuildSimVolume(L"", spec, &error);
    ASSERT_TRUE(first && second) << error;
    EXPECT_EQ(DigestSimVolume(*first), DigestSimVolume(*second));
    EXPECT_TRUE(first->CopyContent().used == second->CopyContent().used);
    EXPECT_EQ(std::vector<std::wstring>{}, CheckSimVolume(*first));

    const SimVolumeContent content = first->CopyContent();
    int fragmented = 0, locked = 0, immovable = 0, linked = 0, deepest = 0;
    for (const auto& [id, record] : content.records) {
        const SimStream& stream = record.streams.front();
        for (size_t i = 1; i < stream.extents.size(); ++i) {
            fragmented += stream.extents[i].lcn != kSimSparseLcn &&
                          stream.extents[i - 1].lcn != kSimSparseLcn;
        }
        locked += (record.flags & kSimLocked) != 0;
        immovable += (record.flags & kSimImmovable) != 0;
        linked += record.linkCount > 1;
        const std::wstring path = first->PathOf(id);
        deepest =
            std::max<int>(deepest, static_cast<int>(std::count(path.begin(), path.end(), L'\\')));
        // Nothing is placed in the MFT zone.
        for (const SimExtent& extent : stream.extents) {
            if (extent.lcn != kSimSparseLcn) {
                EXPECT_TRUE(static_cast<uint64_t>(extent.lcn) + extent.count <=
                                content.geometry.mftZoneStart ||
                            static_cast<uint64_t>(extent.lcn) >= content.geometry.mftZoneEnd);
            }
        }
    }
    EXPECT_GT(fragmented, 50);
    EXPECT_EQ(2, locked);
    EXPECT_EQ(3 + 3, immovable); // and $Boot, $MFT, $MFTMirr
    EXPECT_EQ(3, linked);
    EXPECT_GE(deepest, 13); // twelve chained directories and a file
    EXPECT_GT(content.geometry.mftZoneEnd, content.geometry.mftZoneStart);

    spec.seed = 100;
    std::unique_ptr<CSimVolume> other = BuildSimVolume(L"", spec, &error);
    EXPECT_FALSE(other->CopyContent().used == content.used);
}

TEST(SimVolumeBuilder, ReportsAVolumeTooSmall) {
    SimBuildSpec spec;
    spec.geometry.totalClusters = 100;
    spec.fileCount = 50;
    spec.minFileBytes = 64 * 1024;
    DWORD error = 0;
    EXPECT_FALSE(BuildSimVolume(L"", spec, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_DISK_FULL), error);
}

// 2^28 clusters (a terabyte at 4 KiB): only used runs are stored, so building the volume and
// reading its whole bitmap costs what the 32 MiB answer costs.
TEST(SimVolumeLarge, ABitmapOfTwoToTheTwentyEightClusters) {
    CTempImage image;
    SimBuildSpec spec;
    spec.geometry.totalClusters = 1ull << 28;
    spec.fileCount = 2000;
    spec.maxFileBytes = 1 << 20;
    spec.gapShare = 1.0;
    spec.maxGapClusters = 1000;
    spec.writeData = false;
    DWORD error = 0;
    std::shared_ptr<CSimVolume> volume = BuildSimVolume(image.Path(), spec, &error);
    ASSERT_TRUE(volume) << error;
    CSimVolumeApi api;
    api.Mount(L'T', volume);
    HANDLE device = api.CreateFileW(L"\\\\.\\T:", GENERIC_READ, 0, 0);
    std::vector<uint8_t> bitmap((1u << 28) / 8 + 24);
    STARTING_LCN_INPUT_BUFFER start{};
    DWORD returned = 0;
    ASSERT_TRUE(api.DeviceIoControl(device, FSCTL_GET_VOLUME_BITMAP, &start, sizeof start,
                                    bitmap.data(), static_cast<DWORD>(bitmap.size()), &returned));
    EXPECT_EQ((1u << 28) / 8 + 16, returned);
    uint64_t used = 0;
    for (size_t i = 16; i < returned; ++i) {
        used += static_cast<uint64_t>(__builtin_popcount(bitmap[i]));
    }
    EXPECT_EQ(volume->UsedClusters(), used);
    EXPECT_TRUE(api.CloseHandle(device));
    volume.reset();
    api.Mount(L'T', nullptr);
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), api.MountImage(L'T', image.Path()));
    EXPECT_EQ(std::vector<std::wstring>{}, CheckSimVolume(*api.VolumeAt(L'T')));
}

} // namespace
