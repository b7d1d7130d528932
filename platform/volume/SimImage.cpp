#include "SimImage.h"

#include "SimReader.h"
#include "SimWriter.h"

#include <winioctl.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr uint64_t kSuperblockMagic = 0x56494D534E524158ull; // "XARNSIMV"
constexpr uint32_t kImageVersion = 2;
constexpr uint64_t kSuperblockSlotSize = 4096;
constexpr uint32_t kJournalMagic = 0x4E524A58; // "XJRN"
// magic, length, generation, sequence, the sequence number below which every record is durable
constexpr size_t kJournalHeaderSize = 32;
constexpr uint32_t kMaxJournalPayload = 64 * 1024;

uint64_t AlignUp(uint64_t value, uint64_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

// Positions the next ReadFile or WriteFile at a byte offset of the image. The image is used
// by one thread at a time, and a read or write at the file pointer costs far less than one
// that carries its offset (under Wine several times less).
bool SeekTo(HANDLE file, uint64_t offset) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) != FALSE;
}

struct Superblock {
    uint64_t generation = 0;
    uint32_t bytesPerCluster = 0;
    uint64_t totalClusters = 0;
    uint64_t snapshotOffset = 0;
    uint64_t snapshotLength = 0;
    uint32_t snapshotCrc = 0;
    uint64_t journalOffset = 0;
    uint32_t sealed = 0; // 1: no record follows the snapshot
};

std::vector<uint8_t> EncodeSuperblock(const Superblock& sb) {
    CSimWriter w;
    w.U64(kSuperblockMagic);
    w.U32(kImageVersion);
    w.U64(sb.generation);
    w.U32(sb.bytesPerCluster);
    w.U64(sb.totalClusters);
    w.U64(sb.snapshotOffset);
    w.U64(sb.snapshotLength);
    w.U32(sb.snapshotCrc);
    w.U64(sb.journalOffset);
    w.U32(sb.sealed);
    w.U32(SimCrc32(w.Buffer().data(), w.Buffer().size()));
    return std::move(w.Buffer());
}

bool DecodeSuperblock(const uint8_t* data, size_t size, Superblock* sb) {
    CSimReader r(data, size);
    if (r.U64() != kSuperblockMagic || r.U32() != kImageVersion) {
        return false;
    }
    sb->generation = r.U64();
    sb->bytesPerCluster = r.U32();
    sb->totalClusters = r.U64();
    sb->snapshotOffset = r.U64();
    sb->snapshotLength = r.U64();
    sb->snapshotCrc = r.U32();
    sb->journalOffset = r.U64();
    sb->sealed = r.U32();
    const size_t covered = size - 4;
    const uint32_t crc = r.U32();
    return !r.Failed() && r.AtEnd() && crc == SimCrc32(data, covered) && sb->generation > 0 &&
           sb->bytesPerCluster > 0;
}

constexpr size_t kSuperblockSize = 8 + 4 + 8 + 4 + 8 + 8 + 8 + 4 + 8 + 4 + 4;

uint64_t DataOffsetFor(uint32_t bytesPerCluster) {
    return AlignUp(2 * kSuperblockSlotSize + 56 * 1024, bytesPerCluster);
}

} // namespace

// One journal record as read back.
struct CSimImage::Frame {
    uint64_t end = 0; // offset after the record
    uint64_t durableThrough = 0;
    SimJournalMove move;
};

CSimImage::CSimImage(KernelHandle file, uint32_t bytesPerCluster, uint64_t totalClusters)
    : file_(std::move(file)), bytesPerCluster_(bytesPerCluster), totalClusters_(totalClusters),
      dataOffset_(DataOffsetFor(bytesPerCluster)),
      metadataOffset_(AlignUp(dataOffset_ + totalClusters * bytesPerCluster, 4096)),
      journalEnd_(metadataOffset_) {}

std::unique_ptr<CSimImage> CSimImage::Create(const std::wstring& path,
                                             const SimVolumeContent& content, DWORD* error) {
    KernelHandle file;
    if (!path.empty()) {
        file.Reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            *error = GetLastError();
            return nullptr;
        }
        // Free clusters are never written; where the host supports it they take no space.
        DWORD ignored = 0;
        DeviceIoControl(file.Get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    }
    std::unique_ptr<CSimImage> image(new CSimImage(
        std::move(file), content.geometry.bytesPerCluster, content.geometry.totalClusters));
    if (!image->Checkpoint(content)) {
        *error = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_WRITE_FAULT;
        return nullptr;
    }
    *error = ERROR_SUCCESS;
    return image;
}

std::unique_ptr<CSimImage> CSimImage::Open(const std::wstring& path, SimVolumeContent* content,
                                           const SimReplayMove& replay, DWORD* error) {
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        *error = GetLastError();
        return nullptr;
    }
    Superblock slots[2];
    bool valid[2] = {false, false};
    for (int slot = 0; slot < 2; ++slot) {
        uint8_t raw[kSuperblockSize];
        DWORD read = 0;
        valid[slot] = SeekTo(file.Get(), slot * kSuperblockSlotSize) &&
                      ReadFile(file.Get(), raw, sizeof raw, &read, nullptr) && read == sizeof raw &&
                      DecodeSuperblock(raw, sizeof raw, &slots[slot]);
    }
    // Newest generation first; an unreadable snapshot falls back to the older slot.
    int order[2] = {0, 1};
    if (valid[1] && (!valid[0] || slots[1].generation > slots[0].generation)) {
        std::swap(order[0], order[1]);
    }
    for (int slot : order) {
        if (!valid[slot]) {
            continue;
        }
        const Superblock& sb = slots[slot];
        std::unique_ptr<CSimImage> image(
            new CSimImage(std::move(file), sb.bytesPerCluster, sb.totalClusters));
        std::vector<uint8_t> snapshot(static_cast<size_t>(sb.snapshotLength));
        SimVolumeContent loaded;
        if (sb.snapshotLength > (1ull << 31) ||
            !image->ReadAt(sb.snapshotOffset, snapshot.data(), snapshot.size()) ||
            SimCrc32(snapshot.data(), snapshot.size()) != sb.snapshotCrc ||
            !SimDecodeContent(snapshot.data(), snapshot.size(), &loaded) ||
            loaded.geometry.bytesPerCluster != sb.bytesPerCluster ||
            loaded.geometry.totalClusters != sb.totalClusters) {
            file = std::move(image->file_); // the other slot is tried on the same file
            continue;
        }
        image->generation_ = sb.generation;
        image->snapshotOffset_ = sb.snapshotOffset;
        image->snapshotLength_ = sb.snapshotLength;
        image->snapshotCrc_ = sb.snapshotCrc;
        image->journalOffset_ = sb.journalOffset;
        image->sealed_ = sb.sealed != 0;
        image->ReplayJournal(&loaded, replay);
        // Records the disk kept past the replay's end must never pass for this generation's:
        // a new generation begins with the replayed state.
        if (!image->sealed_ && !image->Checkpoint(loaded)) {
            *error = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_WRITE_FAULT;
            return nullptr;
        }
        *content = std::move(loaded);
        *error = ERROR_SUCCESS;
        return image;
    }
    *error = ERROR_FILE_CORRUPT;
    return nullptr;
}

std::vector<CSimImage::Frame> CSimImage::ReadJournal() {
    std::vector<Frame> frames;
    uint64_t offset = journalOffset_;
    for (;;) {
        uint8_t header[kJournalHeaderSize];
        if (!ReadAt(offset, header, sizeof header)) {
            break;
        }
        CSimReader r(header, sizeof header);
        const uint32_t magic = r.U32();
        const uint32_t length = r.U32();
        const uint64_t generation = r.U64();
        const uint64_t sequence = r.U64();
        const uint64_t durableThrough = r.U64();
        if (magic != kJournalMagic || length > kMaxJournalPayload || generation != generation_ ||
            sequence != frames.size() || durableThrough > sequence) {
            break;
        }
        std::vector<uint8_t> record(kJournalHeaderSize + length + 4);
        uint32_t crc = 0;
        if (!ReadAt(offset, record.data(), record.size())) {
            break;
        }
        std::memcpy(&crc, record.data() + kJournalHeaderSize + length, 4);
        Frame frame;
        if (crc != SimCrc32(record.data(), kJournalHeaderSize + length) ||
            !SimDecodeMove(record.data() + kJournalHeaderSize, length, &frame.move)) {
            break;
        }
        offset += record.size();
        frame.end = offset;
        frame.durableThrough = durableThrough;
        frames.push_back(std::move(frame));
    }
    return frames;
}

void CSimImage::ReplayJournal(SimVolumeContent* content, const SimReplayMove& replay) {
    const std::vector<Frame> frames = ReadJournal();
    // A record's data was flushed before any record that names a later durable point was
    // written; the records from the last such point on are checked against their digests.
    const uint64_t durable = frames.empty() ? 0 : frames.back().durableThrough;
    journalSequence_ = 0;
    journalEnd_ = journalOffset_;
    for (const Frame& frame : frames) {
        if (!replay(*content, frame.move, journalSequence_ < durable ? nullptr : this)) {
            break;
        }
        journalEnd_ = frame.end;
        ++journalSequence_;
    }
    durableSequence_ = journalSequence_;
}

bool CSimImage::ReadAt(uint64_t offset, void* out, size_t size) {
    auto* bytes = static_cast<uint8_t*>(out);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        DWORD read = 0;
        if (!SeekTo(file_.Get(), offset) || !ReadFile(file_.Get(), bytes, chunk, &read, nullptr)) {
            return false;
        }
        if (read < chunk) {
            // Past the end of the file: never written, so zeros.
            std::memset(bytes + read, 0, size - read);
            return true;
        }
        bytes += read;
        size -= read;
        offset += read;
    }
    return true;
}

bool CSimImage::WriteAt(uint64_t offset, const void* data, size_t size) {
    if (crashed_) {
        SetLastError(ERROR_NOT_READY);
        return false;
    }
    if (SimulatesPowerLoss()) {
        RememberOverwritten(offset, size);
    }
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!SeekTo(file_.Get(), offset) ||
            !WriteFile(file_.Get(), bytes, chunk, &written, nullptr) || written != chunk) {
            return false;
        }
        bytes += chunk;
        size -= chunk;
        offset += chunk;
    }
    return true;
}

bool CSimImage::WriteTornAt(uint64_t offset, const void* data, size_t size, SimCrashPoint point) {
    if (crashPoint_ != point || crashCountdown_ != 1) {
        Reached(point); // counts an earlier arrival at an armed point
        return WriteAt(offset, data, size);
    }
    // The torn half lands as far as it can; the write fails either way.
    static_cast<void>(WriteAt(offset, data, size / 2));
    static_cast<void>(Flush());
    Reached(point);
    SetLastError(ERROR_NOT_READY);
    return false;
}

bool CSimImage::Reached(SimCrashPoint point) {
    if (crashed_) {
        return true;
    }
    if (point != crashPoint_ || crashCountdown_ <= 0) {
        return false;
    }
    if (--crashCountdown_ == 0) {
        crashed_ = true;
        crashPoint_ = SimCrashPoint::None;
    }
    return crashed_;
}

bool CSimImage::SimulatesPowerLoss() const {
    return !InMemory() && (crashPoint_ == SimCrashPoint::PowerLossKeepingRecords ||
                           crashPoint_ == SimCrashPoint::PowerLossKeepingData ||
                           crashPoint_ == SimCrashPoint::PowerLossLosingARecord);
}

void CSimImage::RememberOverwritten(uint64_t offset, size_t size) {
    Overwritten overwritten{offset, std::vector<uint8_t>(size)};
    if (!ReadAt(offset, overwritten.bytes.data(), size)) {
        overwritten.bytes.assign(size, 0);
    }
    unflushed_.push_back(std::move(overwritten));
}

// Puts back what the chosen unflushed writes replaced, latest first, as if the disk had never
// received them; the image then stops for good.
void CSimImage::LosePower(SimCrashPoint point) {
    const std::vector<Overwritten> writes = std::move(unflushed_);
    unflushed_.clear();
    const auto isRecord = [this](const Overwritten& write) {
        return write.offset >= metadataOffset_;
    };
    const auto firstRecord = std::find_if(writes.begin(), writes.end(), isRecord);
    for (auto it = writes.rbegin(); it != writes.rend(); ++it) {
        const bool lost = point == SimCrashPoint::PowerLossKeepingRecords ? !isRecord(*it)
                          : point == SimCrashPoint::PowerLossKeepingData
                              ? isRecord(*it)
                              : firstRecord != writes.end() && &*it == &*firstRecord;
        if (lost) {
            static_cast<void>(WriteAt(it->offset, it->bytes.data(), it->bytes.size()));
        }
    }
    unflushed_.clear();
    Reached(point);
}

bool CSimImage::Flush() {
    if (crashed_) {
        SetLastError(ERROR_NOT_READY);
        return false;
    }
    if (!InMemory() && durable_ && !FlushFileBuffers(file_.Get())) {
        return false;
    }
    unflushed_.clear();
    durableSequence_ = journalSequence_;
    return true;
}

bool CSimImage::ReadClusters(uint64_t lcn, uint64_t count, uint8_t* out) {
    if (!InMemory()) {
        return ReadAt(dataOffset_ + lcn * bytesPerCluster_, out,
                      static_cast<size_t>(count * bytesPerCluster_));
    }
    for (uint64_t i = 0; i < count; ++i, out += bytesPerCluster_) {
        auto found = memoryClusters_.find(lcn + i);
        if (found == memoryClusters_.end()) {
            std::memset(out, 0, bytesPerCluster_);
        } else {
            std::memcpy(out, found->second.data(), bytesPerCluster_);
        }
    }
    return true;
}

bool CSimImage::WriteClusters(uint64_t lcn, uint64_t count, const uint8_t* data) {
    if (!InMemory()) {
        return WriteAt(dataOffset_ + lcn * bytesPerCluster_, data,
                       static_cast<size_t>(count * bytesPerCluster_));
    }
    if (crashed_) {
        return false;
    }
    for (uint64_t i = 0; i < count; ++i, data += bytesPerCluster_) {
        memoryClusters_[lcn + i].assign(data, data + bytesPerCluster_);
    }
    return true;
}

bool CSimImage::CommitSuperblock(uint64_t snapshotOffset, uint64_t snapshotLength,
                                 uint32_t snapshotCrc, uint64_t journalOffset, bool sealed) {
    Superblock sb;
    sb.generation = generation_ + 1;
    sb.bytesPerCluster = bytesPerCluster_;
    sb.totalClusters = totalClusters_;
    sb.snapshotOffset = snapshotOffset;
    sb.snapshotLength = snapshotLength;
    sb.snapshotCrc = snapshotCrc;
    sb.journalOffset = journalOffset;
    sb.sealed = sealed ? 1 : 0;
    const std::vector<uint8_t> raw = EncodeSuperblock(sb);
    if (!WriteTornAt((sb.generation % 2) * kSuperblockSlotSize, raw.data(), raw.size(),
                     SimCrashPoint::TornSuperblock) ||
        !Flush()) {
        return false;
    }
    generation_ = sb.generation;
    snapshotOffset_ = snapshotOffset;
    snapshotLength_ = snapshotLength;
    snapshotCrc_ = snapshotCrc;
    journalOffset_ = journalOffset;
    journalEnd_ = journalOffset;
    journalSequence_ = 0;
    durableSequence_ = 0;
    sealed_ = sealed;
    return true;
}

bool CSimImage::AppendMove(const SimJournalMove& move) {
    if (InMemory()) {
        return !crashed_;
    }
    // The first record after a checkpoint: a superblock of the next generation says that
    // records follow.
    if (sealed_ &&
        !CommitSuperblock(snapshotOffset_, snapshotLength_, snapshotCrc_, journalOffset_, false)) {
        return false;
    }
    const std::vector<uint8_t> payload = SimEncodeMove(move);
    CSimWriter w;
    w.U32(kJournalMagic);
    w.U32(static_cast<uint32_t>(payload.size()));
    w.U64(generation_);
    w.U64(journalSequence_);
    w.U64(durableSequence_);
    w.Raw(payload.data(), payload.size());
    w.U32(SimCrc32(w.Buffer().data(), w.Buffer().size()));
    const std::vector<uint8_t>& record = w.Buffer();
    if (!WriteTornAt(journalEnd_, record.data(), record.size(), SimCrashPoint::TornJournalRecord)) {
        return false;
    }
    journalEnd_ += record.size();
    ++journalSequence_;
    // The record is written: the move has happened even if we stop right here, unless the
    // power goes before the next flush.
    if (SimulatesPowerLoss()) {
        if (crashCountdown_ == 1) {
            LosePower(crashPoint_);
        } else {
            Reached(crashPoint_);
        }
    }
    Reached(SimCrashPoint::AfterJournalRecord);
    return true;
}

bool CSimImage::JournalIsLarge() const {
    return journalEnd_ - journalOffset_ > std::max<uint64_t>(256u << 10, snapshotLength_);
}

bool CSimImage::Checkpoint(const SimVolumeContent& content) {
    if (InMemory()) {
        return !crashed_;
    }
    const std::vector<uint8_t> snapshot = SimEncodeContent(content);
    // Below the current snapshot when it fits there, else after the current journal: never
    // over what the current superblock still points at.
    const uint64_t offset = generation_ > 0 && metadataOffset_ + snapshot.size() <= snapshotOffset_
                                ? metadataOffset_
                                : AlignUp(journalEnd_, 4096);
    if (!WriteTornAt(offset, snapshot.data(), snapshot.size(), SimCrashPoint::TornSnapshot) ||
        !Flush()) {
        return false;
    }
    return CommitSuperblock(offset, snapshot.size(), SimCrc32(snapshot.data(), snapshot.size()),
                            AlignUp(offset + snapshot.size(), 512), true);
}
