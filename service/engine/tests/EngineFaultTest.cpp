// Runs whose volume calls fail or answer oddly: device controls that fail, a bitmap that changes
// under the run, a re-read of an item that fails, and MFT zones out of shape.
#include "EngineTestVolume.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

// Forwards every call to the simulated volume, failing chosen device controls.
class CFaultingVolumeApi final : public CVolumeApi {
public:
    explicit CFaultingVolumeApi(CVolumeApi& inner) : inner_(inner) {}

    // Calls with controlCode fail with error once skip matching calls have passed.
    void FailControl(DWORD controlCode, int skip, DWORD error = ERROR_INVALID_FUNCTION) {
        failCode_ = controlCode;
        failSkip_ = skip;
        failError_ = error;
    }
    // As FailControl, but the call answers success without reaching the volume, as a device
    // that drops a request would.
    void DropControl(DWORD controlCode, int skip) {
        FailControl(controlCode, skip);
        dropInsteadOfFail_ = true;
    }
    // Edits the NTFS volume data the volume answers.
    std::function<void(NTFS_VOLUME_DATA_BUFFER&)> editNtfsData;
    // Edits the volume bitmap reply: its buffer, the buffer's size and the bytes returned.
    std::function<void(uint8_t*, DWORD, DWORD&)> editBitmap;

    HANDLE CreateFileW(const wchar_t* path, DWORD access, DWORD share, DWORD flags) override {
        return inner_.CreateFileW(path, access, share, flags);
    }
    BOOL CloseHandle(HANDLE handle) override { return inner_.CloseHandle(handle); }
    BOOL DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out,
                         DWORD outSize, DWORD* returned) override {
        if (code == failCode_ && failSkip_-- <= 0) {
            if (dropInsteadOfFail_) {
                dropInsteadOfFail_ = false;
                failCode_ = 0;
                if (returned != nullptr)
                    *returned = 0;
                return TRUE;
            }
            ::SetLastError(failError_);
            return FALSE;
        }
        const BOOL done = inner_.DeviceIoControl(device, code, in, inSize, out, outSize, returned);
        if (done && code == FSCTL_GET_NTFS_VOLUME_DATA && editNtfsData) {
            editNtfsData(*static_cast<NTFS_VOLUME_DATA_BUFFER*>(out));
        }
        if (done && code == FSCTL_GET_VOLUME_BITMAP && editBitmap) {
            editBitmap(static_cast<uint8_t*>(out), outSize, *returned);
        }
        return done;
    }
    BOOL GetFileSizeEx(HANDLE item, LARGE_INTEGER* size) override {
        return inner_.GetFileSizeEx(item, size);
    }
    BOOL GetFileInformationByHandle(HANDLE item, BY_HANDLE_FILE_INFORMATION* info) override {
        return inner_.GetFileInformationByHandle(item, info);
    }
    HANDLE FindFirstFileW(const wchar_t* pattern, WIN32_FIND_DATAW* data) override {
        return inner_.FindFirstFileW(pattern, data);
    }
    BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data) override {
        return inner_.FindNextFileW(find, data);
    }
    BOOL FindClose(HANDLE find) override { return inner_.FindClose(find); }
    BOOL GetVolumeInformationW(const wchar_t* root, wchar_t* name, DWORD nameSize, DWORD* serial,
                               DWORD* maxComponent, DWORD* flags, wchar_t* fileSystem,
                               DWORD fileSystemSize) override {
        return inner_.GetVolumeInformationW(root, name, nameSize, serial, maxComponent, flags,
                                            fileSystem, fileSystemSize);
    }
    BOOL GetDiskFreeSpaceW(const wchar_t* root, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                           DWORD* freeClusters, DWORD* totalClusters) override {
        return inner_.GetDiskFreeSpaceW(root, sectorsPerCluster, bytesPerSector, freeClusters,
                                        totalClusters);
    }

private:
    CVolumeApi& inner_;
    DWORD failCode_ = 0;
    int failSkip_ = 0;
    DWORD failError_ = ERROR_SUCCESS;
    bool dropInsteadOfFail_ = false;
};

void AddTwoFragmentedFiles(EngineTestVolume& t) {
    t.AddFile(L"\\a.bin", {{1000, 5}, {2000, 5}, {3000, 5}});
    t.AddFile(L"\\b.bin", {{1500, 8}, {1200, 8}});
}

TEST(EngineFaults, AFailedNtfsVolumeQueryEndsTheRunWithTotalClustersZero) {
    EngineTestVolume t(4096, L"NTFS", 10, 200);
    AddTwoFragmentedFiles(t);
    CFaultingVolumeApi api(t.Api());
    api.FailControl(FSCTL_GET_NTFS_VOLUME_DATA, 0);
    EXPECT_EQ(0, t.RunThrough(api, 0, true));
    EXPECT_EQ(0u, t.Statistics().totalClusters);
    EXPECT_EQ(0u, t.Statistics().files);
    EXPECT_EQ(0, t.TotalMoves());
    EXPECT_EQ(0u, t.Api().OpenHandleCount());
}

TEST(EngineFaults, WithoutACellArrayTheRunEndsAtOnce) {
    EngineTestVolume t(4096, L"NTFS", 10, 200);
    AddTwoFragmentedFiles(t);
    EXPECT_EQ(0, RunDefrag(t.State(), t.Api(), 0, EngineTestVolume::kDrive, true));
    EXPECT_EQ(0, t.TotalMoves());
    EXPECT_EQ(0u, t.Statistics().files);
    EXPECT_EQ(0u, t.Statistics().totalClusters);
    EXPECT_EQ(0u, t.Api().OpenHandleCount());
}

TEST(EngineFaults, AFailedBitmapReadMovesNothingButTheAnalysisRuns) {
    EngineTestVolume t(4096, L"NTFS", 10, 200);
    AddTwoFragmentedFiles(t);
    CFaultingVolumeApi api(t.Api());
    api.FailControl(FSCTL_GET_VOLUME_BITMAP, 0);
    EXPECT_EQ(1, t.RunThrough(api, 0, true));
    EXPECT_EQ(0, t.TotalMoves());
    EXPECT_EQ(2u, t.Statistics().fragmentedFiles);
    EXPECT_EQ(0u, t.Statistics().largestFreeRun);
    EXPECT_EQ(2u, t.Statistics().itemsNotDefragmented);
    EXPECT_EQ(0u, t.Api().OpenHandleCount());
}

TEST(EngineFaults, AFailedReReadAfterTheMovesReportsStatus2AndLeavesTheCountersAlone) {
    EngineTestVolume t(4096, L"NTFS", 10, 200);
    t.AddFile(L"\\a.bin", {{1000, 5}, {2000, 5}, {3000, 5}});
    CFaultingVolumeApi api(t.Api());
    // The first read maps the item; the second, after the moves, fails.
    api.FailControl(FSCTL_GET_RETRIEVAL_POINTERS, 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(1, t.RunThrough(api, 0, true));
    const std::optional<FileReport> a = t.ReportFor(L"T:\\a.bin");
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(static_cast<uint32_t>(kReportMoveFailed), a->status);
    EXPECT_EQ(3u, a->fragmentsAfter);
    EXPECT_EQ(0u, t.Statistics().filesMadeContiguous);
    EXPECT_EQ(3u, t.Statistics().fragmentsRemaining);
    t.ExpectSound();
}

// A 40-cluster item moves below itself in three calls (16, 16, 8 clusters).
void AddItemToConsolidate(EngineTestVolume& t) {
    t.Occupy({{0, 10}});
    t.AddFile(L"\\c.bin", {{500, 40}});
}

TEST(EngineFaults, AConsolidationLeftFragmentedByAFailedMoveCountsTheItemOnce) {
    EngineTestVolume t(1000);
    AddItemToConsolidate(t);
    CFaultingVolumeApi api(t.Api());
    api.FailControl(FSCTL_MOVE_FILE, 1);
    EXPECT_EQ(1, t.RunThrough(api, 1, true));
    EXPECT_EQ((Layout{{10, 16}, {516, 24}}), t.LayoutOf(L"\\c.bin"));
    const std::optional<FileReport> c = t.ReportFor(L"T:\\c.bin");
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(static_cast<uint32_t>(kReportMoveFailed), c->status);
    EXPECT_EQ(2u, c->fragmentsAfter);
    EXPECT_EQ(1u, t.Statistics().itemsNotDefragmented);
    EXPECT_EQ(2u, t.Statistics().fragmentsRemaining);
    t.ExpectSound();
}

TEST(EngineFaults, AConsolidationThatLeavesTheItemFragmentedReportsItStillFragmented) {
    EngineTestVolume t(1000);
    AddItemToConsolidate(t);
    CFaultingVolumeApi api(t.Api());
    api.DropControl(FSCTL_MOVE_FILE, 1); // the second call answers success and moves nothing
    EXPECT_EQ(1, t.RunThrough(api, 1, true));
    EXPECT_EQ((Layout{{10, 16}, {516, 16}, {42, 8}}), t.LayoutOf(L"\\c.bin"));
    const std::optional<FileReport> c = t.ReportFor(L"T:\\c.bin");
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(static_cast<uint32_t>(kReportFragmented), c->status);
    EXPECT_EQ(3u, c->fragmentsAfter);
    EXPECT_EQ(1u, t.Statistics().itemsNotDefragmented);
    // The run took the dropped call for a move: the map may differ from the bitmap, the data not.
    t.ExpectSound(false);
}

TEST(EngineFaults, ClustersTakenAfterTheBitmapReadFailTheMoveWhichRetriesElsewhere) {
    EngineTestVolume t(4096, L"NTFS", 10, 200);
    AddTwoFragmentedFiles(t);
    bool taken = false;
    t.Volume().SetAfterBitmapReadHook([&] {
        if (!taken) {
            taken = true;
            t.Volume().MarkClusters(200, 100, true); // another program allocates there
        }
    });
    EXPECT_EQ(1, t.Run(0, true));
    EXPECT_EQ(1u, t.LayoutOf(L"\\a.bin").size());
    EXPECT_EQ(1u, t.LayoutOf(L"\\b.bin").size());
    EXPECT_EQ(300, t.LayoutOf(L"\\a.bin")[0].lcn);
    EXPECT_EQ(static_cast<uint32_t>(kReportContiguous), t.ReportFor(L"T:\\a.bin")->status);
    t.Volume().MarkClusters(200, 100, false); // give the checker a bitmap it can explain
    t.ExpectSound();
}

// The reply covers the first 1,024 clusters while its bitmap size claims the whole volume: only
// the returned bytes are read, the rest counts as used, and nothing is placed there.
TEST(EngineFaults, ABitmapReplyShorterThanItsSizeIsReadOnlyAsFarAsItWasReturned) {
    EngineTestVolume t(4096, L"NTFS", 10, 200);
    AddTwoFragmentedFiles(t);
    CFaultingVolumeApi api(t.Api());
    static constexpr DWORD kShortReply = offsetof(VOLUME_BITMAP_BUFFER, Buffer) + 1024 / 8;
    api.editBitmap = [](uint8_t* out, DWORD outSize, DWORD& returned) {
        ASSERT_GT(outSize, kShortReply);
        std::memset(out + kShortReply, 0, outSize - kShortReply); // reads as all free
        returned = kShortReply;
    };
    EXPECT_EQ(1, t.RunThrough(api, 0, true));
    EXPECT_EQ((std::vector<LayoutRun>{{200, 15}}), t.LayoutOf(L"\\a.bin"));
    EXPECT_EQ((std::vector<LayoutRun>{{215, 16}}), t.LayoutOf(L"\\b.bin"));
    EXPECT_GE(t.Statistics().usedClusters, 4096u - 1024u);
    // Free as the run sees it: [0, 10) and [231, 1024), a.bin's old place included.
    EXPECT_EQ(1024u - 231u, t.Statistics().largestFreeRun);
    t.ExpectSound(false); // the cells count the unread clusters as used
}

TEST(EngineFaults, MftZonesOutOfShapeAreClampedOrIgnored) {
    {
        EngineTestVolume t(4096, L"NTFS", 10, 200);
        AddTwoFragmentedFiles(t);
        CFaultingVolumeApi api(t.Api());
        api.editNtfsData = [](NTFS_VOLUME_DATA_BUFFER& data) {
            data.MftZoneStart.QuadPart = 4000;
            data.MftZoneEnd.QuadPart = 9000; // past the volume's end
        };
        EXPECT_EQ(1, t.RunThrough(api, 0, true));
        EXPECT_EQ(96u, t.CellTotal(&ClusterMapBlock::mftZoneClusters));
        t.ExpectSound();
    }
    {
        EngineTestVolume t(4096, L"NTFS", 10, 200);
        AddTwoFragmentedFiles(t);
        CFaultingVolumeApi api(t.Api());
        api.editNtfsData = [](NTFS_VOLUME_DATA_BUFFER& data) {
            data.MftZoneStart.QuadPart = 300;
            data.MftZoneEnd.QuadPart = 100; // ends before it starts
        };
        EXPECT_EQ(1, t.RunThrough(api, 0, true));
        EXPECT_EQ(0u, t.CellTotal(&ClusterMapBlock::mftZoneClusters));
        EXPECT_EQ(0, t.LayoutOf(L"\\a.bin")[0].lcn); // nothing reserved: first fit from 0
        t.ExpectSound();
    }
}

} // namespace
