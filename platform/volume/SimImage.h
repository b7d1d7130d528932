// The image file of a simulated volume, and its write order.
//
// Layout: two superblock slots (0 and 4 KiB), the data region (cluster n at dataOffset +
// n * bytesPerCluster, sparse: never-written clusters read as zeros), then the metadata area
// with the current snapshot of the volume's content followed by its journal of moves.
//
// Crash safety: a move writes its data to free clusters, then appends one journal record
// (framed by its generation, sequence number and CRC) that carries the digest of that data:
// the record is the commit. Moves are flushed in groups (see kSimCommitBytes), not one by one,
// so a loss of power may keep a record whose data never reached the disk, or lose records
// while later writes stayed. Replay therefore checks the data of every record that no flush
// covered against its digest and stops at the first record that does not hold, and the volume
// never writes into clusters an unflushed move freed (see CSimVolume::MoveClusters): whatever
// the disk kept, the layout is that after some whole number of moves, every byte in place.
//
// A checkpoint writes a full snapshot where it overlaps neither the current snapshot nor its
// journal, flushes, then writes the superblock slot not in use with the next generation;
// opening takes the valid slot of the highest generation and replays only the journal records
// of that generation in sequence, so a torn snapshot, superblock or record is never seen. A
// checkpoint's superblock is sealed (its journal is empty); before the first record after it,
// an unsealed superblock of the next generation is made durable. An image opened with an
// unsealed superblock was not closed cleanly: after the replay it is checkpointed at once, so
// that no record the disk kept past the replay's end can ever be taken for a new one.
//
// An empty path keeps the image in memory (nothing persists), for large throw-away volumes.
#pragma once

#include "SimImageCodec.h"

#include <owners/WinOwners.h>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// The most data of moves that a volume leaves unflushed: a loss of power undoes at most the
// moves of the last this many bytes, never one whose group was flushed.
inline constexpr uint64_t kSimCommitBytes = 64 * 1024;

// Where a simulated crash stops every further write of the image.
enum class SimCrashPoint {
    None,
    AfterDataCopy,      // a move's data is copied, its journal record not written
    TornJournalRecord,  // half of a move's journal record is written
    AfterJournalRecord, // a move's journal record is written, nothing after it
    TornSnapshot,       // half of a checkpoint's snapshot is written
    TornSuperblock,     // the snapshot is durable, half of the new superblock written
    // Losses of power after a move's journal record, with what the disk kept of the writes
    // since the last flush:
    PowerLossKeepingRecords, // the journal records, none of the moved data
    PowerLossKeepingData,    // the moved data, none of the journal records
    PowerLossLosingARecord,  // everything but the first journal record
};

class CSimImage;

// A journalled move as replay hands it on: verify, when set, is the image whose clusters must
// hold the move's data (no flush covered the record), checked against the move's digest.
using SimReplayMove =
    std::function<bool(SimVolumeContent&, const SimJournalMove&, CSimImage* verify)>;

class CSimImage {
public:
    static std::unique_ptr<CSimImage> Create(const std::wstring& path,
                                             const SimVolumeContent& content, DWORD* error);
    // Loads the newest snapshot and hands each journalled move of it to replay, stopping at
    // the first it refuses; checkpoints the result when the image was not closed cleanly.
    static std::unique_ptr<CSimImage> Open(const std::wstring& path, SimVolumeContent* content,
                                           const SimReplayMove& replay, DWORD* error);

    [[nodiscard]] bool ReadClusters(uint64_t lcn, uint64_t count, uint8_t* out);
    [[nodiscard]] bool WriteClusters(uint64_t lcn, uint64_t count, const uint8_t* data);
    // Makes every earlier write durable before any later one.
    [[nodiscard]] bool Flush();
    // Appends one move record, the move's commit point, without flushing it.
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
    struct Frame;
    [[nodiscard]] bool ReadAt(uint64_t offset, void* out, size_t size);
    [[nodiscard]] bool WriteAt(uint64_t offset, const void* data, size_t size);
    // Makes a superblock of the next generation durable in the slot not in use, and takes its
    // snapshot and journal as the image's own. sealed: no record follows the snapshot.
    [[nodiscard]] bool CommitSuperblock(uint64_t snapshotOffset, uint64_t snapshotLength,
                                        uint32_t snapshotCrc, uint64_t journalOffset, bool sealed);
    [[nodiscard]] bool WriteTornAt(uint64_t offset, const void* data, size_t size,
                                   SimCrashPoint point);
    // The valid records of the current generation, in sequence, up to the first invalid one.
    std::vector<Frame> ReadJournal();
    void ReplayJournal(SimVolumeContent* content, const SimReplayMove& replay);
    bool InMemory() const { return !file_; }
    bool SimulatesPowerLoss() const;
    // Keeps what a write replaces until the next flush, for a simulated loss of power.
    void RememberOverwritten(uint64_t offset, size_t size);
    void LosePower(SimCrashPoint point);

    KernelHandle file_;
    uint32_t bytesPerCluster_;
    uint64_t totalClusters_;
    uint64_t dataOffset_;
    uint64_t metadataOffset_;
    uint64_t generation_ = 0;
    uint64_t snapshotOffset_ = 0;
    uint64_t snapshotLength_ = 0;
    uint32_t snapshotCrc_ = 0;
    uint64_t journalOffset_ = 0;
    uint64_t journalEnd_ = 0;
    uint64_t journalSequence_ = 0;
    // Every record below this sequence number, and its data, was flushed.
    uint64_t durableSequence_ = 0;
    bool sealed_ = false;
    bool durable_ = true;
    bool crashed_ = false;
    SimCrashPoint crashPoint_ = SimCrashPoint::None;
    int crashCountdown_ = 0;
    std::unordered_map<uint64_t, std::vector<uint8_t>> memoryClusters_;
    struct Overwritten {
        uint64_t offset;
        std::vector<uint8_t> bytes;
    };
    std::vector<Overwritten> unflushed_; // only while a loss of power is armed
};
