// Shared helpers of the simulated volume's tests: temporary image paths and small volumes.
#pragma once

#include "SimVolume.h"
#include "SimVolumeBuilder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// A fresh image path in the temporary folder, deleted when the helper goes away.
class CTempImage {
public:
    CTempImage() {
        wchar_t folder[MAX_PATH];
        wchar_t file[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        GetTempFileNameW(folder, L"xsv", 0, file);
        path_ = file;
    }
    ~CTempImage() { DeleteFileW(path_.c_str()); }
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

inline SimGeometry SmallGeometry(uint64_t totalClusters = 4096) {
    SimGeometry geometry;
    geometry.bytesPerCluster = 4096;
    geometry.totalClusters = totalClusters;
    geometry.mftStartLcn = 16;
    geometry.mftZoneStart = 20;
    geometry.mftZoneEnd = 40;
    geometry.mft2StartLcn = totalClusters / 2;
    return geometry;
}

// Bytes that differ per cluster and per file, so misplaced data shows.
inline std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
    std::vector<uint8_t> data(size);
    for (size_t i = 0; i < size; ++i) {
        data[i] = static_cast<uint8_t>(seed * 31 + i * 7 + i / 4096);
    }
    return data;
}

// A small NTFS volume with hand-placed items:
//   \a.bin         9 clusters in three fragments: [100,4) [200,2) [300,3)
//   \dir           index of 2 clusters at 400
//   \dir\b.bin     5 clusters at 500, and ::$ATTRIBUTE_LIST of 1 cluster at 700
//   \sparse.bin    [600,2), 3 sparse clusters, [610,2)
//   \tiny.txt      50 bytes resident; \empty.txt 0 bytes
inline void AddFixtureItems(CSimVolume& volume) {
    const uint32_t cluster = 4096;
    ASSERT_EQ(ERROR_SUCCESS, volume.AddFile(L"\\a.bin"));
    ASSERT_EQ(ERROR_SUCCESS, volume.SetStream(L"\\a.bin", L"", 9 * cluster - 100,
                                              {{0, 100, 4}, {4, 200, 2}, {6, 300, 3}},
                                              Pattern(9 * cluster - 100, 1)));
    ASSERT_EQ(ERROR_SUCCESS, volume.AddDirectory(L"\\dir"));
    ASSERT_EQ(ERROR_SUCCESS,
              volume.SetStream(L"\\dir", L"", 2 * cluster, {{0, 400, 2}}, Pattern(2 * cluster, 2)));
    ASSERT_EQ(ERROR_SUCCESS, volume.AddFile(L"\\dir\\b.bin"));
    ASSERT_EQ(ERROR_SUCCESS, volume.SetStream(L"\\dir\\b.bin", L"", 5 * cluster, {{0, 500, 5}},
                                              Pattern(5 * cluster, 3)));
    ASSERT_EQ(ERROR_SUCCESS, volume.SetStream(L"\\dir\\b.bin", L"::$ATTRIBUTE_LIST", 300,
                                              {{0, 700, 1}}, Pattern(300, 4)));
    ASSERT_EQ(ERROR_SUCCESS, volume.AddFile(L"\\sparse.bin", FILE_ATTRIBUTE_SPARSE_FILE));
    std::vector<uint8_t> sparse = Pattern(7 * cluster, 5);
    std::fill(sparse.begin() + 2 * cluster, sparse.begin() + 5 * cluster, 0);
    ASSERT_EQ(ERROR_SUCCESS,
              volume.SetStream(L"\\sparse.bin", L"", 7 * cluster,
                               {{0, 600, 2}, {2, kSimSparseLcn, 3}, {5, 610, 2}}, sparse));
    ASSERT_EQ(ERROR_SUCCESS, volume.AddFile(L"\\tiny.txt"));
    ASSERT_EQ(ERROR_SUCCESS, volume.SetStream(L"\\tiny.txt", L"", 50, {}, Pattern(50, 6)));
    ASSERT_EQ(ERROR_SUCCESS, volume.AddFile(L"\\empty.txt"));
}

// The fixture's items on a new volume whose image is image.
inline std::unique_ptr<CSimVolume> FixtureOn(const CTempImage& image) {
    DWORD error = 0;
    std::unique_ptr<CSimVolume> volume = CSimVolume::Create(image.Path(), SmallGeometry(), &error);
    EXPECT_TRUE(volume) << "create failed: " << error;
    if (volume) {
        AddFixtureItems(*volume);
    }
    return volume;
}

inline std::unique_ptr<CSimVolume> Reopen(const CTempImage& image) {
    DWORD error = 0;
    std::unique_ptr<CSimVolume> volume = CSimVolume::Open(image.Path(), &error);
    EXPECT_TRUE(volume) << "open failed: " << error;
    return volume;
}

// The process dies while it closes the volume: its final checkpoint never lands.
inline std::unique_ptr<CSimVolume> DieAndReopen(std::unique_ptr<CSimVolume> volume,
                                                const CTempImage& image) {
    volume->ArmCrash(SimCrashPoint::TornSnapshot);
    volume.reset();
    return Reopen(image);
}

// One FSCTL_MOVE_FILE straight on the volume, as the device call makes it.
inline DWORD MoveChunk(CSimVolume& volume, const std::wstring& path, int64_t vcn, int64_t lcn,
                       uint32_t count) {
    SimItemRef item;
    const DWORD error = volume.OpenItem(path, 0, &item);
    return error != ERROR_SUCCESS ? error : volume.MoveClusters(item, vcn, lcn, count);
}
