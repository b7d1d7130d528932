// A simulated volume: geometry, bitmap, master-file-table zone, directories, files and their
// attribute streams with extents, whose data lies in the clusters of an image file (see
// SimImage.h for its format and crash safety). Moves copy the clusters, commit the new
// mapping in one journal record, then free the old clusters, and refuse targets in use as NTFS
// does; they are flushed in groups of kSimCommitBytes. Tests build volumes with CSimVolumeBuilder,
// inject faults here and verify the result with CheckSimVolume.
//
// The implementation lies in files by job: SimVolume.cpp (image, commits, reading the content),
// SimVolumeLookup.cpp (paths and records), SimVolumeBuilding.cpp, SimVolumeFaults.cpp,
// SimVolumeCalls.cpp (the device calls) and SimVolumeMoves.cpp (moves).
//
// Paths here are relative to the volume's root: "\dir\name", "\dir\name::$BITMAP"; "\" is the
// root. Every public call takes the volume's lock, so a worker and a test may share a volume;
// hooks run outside it and may call back into the volume.
#pragma once

#include "SimImage.h"
#include "SimLayout.h"
#include "SimVolumeIndex.h"
#include "SimVolumeModel.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// One FSCTL_MOVE_FILE as it reaches the volume, before anything is checked.
struct SimMoveEvent {
    std::wstring path;
    std::wstring streamKey;
    uint64_t vcn = 0;
    int64_t lcn = 0;
    uint32_t count = 0;
};

// An armed fault: the next count matching calls fail with error.
struct SimFault {
    std::wstring path;
    int count = 0;
    DWORD error = ERROR_SUCCESS;
};

// An opened file, directory or stream.
struct SimItemRef {
    uint64_t recordId = 0;
    std::wstring streamKey;
    uint32_t indexPlace = CSimVolumeIndex::kNone; // a hint: the record's place in the index
};

// A directory's listing as FindFirstFileW and FindNextFileW hand it out, names in one text.
struct SimListedEntry {
    DWORD attributes = 0;
    DWORD reparseTag = 0;
    uint64_t size = 0;
    uint32_t nameOffset = 0;
    uint32_t nameLength = 0;
};
struct SimListing {
    std::vector<SimListedEntry> entries;
    std::wstring names;

    void Clear() {
        entries.clear();
        names.clear();
    }
    // Entry at as the system reports it.
    void Fill(size_t at, WIN32_FIND_DATAW* data) const;
};

class CSimVolume {
public:
    // An empty path keeps the volume in memory only.
    static std::unique_ptr<CSimVolume> Create(const std::wstring& imagePath,
                                              const SimGeometry& geometry, DWORD* error);
    static std::unique_ptr<CSimVolume> Open(const std::wstring& imagePath, DWORD* error);
    // Checkpoints what changed, unless the image has crashed.
    ~CSimVolume();
    CSimVolume(const CSimVolume&) = delete;
    CSimVolume& operator=(const CSimVolume&) = delete;

    // Building. Every change is committed at once, or by EndBatch inside a batch.
    void BeginBatch();
    [[nodiscard]] DWORD EndBatch();
    [[nodiscard]] DWORD AddDirectory(const std::wstring& path, DWORD attributes = 0,
                                     uint32_t flags = 0);
    [[nodiscard]] DWORD AddFile(const std::wstring& path, DWORD attributes = 0, uint32_t flags = 0);
    // Gives a stream (created if missing) its size and layout and writes its data (empty data
    // leaves the clusters as they are). No extents and a non-zero size: resident data. The
    // runs stay as given, so two physically adjacent runs are reported as two extents.
    [[nodiscard]] DWORD SetStream(const std::wstring& path, const std::wstring& streamKey,
                                  uint64_t size, const std::vector<SimExtent>& extents,
                                  const std::vector<uint8_t>& data);
    // Gives the stream's clusters the volume's seeded pattern in place of written data (see
    // SimVolumeContent::patterned); the seed is the volume's, set once before.
    void SetPatternSeed(uint64_t seed);
    [[nodiscard]] DWORD FillStreamWithPattern(const std::wstring& path,
                                              const std::wstring& streamKey);
    [[nodiscard]] DWORD AddHardLink(const std::wstring& existingPath, const std::wstring& newPath);
    // A file system file reachable by no path and never moved ($MFT, $Bitmap ...).
    [[nodiscard]] DWORD AddSystemFile(const std::wstring& name,
                                      const std::vector<SimExtent>& extents);
    [[nodiscard]] DWORD SetRecordFlags(const std::wstring& path, uint32_t flags);
    [[nodiscard]] DWORD Flush();

    // Faults. A count of -1 never runs out. An empty path matches every item.
    void FailMoves(const std::wstring& path, int count, DWORD error = ERROR_ACCESS_DENIED);
    void FailOpens(const std::wstring& path, int count, DWORD error = ERROR_SHARING_VIOLATION);
    void SetBeforeMoveHook(std::function<void(const SimMoveEvent&)> hook);
    void SetAfterBitmapReadHook(std::function<void()> hook);
    void ArmCrash(SimCrashPoint point, int occurrence = 1);
    bool Crashed() const;
    // Without flushes the write order still holds for this process, not for the host's disk.
    void SetDurable(bool durable);

    // Raw edits that bypass every rule, to give the checker something to find.
    void MarkClusters(uint64_t lcn, uint64_t count, bool used);
    [[nodiscard]] DWORD ReplaceExtents(const std::wstring& path, const std::wstring& streamKey,
                                       const std::vector<SimExtent>& extents);
    [[nodiscard]] DWORD WriteClusters(uint64_t lcn, const std::vector<uint8_t>& data);

    // Reading.
    SimVolumeContent CopyContent() const;
    SimGeometry Geometry() const;
    uint64_t UsedClusters() const;
    // Clusters whose data successful moves have copied since the volume was opened.
    uint64_t MovedClusters() const;
    [[nodiscard]] DWORD ReadStream(uint64_t recordId, const std::wstring& streamKey,
                                   std::vector<uint8_t>* data) const;
    std::wstring PathOf(uint64_t recordId) const;

    // The device calls behind CSimVolumeApi: ERROR_SUCCESS or the error the system gives.
    [[nodiscard]] DWORD OpenItem(std::wstring_view path, DWORD flagsAndAttributes,
                                 SimItemRef* item);
    [[nodiscard]] DWORD ItemSize(const SimItemRef& item, uint64_t* size) const;
    [[nodiscard]] DWORD ItemInformation(const SimItemRef& item,
                                        BY_HANDLE_FILE_INFORMATION* info) const;
    [[nodiscard]] DWORD ListDirectory(std::wstring_view path, SimListing* listing) const;
    [[nodiscard]] DWORD GetNtfsVolumeData(void* out, DWORD outSize, DWORD* returned) const;
    [[nodiscard]] DWORD GetVolumeBitmap(const void* in, DWORD inSize, void* out, DWORD outSize,
                                        DWORD* returned);
    [[nodiscard]] DWORD GetRetrievalPointers(const SimItemRef& item, const void* in, DWORD inSize,
                                             void* out, DWORD outSize, DWORD* returned) const;
    [[nodiscard]] DWORD MoveClusters(const SimItemRef& item, int64_t vcn, int64_t lcn,
                                     uint32_t count);

private:
    CSimVolume() = default;
    [[nodiscard]] DWORD CommitLocked();
    // Every move so far is durable: the tracking of unflushed moves starts again.
    void MovesFlushedLocked();
    [[nodiscard]] bool FlushMovesLocked();
    // One part of a checked move: its copies' data, its record, its new mapping.
    [[nodiscard]] DWORD CommitMovePartLocked(SimJournalMove move,
                                             const std::vector<SimClusterCopy>& copies);
    // indexPlace, when given, receives the record's place in the index as a hint.
    [[nodiscard]] DWORD ResolveLocked(std::wstring_view path, uint64_t* recordId,
                                      std::wstring* streamKey,
                                      uint32_t* indexPlace = nullptr) const;
    // A structural change: the index no longer holds.
    void ForgetIndexLocked() { index_.Clear(); }
    // The index item of a record, or null when the index is not built or lacks it; place is a
    // hint of where it is.
    const CSimVolumeIndex::Item* IndexedLocked(uint64_t id,
                                               uint32_t place = CSimVolumeIndex::kNone) const {
        return index_.Built() ? index_.Find(id, place) : nullptr;
    }
    // The record of an id, or null; found through an index that fills as records are asked for.
    const SimRecord* RecordLocked(uint64_t id) const;
    SimRecord* RecordLocked(uint64_t id);
    [[nodiscard]] DWORD ResolveParentLocked(const std::wstring& path, SimRecord** parent,
                                            std::wstring* name);
    [[nodiscard]] DWORD AddRecordLocked(const std::wstring& path, DWORD attributes, uint32_t flags);
    std::wstring PathOfLocked(uint64_t recordId) const;
    // Null when the record (deleted under an open handle) or its stream is missing.
    const SimStream* StreamLocked(uint64_t recordId, const std::wstring& key) const;
    [[nodiscard]] DWORD ItemSizeLocked(const SimItemRef& item, uint64_t* size) const;
    // The clusters' data, patterned or from the image; a write ends their pattern.
    [[nodiscard]] bool ReadClustersLocked(uint64_t lcn, uint64_t count, uint8_t* out) const;
    [[nodiscard]] bool WriteClustersLocked(uint64_t lcn, uint64_t count, const uint8_t* data);
    bool TakeFault(std::vector<SimFault>& faults, const std::wstring& path, DWORD* error);

    mutable std::mutex mutex_;
    SimVolumeContent content_;
    mutable std::vector<const SimRecord*> recordIndex_; // by id; see RecordLocked
    // Of ResolveLocked: a scratch name, and the last item and directory it found.
    mutable std::wstring foldScratch_;
    mutable std::wstring lastItemPath_;
    mutable uint64_t lastItemId_ = 0;
    mutable uint32_t lastItemPlace_ = CSimVolumeIndex::kNone;
    mutable std::wstring lastDirectoryPath_;
    mutable uint64_t lastDirectoryId_ = 0;
    // Built after a batch and by the first listing after a change; see CSimVolumeIndex. A walk
    // opens the entries of a listing in their order: the index finds them without a lookup.
    mutable CSimVolumeIndex index_;
    std::wstring keyScratch_; // of OpenItem
    // Of MoveClusters.
    std::vector<SimClusterCopy> copiesScratch_;
    std::vector<SimClusterCopy> partScratch_;
    std::vector<uint8_t> copyBuffer_;
    std::unique_ptr<CSimImage> image_;
    int batchDepth_ = 0;
    bool dirty_ = false;
    uint64_t movedClusters_ = 0;
    // Moves are flushed in groups of at most kSimCommitBytes; until its group is flushed, a
    // move may be undone by a loss of power, so the clusters it freed must keep their data.
    uint64_t unflushedMoveClusters_ = 0;
    CSimRunSet freedByUnflushedMoves_;
    std::vector<SimFault> moveFaults_;
    std::vector<SimFault> openFaults_;
    std::function<void(const SimMoveEvent&)> beforeMove_;
    std::function<void()> afterBitmapRead_;
};
