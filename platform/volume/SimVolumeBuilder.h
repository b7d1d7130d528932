// Builds a simulated volume from a seed: a tree of directories and files of random sizes,
// some of them fragmented, placed with a free-space pattern, plus the file system's own files,
// the MFT zone and the special items a defragmenter must cope with. The same spec and seed
// always give the same volume.
#pragma once

#include "SimVolume.h"

#include <cstdint>
#include <memory>
#include <string>

struct SimBuildSpec {
    uint64_t seed = 1;
    // totalClusters must be set; an NTFS volume whose MFT zone is empty gets $MFT at a quarter
    // of the volume followed by a zone of an eighth of it.
    SimGeometry geometry;
    uint32_t fileCount = 100;
    uint64_t minFileBytes = 1;
    uint64_t maxFileBytes = 64 * 1024;
    double fragmentedShare = 0.3; // files (and directory indexes) split into pieces
    uint32_t maxFragments = 8;
    double gapShare = 0.5;       // free-space pattern: a piece is followed by a gap this often,
    uint32_t maxGapClusters = 4; // of 1 to this many clusters
    uint32_t directoryCount = 8;
    uint32_t maxDepth = 4;       // the first directories form a chain this deep
    uint32_t bootFileCount = 0;  // \pagefile.sys, \Boot\BCD ... (names a defragmenter skips)
    uint32_t immovableCount = 0; // files the file system refuses to move
    uint32_t lockedCount = 0;    // files that cannot be opened
    uint32_t streamCount = 0;    // ::$ATTRIBUTE_LIST of files and ::$BITMAP of directories
    uint32_t sparseCount = 0;    // files with a sparse run inside
    uint32_t residentCount = 0;  // small files kept in their record (no clusters)
    uint32_t hardLinkCount = 0;  // second names of files
    uint32_t reparseCount = 0;   // junction directories, each with a file inside
    bool writeData = true;       // false: data stays zeros and is never written
};

// Many small files as a desktop's drive holds them, for runs at scale: files of three clusters in
// two or three pieces (2.7 extents on average) with gaps between them, in a thousand
// directories, on a volume with room to spare; no data is written.
SimBuildSpec SimManySmallFilesSpec(uint32_t fileCount);

// A fragmented NTFS volume as xarnsimvol makes it for runs of the service: files of 1 byte to
// 64 KiB, half of them in pieces, in a dozen directories, with one or a few of every special
// kind of item (boot files, a locked file, attribute streams, sparse and resident files, hard
// links, a junction).
SimBuildSpec SimServiceVolumeSpec(uint64_t seed, uint32_t fileCount, uint64_t totalClusters);

// ERROR_DISK_FULL when the content does not fit; null and *error on failure.
std::unique_ptr<CSimVolume> BuildSimVolume(const std::wstring& imagePath, const SimBuildSpec& spec,
                                           DWORD* error);
