// The simulated volume seen through the volume calls, as the engine sees it.
#include "SimTestSupport.h"
#include "SimVolumeApi.h"
#include "SimVolumeChecker.h"

#include <vector>

namespace {

constexpr DWORD kAllSharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class SimVolumeApiTest : public ::testing::Test {
protected:
    void SetUp() override {
        DWORD error = 0;
        volume_ = CSimVolume::Create(image_.Path(), SmallGeometry(), &error);
        ASSERT_TRUE(volume_) << error;
        AddFixtureItems(*volume_);
        api_.Mount(L'T', volume_);
        device_ =
            api_.CreateFileW(L"\\\\.\\T:", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0);
        ASSERT_NE(INVALID_HANDLE_VALUE, device_);
    }
    void TearDown() override {
        EXPECT_TRUE(api_.CloseHandle(device_));
        EXPECT_EQ(0u, api_.OpenHandleCount());
    }

    HANDLE OpenItem(const wchar_t* path, DWORD flags = FILE_FLAG_NO_BUFFERING) {
        return api_.CreateFileW(path, FILE_READ_ATTRIBUTES, kAllSharing, flags);
    }

    // Calls the retrieval-pointers control; returns its last error (ERROR_SUCCESS on success).
    DWORD Pointers(HANDLE item, LONGLONG vcn, std::vector<uint8_t>& out) {
        STARTING_VCN_INPUT_BUFFER in{};
        in.StartingVcn.QuadPart = vcn;
        DWORD returned = 0;
        const BOOL ok = api_.DeviceIoControl(item, FSCTL_GET_RETRIEVAL_POINTERS, &in, sizeof in,
                                             out.data(), static_cast<DWORD>(out.size()), &returned);
        return ok ? ERROR_SUCCESS : GetLastError();
    }

    DWORD Move(HANDLE item, LONGLONG vcn, LONGLONG lcn, DWORD count) {
        MOVE_FILE_DATA move{};
        move.FileHandle = item;
        move.StartingVcn.QuadPart = vcn;
        move.StartingLcn.QuadPart = lcn;
        move.ClusterCount = count;
        DWORD returned = 0;
        return api_.DeviceIoControl(device_, FSCTL_MOVE_FILE, &move, sizeof move, nullptr, 0,
                                    &returned)
                   ? ERROR_SUCCESS
                   : GetLastError();
    }

    std::vector<SimExtent> Layout(const wchar_t* path) {
        const SimVolumeContent content = volume_->CopyContent();
        uint64_t id = 0;
        for (const auto& [recordId, record] : content.records) {
            if (volume_->PathOf(recordId) == path) {
                id = recordId;
            }
        }
        return content.records.at(id).streams.front().extents;
    }

    CTempImage image_;
    std::shared_ptr<CSimVolume> volume_;
    CSimVolumeApi api_;
    HANDLE device_ = INVALID_HANDLE_VALUE;
};

TEST_F(SimVolumeApiTest, AnswersTheVolumeQueries) {
    wchar_t fileSystem[128];
    DWORD serial = 0;
    ASSERT_TRUE(api_.GetVolumeInformationW(L"T:\\", nullptr, 0, &serial, nullptr, nullptr,
                                           fileSystem, 128));
    EXPECT_STREQ(L"NTFS", fileSystem);
    EXPECT_FALSE(
        api_.GetVolumeInformationW(L"T:\\", nullptr, 0, nullptr, nullptr, nullptr, fileSystem, 4));
    EXPECT_EQ(static_cast<DWORD>(ERROR_BAD_LENGTH), GetLastError());
    EXPECT_FALSE(api_.GetVolumeInformationW(L"Q:\\", nullptr, 0, nullptr, nullptr, nullptr,
                                            fileSystem, 128));

    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    ASSERT_TRUE(api_.GetDiskFreeSpaceW(L"T:\\", &sectorsPerCluster, &bytesPerSector, &freeClusters,
                                       &totalClusters));
    EXPECT_EQ(8u, sectorsPerCluster);
    EXPECT_EQ(512u, bytesPerSector);
    EXPECT_EQ(4096u, totalClusters);
    const DWORD used = 4 + 2 + 3 + 2 + 5 + 1 + 2 + 2;
    EXPECT_EQ(4096u - used, freeClusters);

    NTFS_VOLUME_DATA_BUFFER data{};
    DWORD returned = 0;
    ASSERT_TRUE(api_.DeviceIoControl(device_, FSCTL_GET_NTFS_VOLUME_DATA, nullptr, 0, &data,
                                     sizeof data, &returned));
    EXPECT_EQ(96u, returned);
    EXPECT_EQ(4096, data.TotalClusters.QuadPart);
    EXPECT_EQ(4096 - static_cast<LONGLONG>(used), data.FreeClusters.QuadPart);
    EXPECT_EQ(4096u, data.BytesPerCluster);
    EXPECT_EQ(512u, data.BytesPerSector);
    EXPECT_EQ(20, data.MftZoneStart.QuadPart);
    EXPECT_EQ(40, data.MftZoneEnd.QuadPart);
    EXPECT_FALSE(api_.DeviceIoControl(device_, FSCTL_GET_NTFS_VOLUME_DATA, nullptr, 0, &data, 95,
                                      &returned));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
}

TEST_F(SimVolumeApiTest, BitmapPagesFromARoundedStartingLcn) {
    std::vector<uint8_t> whole(24 + 4096 / 8);
    STARTING_LCN_INPUT_BUFFER in{};
    DWORD returned = 0;
    ASSERT_TRUE(api_.DeviceIoControl(device_, FSCTL_GET_VOLUME_BITMAP, &in, sizeof in, whole.data(),
                                     static_cast<DWORD>(whole.size()), &returned));
    EXPECT_EQ(16u + 512u, returned);
    const auto* bitmap = reinterpret_cast<const VOLUME_BITMAP_BUFFER*>(whole.data());
    EXPECT_EQ(4096, bitmap->BitmapSize.QuadPart);
    EXPECT_EQ(0x0F, bitmap->Buffer[100 / 8] >> 4); // clusters 100..103 used, 96..99 free
    EXPECT_EQ(0x00, bitmap->Buffer[24 / 8]);       // the MFT zone is free in the bitmap

    // A start of 205 reads from 200; a 24-byte buffer holds 8 bitmap bytes, 20 bytes none.
    in.StartingLcn.QuadPart = 205;
    std::vector<uint8_t> small(20);
    EXPECT_FALSE(api_.DeviceIoControl(device_, FSCTL_GET_VOLUME_BITMAP, &in, sizeof in,
                                      small.data(), static_cast<DWORD>(small.size()), &returned));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    small.resize(24);
    EXPECT_FALSE(api_.DeviceIoControl(device_, FSCTL_GET_VOLUME_BITMAP, &in, sizeof in,
                                      small.data(), static_cast<DWORD>(small.size()), &returned));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MORE_DATA), GetLastError());
    EXPECT_EQ(24u, returned);
    bitmap = reinterpret_cast<const VOLUME_BITMAP_BUFFER*>(small.data());
    EXPECT_EQ(200, bitmap->StartingLcn.QuadPart);
    EXPECT_EQ(4096 - 200, bitmap->BitmapSize.QuadPart);
    EXPECT_EQ(0x03, bitmap->Buffer[0]); // 200, 201
    for (int i = 1; i < 8; ++i) {
        EXPECT_EQ(0, bitmap->Buffer[i]);
    }

    in.StartingLcn.QuadPart = 4096;
    EXPECT_FALSE(api_.DeviceIoControl(device_, FSCTL_GET_VOLUME_BITMAP, &in, sizeof in,
                                      whole.data(), static_cast<DWORD>(whole.size()), &returned));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST_F(SimVolumeApiTest, RetrievalPointersPageWithMoreData) {
    HANDLE item = OpenItem(L"T:\\a.bin");
    ASSERT_NE(INVALID_HANDLE_VALUE, item);
    // Room for one extent per call: the caller continues from the last NextVcn.
    std::vector<uint8_t> out(32);
    std::vector<std::pair<LONGLONG, LONGLONG>> seen;
    LONGLONG vcn = 0;
    DWORD result = ERROR_MORE_DATA;
    while (result == ERROR_MORE_DATA) {
        result = Pointers(item, vcn, out);
        ASSERT_TRUE(result == ERROR_SUCCESS || result == ERROR_MORE_DATA) << result;
        const auto* buffer = reinterpret_cast<const RETRIEVAL_POINTERS_BUFFER*>(out.data());
        ASSERT_EQ(1u, buffer->ExtentCount);
        EXPECT_EQ(vcn, buffer->StartingVcn.QuadPart);
        seen.emplace_back(buffer->Extents[0].NextVcn.QuadPart, buffer->Extents[0].Lcn.QuadPart);
        vcn = buffer->Extents[0].NextVcn.QuadPart;
    }
    EXPECT_EQ((std::vector<std::pair<LONGLONG, LONGLONG>>{{4, 100}, {6, 200}, {9, 300}}), seen);
    EXPECT_EQ(static_cast<DWORD>(ERROR_HANDLE_EOF), Pointers(item, 9, out));

    // A start inside an extent answers from that extent's first VCN.
    out.resize(16 + 16 * 8);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), Pointers(item, 5, out));
    const auto* buffer = reinterpret_cast<const RETRIEVAL_POINTERS_BUFFER*>(out.data());
    EXPECT_EQ(4, buffer->StartingVcn.QuadPart);
    EXPECT_EQ(2u, buffer->ExtentCount);

    std::vector<uint8_t> tooSmall(31);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), Pointers(item, 0, tooSmall));
    EXPECT_TRUE(api_.CloseHandle(item));
}

TEST_F(SimVolumeApiTest, SparseRunsResidentAndEmptyStreams) {
    std::vector<uint8_t> out(16396);
    HANDLE sparse = OpenItem(L"T:\\sparse.bin");
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), Pointers(sparse, 0, out));
    const auto* buffer = reinterpret_cast<const RETRIEVAL_POINTERS_BUFFER*>(out.data());
    ASSERT_EQ(3u, buffer->ExtentCount);
    EXPECT_EQ(-1, buffer->Extents[1].Lcn.QuadPart);
    EXPECT_EQ(5, buffer->Extents[1].NextVcn.QuadPart);
    EXPECT_TRUE(api_.CloseHandle(sparse));

    for (const wchar_t* path : {L"T:\\tiny.txt", L"T:\\empty.txt"}) {
        HANDLE item = OpenItem(path);
        ASSERT_NE(INVALID_HANDLE_VALUE, item);
        EXPECT_EQ(static_cast<DWORD>(ERROR_HANDLE_EOF), Pointers(item, 0, out)) << path;
        LARGE_INTEGER size{};
        EXPECT_TRUE(api_.GetFileSizeEx(item, &size));
        EXPECT_EQ(path[3] == L't' ? 50 : 0, size.QuadPart);
        EXPECT_TRUE(api_.CloseHandle(item));
    }
}

TEST_F(SimVolumeApiTest, MoveCopiesRemapsAndFrees) {
    const SimDigests before = DigestSimVolume(*volume_);
    HANDLE item = OpenItem(L"T:\\a.bin");
    // The engine's way: 16-cluster chunks at most, here 9 clusters in chunks of 4, 4, 1.
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), Move(item, 0, 1000, 4));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), Move(item, 4, 1004, 4));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), Move(item, 8, 1008, 1));
    EXPECT_EQ((std::vector<SimExtent>{{0, 1000, 9}}), Layout(L"\\a.bin"));
    const SimVolumeContent content = volume_->CopyContent();
    EXPECT_TRUE(content.used.IsFree(100, 4) && content.used.IsFree(200, 2) &&
                content.used.IsFree(300, 3));
    EXPECT_FALSE(content.used.IsFree(1000, 1) || content.used.IsFree(1008, 1));
    EXPECT_TRUE(CheckSimVolume(*volume_, &before).empty());

    // The handle given as the device works too, as NTFS allows.
    MOVE_FILE_DATA move{item, {}, {}, 9};
    move.StartingLcn.QuadPart = 2000;
    DWORD returned = 0;
    EXPECT_TRUE(
        api_.DeviceIoControl(item, FSCTL_MOVE_FILE, &move, sizeof move, nullptr, 0, &returned));
    EXPECT_EQ((std::vector<SimExtent>{{0, 2000, 9}}), Layout(L"\\a.bin"));
    EXPECT_TRUE(api_.CloseHandle(item));
}

TEST_F(SimVolumeApiTest, MoveRefusesUsedTargetsAndBadRanges) {
    const SimVolumeContent before = volume_->CopyContent();
    HANDLE item = OpenItem(L"T:\\a.bin");
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), Move(item, 0, 498, 4)); // 500 is used
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), Move(item, 0, 102, 4)); // onto itself
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), Move(item, 0, 4094, 4));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), Move(item, 0, -1, 4));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), Move(item, 7, 1000, 3));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), Move(item, 9, 1000, 1));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), Move(item, 0, 1000, 0));
    HANDLE tiny = OpenItem(L"T:\\tiny.txt");
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), Move(tiny, 0, 1000, 1));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE),
              Move(reinterpret_cast<HANDLE>(0x1234), 0, 1000, 1));
    const SimVolumeContent after = volume_->CopyContent();
    EXPECT_TRUE(before.used == after.used);
    EXPECT_EQ(before.records.at(64).streams.front().extents,
              after.records.at(64).streams.front().extents);
    EXPECT_TRUE(api_.CloseHandle(tiny));
    EXPECT_TRUE(api_.CloseHandle(item));
}

TEST_F(SimVolumeApiTest, SparseRangesStaySparseWhenMoved) {
    const SimDigests before = DigestSimVolume(*volume_);
    HANDLE item = OpenItem(L"T:\\sparse.bin");
    // Target clusters under the sparse run need not be free: 1002..1004 are never written.
    volume_->MarkClusters(1003, 1, true);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), Move(item, 0, 1000, 7));
    volume_->MarkClusters(1003, 1, false);
    EXPECT_EQ((std::vector<SimExtent>{{0, 1000, 2}, {2, kSimSparseLcn, 3}, {5, 1005, 2}}),
              Layout(L"\\sparse.bin"));
    EXPECT_TRUE(CheckSimVolume(*volume_, &before).empty());
    EXPECT_TRUE(api_.CloseHandle(item));
}

TEST_F(SimVolumeApiTest, OpensItemsAndStreamsAsTheSystemDoes) {
    EXPECT_EQ(INVALID_HANDLE_VALUE, OpenItem(L"T:\\dir"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    HANDLE dir = OpenItem(L"T:\\dir", FILE_FLAG_BACKUP_SEMANTICS);
    ASSERT_NE(INVALID_HANDLE_VALUE, dir);
    LARGE_INTEGER size{};
    EXPECT_TRUE(api_.GetFileSizeEx(dir, &size));
    EXPECT_EQ(0, size.QuadPart);
    EXPECT_TRUE(api_.CloseHandle(dir));

    EXPECT_EQ(INVALID_HANDLE_VALUE, OpenItem(L"T:\\nothing.bin"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE, OpenItem(L"T:\\nowhere\\x.bin"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE, OpenItem(L"T:\\dir\\b.bin::$BITMAP"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE, api_.CreateFileW(L"\\\\.\\Q:", GENERIC_READ, 0, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());

    HANDLE stream = OpenItem(L"T:\\DIR\\B.BIN::$attribute_list");
    ASSERT_NE(INVALID_HANDLE_VALUE, stream);
    EXPECT_TRUE(api_.GetFileSizeEx(stream, &size));
    EXPECT_EQ(300, size.QuadPart);
    std::vector<uint8_t> out(64);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), Pointers(stream, 0, out));
    EXPECT_EQ(700,
              reinterpret_cast<RETRIEVAL_POINTERS_BUFFER*>(out.data())->Extents[0].Lcn.QuadPart);
    EXPECT_TRUE(api_.CloseHandle(stream));

    ASSERT_EQ(ERROR_SUCCESS, volume_->SetRecordFlags(L"\\dir\\b.bin", kSimLocked));
    EXPECT_EQ(INVALID_HANDLE_VALUE, OpenItem(L"T:\\dir\\b.bin"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());

    volume_->FailOpens(L"\\a.bin", 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(INVALID_HANDLE_VALUE, OpenItem(L"T:\\a.bin"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    HANDLE again = OpenItem(L"T:\\a.bin");
    EXPECT_NE(INVALID_HANDLE_VALUE, again); // the fault was used up
    EXPECT_TRUE(api_.CloseHandle(again));
}

TEST_F(SimVolumeApiTest, IdentifiesEveryNameAndStreamOfAFileAsOneItem) {
    ASSERT_EQ(ERROR_SUCCESS, volume_->AddHardLink(L"\\dir\\b.bin", L"\\b-link.bin"));
    const auto info = [this](const wchar_t* path, DWORD flags = FILE_FLAG_NO_BUFFERING) {
        BY_HANDLE_FILE_INFORMATION answer{};
        HANDLE item = OpenItem(path, flags);
        EXPECT_NE(INVALID_HANDLE_VALUE, item) << path;
        EXPECT_TRUE(api_.GetFileInformationByHandle(item, &answer)) << path;
        EXPECT_TRUE(api_.CloseHandle(item));
        return answer;
    };
    const BY_HANDLE_FILE_INFORMATION b = info(L"T:\\dir\\b.bin");
    const BY_HANDLE_FILE_INFORMATION link = info(L"T:\\B-LINK.BIN");
    const BY_HANDLE_FILE_INFORMATION list = info(L"T:\\b-link.bin::$ATTRIBUTE_LIST");
    const BY_HANDLE_FILE_INFORMATION a = info(L"T:\\a.bin");
    const BY_HANDLE_FILE_INFORMATION dir = info(L"T:\\dir", FILE_FLAG_BACKUP_SEMANTICS);
    for (const BY_HANDLE_FILE_INFORMATION* one : {&b, &link, &list, &a, &dir}) {
        EXPECT_EQ(SmallGeometry().serialNumber, one->dwVolumeSerialNumber);
    }
    for (const BY_HANDLE_FILE_INFORMATION* name : {&link, &list}) {
        EXPECT_EQ(b.nFileIndexLow, name->nFileIndexLow);
        EXPECT_EQ(b.nFileIndexHigh, name->nFileIndexHigh);
        EXPECT_EQ(2u, name->nNumberOfLinks);
    }
    EXPECT_EQ(2u, b.nNumberOfLinks);
    EXPECT_EQ(5u * 4096u, b.nFileSizeLow);
    EXPECT_EQ(300u, list.nFileSizeLow); // the opened stream's size, not the file's
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL), b.dwFileAttributes);

    EXPECT_NE(b.nFileIndexLow, a.nFileIndexLow);
    EXPECT_EQ(1u, a.nNumberOfLinks);
    EXPECT_EQ(9u * 4096u - 100u, a.nFileSizeLow);
    EXPECT_EQ(0u, a.nFileSizeHigh);
    EXPECT_NE(0u, dir.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(0u, dir.nFileSizeLow);
    EXPECT_EQ(1u, dir.nNumberOfLinks);
    EXPECT_NE(dir.nFileIndexLow, b.nFileIndexLow);

    BY_HANDLE_FILE_INFORMATION untouched{};
    untouched.nNumberOfLinks = 77;
    HANDLE closed = OpenItem(L"T:\\a.bin");
    EXPECT_TRUE(api_.CloseHandle(closed));
    for (HANDLE bad : {reinterpret_cast<HANDLE>(0x1234), closed, INVALID_HANDLE_VALUE}) {
        SetLastError(0);
        EXPECT_FALSE(api_.GetFileInformationByHandle(bad, &untouched));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    }
    EXPECT_EQ(77u, untouched.nNumberOfLinks);
}

TEST_F(SimVolumeApiTest, EnumeratesLikeNtfs) {
    ASSERT_EQ(ERROR_SUCCESS, volume_->AddHardLink(L"\\a.bin", L"\\dir\\second.bin"));
    ASSERT_EQ(ERROR_SUCCESS, volume_->AddDirectory(L"\\junction", FILE_ATTRIBUTE_REPARSE_POINT));
    auto list = [&](const wchar_t* pattern) {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW data{};
        HANDLE find = api_.FindFirstFileW(pattern, &data);
        if (find == INVALID_HANDLE_VALUE) {
            return names;
        }
        do {
            names.push_back(data.cFileName);
            if (names.back() == L"junction") {
                EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
                EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
            }
        } while (api_.FindNextFileW(find, &data));
        EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_FILES), GetLastError());
        EXPECT_TRUE(api_.FindClose(find));
        return names;
    };
    EXPECT_EQ((std::vector<std::wstring>{L"a.bin", L"dir", L"empty.txt", L"junction", L"sparse.bin",
                                         L"tiny.txt"}),
              list(L"T:\\*"));
    EXPECT_EQ((std::vector<std::wstring>{L".", L"..", L"b.bin", L"second.bin"}),
              list(L"T:\\dir\\*"));
    EXPECT_EQ((std::vector<std::wstring>{L".", L".."}), list(L"T:\\junction\\*"));
    EXPECT_TRUE(list(L"T:\\missing\\*").empty());
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
    EXPECT_TRUE(CheckSimVolume(*volume_).empty());
}

TEST(SimVolumeApiFat, HasNoNtfsDataAndNoStreams) {
    SimGeometry geometry = SmallGeometry();
    geometry.fileSystemName = L"FAT32";
    DWORD error = 0;
    std::shared_ptr<CSimVolume> volume = CSimVolume::Create(L"", geometry, &error);
    ASSERT_TRUE(volume);
    ASSERT_EQ(ERROR_SUCCESS, volume->AddFile(L"\\f.bin"));
    CSimVolumeApi api;
    api.Mount(L'u', volume);
    HANDLE device = api.CreateFileW(L"\\\\.\\U:", GENERIC_READ, 0, 0);
    NTFS_VOLUME_DATA_BUFFER data{};
    DWORD returned = 0;
    EXPECT_FALSE(api.DeviceIoControl(device, FSCTL_GET_NTFS_VOLUME_DATA, nullptr, 0, &data,
                                     sizeof data, &returned));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_FUNCTION), GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE,
              api.CreateFileW(L"U:\\f.bin::$ATTRIBUTE_LIST", FILE_READ_ATTRIBUTES, 0, 0));
    wchar_t fileSystem[16];
    EXPECT_TRUE(
        api.GetVolumeInformationW(L"u:\\", nullptr, 0, nullptr, nullptr, nullptr, fileSystem, 16));
    EXPECT_STREQ(L"FAT32", fileSystem);
    EXPECT_TRUE(api.CloseHandle(device));
}

} // namespace

namespace {

TEST(SimVolumeLayout, AdjacentRunsStayApartUntilAMoveJoinsThem) {
    DWORD error = 0;
    std::shared_ptr<CSimVolume> volume = CSimVolume::Create(L"", SmallGeometry(), &error);
    ASSERT_EQ(ERROR_SUCCESS, volume->AddFile(L"\\two.bin"));
    ASSERT_EQ(ERROR_SUCCESS, volume->SetStream(L"\\two.bin", L"", 5 * 4096,
                                               {{0, 800, 2}, {2, 802, 3}}, Pattern(5 * 4096, 8)));
    ASSERT_EQ(ERROR_SUCCESS, volume->AddFile(L"\\three.bin"));
    ASSERT_EQ(ERROR_SUCCESS,
              volume->SetStream(L"\\three.bin", L"", 6 * 4096,
                                {{0, 850, 2}, {2, 852, 2}, {4, 854, 2}}, Pattern(6 * 4096, 9)));
    CSimVolumeApi api;
    api.Mount(L'T', volume);
    HANDLE item = api.CreateFileW(L"T:\\two.bin", FILE_READ_ATTRIBUTES, 0, 0);
    std::vector<uint8_t> out(16396);
    STARTING_VCN_INPUT_BUFFER in{};
    DWORD returned = 0;
    ASSERT_TRUE(api.DeviceIoControl(item, FSCTL_GET_RETRIEVAL_POINTERS, &in, sizeof in, out.data(),
                                    static_cast<DWORD>(out.size()), &returned));
    EXPECT_EQ(2u, reinterpret_cast<RETRIEVAL_POINTERS_BUFFER*>(out.data())->ExtentCount);
    EXPECT_TRUE(api.CloseHandle(item));

    SimItemRef three;
    ASSERT_EQ(ERROR_SUCCESS, volume->OpenItem(L"\\three.bin", 0, &three));
    // Moving the last run next to nothing keeps the first two apart.
    ASSERT_EQ(ERROR_SUCCESS, volume->MoveClusters(three, 4, 900, 2));
    ASSERT_EQ(ERROR_SUCCESS, volume->MoveClusters(three, 2, 898, 2)); // now joins [898,4)
    const SimVolumeContent content = volume->CopyContent();
    const SimRecord* record = nullptr;
    for (const auto& [id, r] : content.records) {
        if (r.name == L"three.bin") {
            record = &r;
        }
    }
    ASSERT_NE(nullptr, record);
    EXPECT_EQ((std::vector<SimExtent>{{0, 850, 2}, {2, 898, 4}}), record->streams[0].extents);
    EXPECT_TRUE(CheckSimVolume(*volume).empty());
}

} // namespace

namespace {

// The record a handle names, by its path on the volume.
std::wstring PathOfHandle(CSimVolumeApi& api, CSimVolume& volume, HANDLE item) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!api.GetFileInformationByHandle(item, &info)) {
        return L"?";
    }
    return volume.PathOf((uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow);
}

} // namespace

// Opens that follow a listing, repeat the last item or stay in the last directory are answered
// from what the volume remembers; they must answer exactly as a first lookup does.
TEST_F(SimVolumeApiTest, RememberedLookupsAnswerAsFirstOnes) {
    ASSERT_EQ(ERROR_SUCCESS, volume_->AddDirectory(L"\\many"));
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(ERROR_SUCCESS, volume_->AddFile(L"\\many\\f" + std::to_wstring(i)));
    }
    WIN32_FIND_DATAW entry{};
    HANDLE find = api_.FindFirstFileW(L"T:\\many\\*", &entry);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    int opened = 0;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L".." || name == L"f3" || name == L"f4") {
            continue; // two entries in a row passed over
        }
        if (name == L"f12") {
            // Added while the directory is being listed: found, though the listing lacks it.
            ASSERT_EQ(ERROR_SUCCESS, volume_->AddFile(L"\\many\\late"));
            HANDLE late = OpenItem(L"T:\\many\\LATE");
            EXPECT_EQ(L"\\many\\late", PathOfHandle(api_, *volume_, late));
            EXPECT_TRUE(api_.CloseHandle(late));
        }
        // Another case than listed, and the same item twice.
        const std::wstring path = L"T:\\MANY\\" + name;
        for (int time = 0; time < 2; ++time) {
            HANDLE item = OpenItem(path.c_str());
            ASSERT_NE(INVALID_HANDLE_VALUE, item) << name;
            EXPECT_EQ(L"\\many\\" + name, PathOfHandle(api_, *volume_, item));
            EXPECT_TRUE(api_.CloseHandle(item));
        }
        EXPECT_EQ(INVALID_HANDLE_VALUE, OpenItem((path + L"::$BITMAP").c_str()));
        EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
        ++opened;
    } while (api_.FindNextFileW(find, &entry));
    EXPECT_TRUE(api_.FindClose(find));
    EXPECT_EQ(18, opened);

    // Out of the listing's order, and names that are bad below a remembered directory.
    HANDLE first = OpenItem(L"T:\\many\\f0");
    EXPECT_EQ(L"\\many\\f0", PathOfHandle(api_, *volume_, first));
    EXPECT_TRUE(api_.CloseHandle(first));
    const std::pair<const wchar_t*, DWORD> refused[] = {
        {L"T:\\many\\f*", ERROR_INVALID_NAME},      {L"T:\\many\\..", ERROR_INVALID_NAME},
        {L"T:\\many\\f0\\x", ERROR_PATH_NOT_FOUND}, {L"T:\\many\\none", ERROR_FILE_NOT_FOUND},
        {L"T:\\many\\f0:x:y", ERROR_INVALID_NAME},  {L"T:\\many\\:s", ERROR_INVALID_NAME},
    };
    for (const auto& [path, error] : refused) {
        EXPECT_EQ(INVALID_HANDLE_VALUE, OpenItem(path)) << path;
        EXPECT_EQ(error, GetLastError()) << path;
    }
    HANDLE directory = OpenItem(L"T:\\many\\", FILE_FLAG_BACKUP_SEMANTICS);
    EXPECT_EQ(L"\\many", PathOfHandle(api_, *volume_, directory));
    EXPECT_TRUE(api_.CloseHandle(directory));
}

// Handle slots are reused: a closed handle stays invalid when a new one takes its slot.
TEST_F(SimVolumeApiTest, AClosedHandleDoesNotNameItsSuccessor) {
    HANDLE closed = OpenItem(L"T:\\a.bin");
    ASSERT_NE(INVALID_HANDLE_VALUE, closed);
    ASSERT_TRUE(api_.CloseHandle(closed));
    HANDLE successor = OpenItem(L"T:\\dir\\b.bin");
    ASSERT_NE(INVALID_HANDLE_VALUE, successor);
    EXPECT_NE(closed, successor);
    LARGE_INTEGER size{};
    EXPECT_FALSE(api_.GetFileSizeEx(closed, &size));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_FALSE(api_.CloseHandle(closed));
    EXPECT_TRUE(api_.GetFileSizeEx(successor, &size));
    EXPECT_EQ(5 * 4096, size.QuadPart);
    EXPECT_TRUE(api_.CloseHandle(successor));
}

namespace {

// The names a listing of pattern gives, without "." and "..".
std::vector<std::wstring> Listed(CSimVolumeApi& api, const wchar_t* pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    const HANDLE find = api.FindFirstFileW(pattern, &data);
    if (find == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") {
            names.push_back(name);
        }
    } while (api.FindNextFileW(find, &data));
    EXPECT_TRUE(api.FindClose(find));
    return names;
}

} // namespace

// A listing builds the walk's index; answers after moves and changes still follow the volume.
TEST_F(SimVolumeApiTest, AnswersAfterAListingFollowMovesAndChanges) {
    EXPECT_EQ(
        (std::vector<std::wstring>{L"a.bin", L"dir", L"empty.txt", L"sparse.bin", L"tiny.txt"}),
        Listed(api_, L"T:\\*"));
    HANDLE item = OpenItem(L"T:\\a.bin");
    ASSERT_NE(INVALID_HANDLE_VALUE, item);
    ASSERT_EQ(ERROR_SUCCESS, Move(item, 4, 1000, 2));
    std::vector<uint8_t> out(4096);
    ASSERT_EQ(ERROR_SUCCESS, Pointers(item, 0, out));
    const auto* pointers = reinterpret_cast<const RETRIEVAL_POINTERS_BUFFER*>(out.data());
    ASSERT_EQ(3u, pointers->ExtentCount);
    EXPECT_EQ(1000, pointers->Extents[1].Lcn.QuadPart);
    EXPECT_EQ(Layout(L"\\a.bin")[1].lcn, pointers->Extents[1].Lcn.QuadPart);
    LARGE_INTEGER size{};
    ASSERT_TRUE(api_.GetFileSizeEx(item, &size));
    EXPECT_EQ(9 * 4096 - 100, size.QuadPart);
    EXPECT_TRUE(api_.CloseHandle(item));

    ASSERT_EQ(ERROR_SUCCESS, volume_->AddFile(L"\\dir\\late.bin"));
    ASSERT_EQ(ERROR_SUCCESS, volume_->AddHardLink(L"\\a.bin", L"\\dir\\second.bin"));
    EXPECT_EQ((std::vector<std::wstring>{L"b.bin", L"late.bin", L"second.bin"}),
              Listed(api_, L"T:\\dir\\*"));
    BY_HANDLE_FILE_INFORMATION info{};
    item = OpenItem(L"T:\\dir\\second.bin");
    ASSERT_NE(INVALID_HANDLE_VALUE, item);
    ASSERT_TRUE(api_.GetFileInformationByHandle(item, &info));
    EXPECT_EQ(2u, info.nNumberOfLinks);
    EXPECT_TRUE(api_.CloseHandle(item));

    ASSERT_EQ(ERROR_SUCCESS, volume_->SetRecordFlags(L"\\dir\\late.bin", kSimLocked));
    EXPECT_EQ(INVALID_HANDLE_VALUE, OpenItem(L"T:\\dir\\late.bin"));
    EXPECT_EQ(ERROR_SHARING_VIOLATION, GetLastError());
    item = OpenItem(L"T:\\dir\\b.bin::$ATTRIBUTE_LIST");
    ASSERT_NE(INVALID_HANDLE_VALUE, item);
    ASSERT_TRUE(api_.GetFileSizeEx(item, &size));
    EXPECT_EQ(300, size.QuadPart);
    EXPECT_TRUE(api_.CloseHandle(item));
}

// Handles opened before a change that shifts every item's place in the rebuilt index still
// answer for their own item.
TEST_F(SimVolumeApiTest, HandlesOpenedBeforeTheIndexChangesKeepTheirItem) {
    Listed(api_, L"T:\\*");
    Listed(api_, L"T:\\dir\\*");
    HANDLE b = OpenItem(L"T:\\dir\\b.bin");
    HANDLE sparse = OpenItem(L"T:\\sparse.bin");
    ASSERT_NE(INVALID_HANDLE_VALUE, b);
    ASSERT_NE(INVALID_HANDLE_VALUE, sparse);
    ASSERT_EQ(ERROR_SUCCESS, volume_->AddFile(L"\\0.bin")); // listed first from now on
    ASSERT_EQ(ERROR_SUCCESS, volume_->SetStream(L"\\0.bin", L"", 4096, {{0, 900, 1}}, {}));
    EXPECT_EQ((std::vector<std::wstring>{L"0.bin", L"a.bin", L"dir", L"empty.txt", L"sparse.bin",
                                         L"tiny.txt"}),
              Listed(api_, L"T:\\*"));
    LARGE_INTEGER size{};
    ASSERT_TRUE(api_.GetFileSizeEx(b, &size));
    EXPECT_EQ(5 * 4096, size.QuadPart);
    std::vector<uint8_t> out(4096);
    ASSERT_EQ(ERROR_SUCCESS, Pointers(b, 0, out));
    const auto* pointers = reinterpret_cast<const RETRIEVAL_POINTERS_BUFFER*>(out.data());
    ASSERT_EQ(1u, pointers->ExtentCount);
    EXPECT_EQ(500, pointers->Extents[0].Lcn.QuadPart);
    BY_HANDLE_FILE_INFORMATION info{};
    ASSERT_TRUE(api_.GetFileInformationByHandle(sparse, &info));
    EXPECT_EQ(7u * 4096, info.nFileSizeLow);
    EXPECT_NE(0u, info.dwFileAttributes & FILE_ATTRIBUTE_SPARSE_FILE);
    EXPECT_TRUE(api_.CloseHandle(b));
    EXPECT_TRUE(api_.CloseHandle(sparse));
}

// Paths are read to their terminator whatever their place in memory and their length.
TEST_F(SimVolumeApiTest, ReadsPathsAtEveryPlaceAndLength) {
    const std::wstring found[] = {L"T:\\a.bin", L"T:\\dir\\b.bin", L"\\\\?\\T:\\dir\\b.bin",
                                  L"T:\\tiny.txt", L"T:\\sparse.bin"};
    for (size_t offset = 0; offset < 4; ++offset) {
        for (const std::wstring& path : found) {
            const std::wstring text = std::wstring(offset, L'x') + path;
            HANDLE item = OpenItem(text.c_str() + offset);
            ASSERT_NE(INVALID_HANDLE_VALUE, item) << path << " at " << offset;
            EXPECT_TRUE(api_.CloseHandle(item));
        }
        // A unit with its high bit set, and the terminator in each lane of a word.
        for (const wchar_t* missing :
             {L"T:\\a.bi\u8000", L"T:\\a.binx", L"T:\\a.binxy", L"T:\\a.binxyz"}) {
            const std::wstring text = std::wstring(offset, L'x') + missing;
            EXPECT_EQ(INVALID_HANDLE_VALUE, OpenItem(text.c_str() + offset)) << missing;
            EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError()) << missing;
        }
    }
}

// Stream names in capitals and in any other letter case name the same stream.
TEST(SimStreamKeys, CapitalsAndOtherCasesGiveOneKey) {
    const std::pair<const wchar_t*, const wchar_t*> same[] = {
        {L"::$BITMAP", L"::$bitmap"},
        {L"::$ATTRIBUTE_LIST", L"::$Attribute_List"},
        {L"::$DATA", L"::$data"},
        {L"::$DATA", L""},
        {L":s:$DATA", L":S"},
    };
    for (const auto& [capitals, other] : same) {
        std::wstring first = L"scratch";
        std::wstring second;
        ASSERT_TRUE(SimStreamKey(capitals, &first)) << capitals;
        ASSERT_TRUE(SimStreamKey(other, &second)) << other;
        EXPECT_EQ(second, first) << capitals;
    }
    EXPECT_EQ(L"", [] {
        std::wstring key = L"x";
        return SimStreamKey(L"::$DATA", &key) ? key : L"refused";
    }());
    std::wstring key;
    EXPECT_FALSE(SimStreamKey(L"::$", &key));
    EXPECT_FALSE(SimStreamKey(L"::BITMAP", &key));
    EXPECT_FALSE(SimStreamKey(L"::$BIT:MAP", &key));
}
