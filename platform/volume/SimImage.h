// The image file of a simulated volume, and its write order.
//
// Layout: two superblock slots (0 and 4 KiB), the data region (cluster n at dataOffset +
// n * bytesPerCluster, sparse: never-written clusters read as zeros), then the metadata area
// with the current snapshot of the volume's content followed by its journal of moves.
//
// Crash safety: a move's data is written to free clusters and flushed first; then one journal
// record (framed by its generation, sequence number and CRC) is appended and flushed: that
// write is the commit. A crash before it leaves the old layout (the copies sit in free
// clusters), after it the new one. A checkpoint writes a full snapshot where it overlaps
// neither the current snapshot nor its journal, flushes, then writes the superblock slot not
// in use with the next generation; opening takes the valid slot of the highest generation and
// replays only the journal records of that generation in sequence, so a torn snapshot,
// superblock or record is never seen.
//
// An empty path keeps the image in memory (nothing persists), for large throw-away volumes.
#pragma once

#include "SimImageCodec.h"

#include <owners/WinOwners.h>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

// Where a simulated crash stops every further write of the image.
enum class SimCrashPoint {
    None,
    AfterDataCopy,      // a move's data is copied, its journal record not written
    TornJournalRecord,  // half of a move's journal record is written
    AfterJournalRecord, // a move's journal record is durable, nothing after it
    TornSnapshot,       // half of a checkpoint's snapshot is written
    TornSuperblock,     // the snapshot is durable, half of the new superblock written
};

class CSimImage {
public:
    static std::unique_ptr<CSimImage> Create(const std::wstring& path,
                                             const SimVolumeContent& content, DWORD* error);
    // Loads the newest snapshot and hands each journalled move of it to replay, stopping at
    // the first it refuses.
    static std::unique_ptr<CSimImage>
    Open(const std::wstring& path, SimVolumeContent* content,
         const std::function<bool(SimVolumeContent&, const SimJournalMove&)>& replay, DWORD* error);

    [[nodiscard]] bool ReadClusters(uint64_t lcn, uint64_t count, uint8_t* out);
    [[nodiscard]] bool WriteClusters(uint64_t lcn, uint64_t count, const uint8_t* data);
    // Makes every earlier write durable before any later one.
    [[nodiscard]] bool Flush();
    // Appends and flushes one move record: the move's commit point.
    [[nodiscard]] bool AppendMove(const SimJournalMove& move);
    [[nodiscard]] bool Checkpoint(const SimVolumeContent& content);
    bool JournalIsLarge() const;

    // Counts arrivals at a crash point; at the armed one the image stops writing for good.
    bool Reached(SimCrashPoint point);
    void ArmCrash(SimCrashPoint point, int occurrence) {
        crashPoint_ = point;
        crashCountdown_ = occurrence;
    }
    bool Crashed() const { return crashed_; }
    void SetDurable(bool durable) { durable_ = durable; }

private:
    CSimImage(KernelHandle file, uint32_t bytesPerCluster, uint64_t totalClusters);
    [[nodiscard]] bool ReadAt(uint64_t offset, void* out, size_t size);
    [[nodiscard]] bool WriteAt(uint64_t offset, const void* data, size_t size);
    [[nodiscard]] bool WriteTornAt(uint64_t offset, const void* data, size_t size,
                                   SimCrashPoint point);
    [[nodiscard]] bool LoadSuperblock(int slot, SimVolumeContent* content);
    void ReplayJournal(SimVolumeContent* content,
                       const std::function<bool(SimVolumeContent&, const SimJournalMove&)>& replay);
    bool InMemory() const { return !file_; }

    KernelHandle file_;
    uint32_t bytesPerCluster_;
    uint64_t totalClusters_;
    uint64_t dataOffset_;
    uint64_t metadataOffset_;
    uint64_t generation_ = 0;
    uint64_t snapshotOffset_ = 0;
    uint64_t snapshotLength_ = 0;
    uint64_t journalOffset_ = 0;
    uint64_t journalEnd_ = 0;
    uint64_t journalSequence_ = 0;
    bool durable_ = true;
    bool crashed_ = false;
    SimCrashPoint crashPoint_ = SimCrashPoint::None;
    int crashCountdown_ = 0;
    std::unordered_map<uint64_t, std::vector<uint8_t>> memoryClusters_;
};
