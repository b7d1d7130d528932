// What a simulated volume holds: its geometry, its records (files and directories with their
// streams and extents) and its used clusters.
#pragma once

#include "SimRunSet.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int64_t kSimSparseLcn = -1;

// count clusters from virtual cluster vcn, at lcn or sparse (kSimSparseLcn).
struct SimExtent {
    uint64_t vcn = 0;
    int64_t lcn = 0;
    uint64_t count = 0;
    bool operator==(const SimExtent&) const = default;
};

// Streams are named as in a path after the item's name: "" is the default stream (a file's data,
// a directory's index), "::$BITMAP", "::$ATTRIBUTE_LIST", ":name:$DATA"; see SimStreamKey.
struct SimStream {
    std::wstring key;
    uint64_t size = 0;
    // Non-resident layout in VCN order, covering VCN 0 to the allocation's end without gaps.
    // Empty for an empty stream or one whose data is resident (kept in residentData).
    std::vector<SimExtent> extents;
    std::vector<uint8_t> residentData;
};

enum SimRecordFlags : uint32_t {
    kSimImmovable = 1, // the file system refuses to move it (ERROR_ACCESS_DENIED)
    kSimLocked = 2,    // another process holds it open without sharing (ERROR_SHARING_VIOLATION)
};

struct SimDirEntry {
    std::wstring name;
    uint64_t recordId = 0;
};

struct SimRecord {
    uint64_t id = 0;
    uint64_t parentId = 0; // of its first name; the root is its own parent
    std::wstring name;     // its first name
    DWORD attributes = 0;  // FILE_ATTRIBUTE_*; FILE_ATTRIBUTE_DIRECTORY for directories
    uint32_t flags = 0;    // SimRecordFlags
    uint32_t linkCount = 1;
    std::vector<SimStream> streams;               // the default stream first
    std::map<std::wstring, SimDirEntry> children; // directories: by upper-cased name

    bool IsDirectory() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    const SimStream* FindStream(const std::wstring& key) const;
    SimStream* FindStream(const std::wstring& key);
};

struct SimGeometry {
    std::wstring fileSystemName = L"NTFS";
    std::wstring label = L"XARNSIM";
    uint32_t serialNumber = 0x5A41524E;
    uint32_t bytesPerSector = 512;
    uint32_t bytesPerCluster = 4096;
    uint64_t totalClusters = 0;
    uint64_t mftStartLcn = 0;
    uint64_t mft2StartLcn = 0;
    uint64_t mftZoneStart = 0; // [start, end) is kept free for the master file table
    uint64_t mftZoneEnd = 0;

    bool IsNtfs() const { return fileSystemName == L"NTFS"; }
};

// The whole logical state; the image file persists exactly this.
struct SimVolumeContent {
    SimGeometry geometry;
    uint64_t rootId = 0;
    uint64_t nextRecordId = 0;
    std::map<uint64_t, SimRecord> records; // the tree, and the hidden system files
    std::vector<uint64_t> systemIds;       // records reachable by no path ($MFT, $Bitmap ...)
    CSimRunSet used;                       // the volume bitmap
    // Clusters that hold their seeded pattern (SimFillPattern) until something is written to
    // them: a built volume's data takes no room in the image until it is moved.
    uint64_t patternSeed = 0;
    CSimRunSet patterned;
};

// The first size bytes of the pattern a cluster holds in a volume of that seed: the same seed
// and LCN always give the same bytes, and different LCNs different ones.
void SimFillPattern(uint64_t seed, uint64_t lcn, uint32_t size, uint8_t* out);

// Whether two texts are the same unit for unit: four units a step, since a walk compares every
// path it opens with the one before.
inline bool SimSameText(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    size_t at = 0;
    for (; at + 4 <= a.size(); at += 4) {
        uint64_t left = 0;
        uint64_t right = 0;
        std::memcpy(&left, a.data() + at, sizeof left);
        std::memcpy(&right, b.data() + at, sizeof right);
        if (left != right) {
            return false;
        }
    }
    for (; at < a.size(); ++at) {
        if (a[at] != b[at]) {
            return false;
        }
    }
    return true;
}

// Upper-cases a name for comparisons, as the file system compares names.
std::wstring SimFoldName(const std::wstring& name);
void SimFoldNameInPlace(std::wstring& name);

// The canonical stream key of the text after an item's name ("" for none): "::$DATA" and ""
// are the default stream, ":s" and ":s:$DATA" the named stream s, types are upper-cased.
// Returns false for text that names no stream.
[[nodiscard]] bool SimStreamKey(std::wstring_view suffix, std::wstring* key);

// Clusters a stream's extents span (sparse ones included) and how many are allocated.
uint64_t SimSpanClusters(const SimStream& stream);
uint64_t SimAllocatedClusters(const SimStream& stream);
