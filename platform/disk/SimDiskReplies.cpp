#include "SimDiskReplies.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kSmartEntries = 30;
constexpr size_t kSmartEntrySize = 12;

void PutWord(std::vector<BYTE>& block, size_t word, uint16_t value) {
    block[word * 2] = static_cast<BYTE>(value);
    block[word * 2 + 1] = static_cast<BYTE>(value >> 8);
}

// An ATA string field of `words` words, padded with blanks.
void PutString(std::vector<BYTE>& block, size_t firstWord, size_t words, const std::string& text) {
    for (size_t i = 0; i < words * 2; ++i) {
        const char c = i < text.size() ? text[i] : ' ';
        // Character 2k lies in the high byte of word k.
        block[firstWord * 2 + (i ^ 1)] = static_cast<BYTE>(c);
    }
}

} // namespace

std::vector<BYTE> BuildIdentifyData(const SimDiskDescription& disk) {
    std::vector<BYTE> block(512, 0);
    PutString(block, 10, 10, disk.serial);
    PutString(block, 23, 4, disk.firmware);
    PutString(block, 27, 20, disk.model);
    const uint64_t sectors = disk.TotalBytes() / disk.bytesPerSector;
    const uint32_t lba28 = static_cast<uint32_t>(std::min<uint64_t>(sectors, 0x0FFFFFFF));
    PutWord(block, 60, static_cast<uint16_t>(lba28));
    PutWord(block, 61, static_cast<uint16_t>(lba28 >> 16));
    for (const auto& [index, value] : disk.identifyWords)
        PutWord(block, index, value);
    return block;
}

std::vector<BYTE> BuildSmartValues(const SimDiskDescription& disk) {
    std::vector<BYTE> block(512, 0);
    PutWord(block, 0, 0x0010);
    for (size_t k = 0; k < std::min(kSmartEntries, disk.attributes.size()); ++k) {
        const SimSmartAttribute& a = disk.attributes[k];
        BYTE* entry = block.data() + 2 + k * kSmartEntrySize;
        entry[0] = a.id;
        entry[1] = static_cast<BYTE>(a.flags);
        entry[2] = static_cast<BYTE>(a.flags >> 8);
        entry[3] = a.current;
        entry[4] = a.worst;
        memcpy(entry + 5, a.raw.data(), a.raw.size());
    }
    return block;
}

std::vector<BYTE> BuildSmartThresholds(const SimDiskDescription& disk) {
    std::vector<BYTE> block(512, 0);
    PutWord(block, 0, 0x0010);
    for (size_t k = 0; k < std::min(kSmartEntries, disk.attributes.size()); ++k) {
        BYTE* entry = block.data() + 2 + k * kSmartEntrySize;
        entry[0] = disk.attributes[k].id;
        entry[1] = disk.attributes[k].threshold;
    }
    return block;
}

std::vector<BYTE> BuildDeviceDescriptor(const SimDiskDescription& disk) {
    std::vector<BYTE> block(offsetof(STORAGE_DEVICE_DESCRIPTOR, RawDeviceProperties), 0);
    DWORD offsets[3] = {};
    const std::string* texts[3] = {&disk.vendor, &disk.product, &disk.revision};
    for (int i = 0; i < 3; ++i) {
        if (texts[i]->empty())
            continue;
        offsets[i] = static_cast<DWORD>(block.size());
        block.insert(block.end(), texts[i]->begin(), texts[i]->end());
        block.push_back(0);
    }
    STORAGE_DEVICE_DESCRIPTOR header{};
    header.Version = sizeof(STORAGE_DEVICE_DESCRIPTOR);
    header.Size = static_cast<DWORD>(block.size());
    header.DeviceType = 0; // direct-access device
    header.RemovableMedia = disk.usb;
    header.VendorIdOffset = offsets[0];
    header.ProductIdOffset = offsets[1];
    header.ProductRevisionOffset = offsets[2];
    header.BusType = disk.usb ? BusTypeUsb : BusTypeAta;
    memcpy(block.data(), &header, offsetof(STORAGE_DEVICE_DESCRIPTOR, RawDeviceProperties));
    return block;
}

PARTITION_INFORMATION_EX BuildPartitionInfo(const SimDiskDescription& disk,
                                            const SimPartition& partition) {
    PARTITION_INFORMATION_EX info{};
    info.PartitionStyle = disk.gpt ? PARTITION_STYLE_GPT : PARTITION_STYLE_MBR;
    info.StartingOffset.QuadPart = static_cast<LONGLONG>(partition.start);
    info.PartitionLength.QuadPart = static_cast<LONGLONG>(partition.length);
    info.PartitionNumber = partition.number;
    if (disk.gpt) {
        info.Gpt.PartitionId.Data1 = partition.number;
    } else {
        info.Mbr.PartitionType = partition.type;
        info.Mbr.BootIndicator = partition.boot;
        info.Mbr.RecognizedPartition = partition.type != 0;
        info.Mbr.HiddenSectors = static_cast<DWORD>(partition.start / disk.bytesPerSector);
    }
    return info;
}

std::vector<BYTE> BuildDriveLayout(const SimDiskDescription& disk) {
    size_t count = disk.partitions.size();
    if (!disk.gpt)
        count = (count + 3) / 4 * 4;
    const size_t header = offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry);
    std::vector<BYTE> block(header + count * sizeof(PARTITION_INFORMATION_EX), 0);
    auto* layout = reinterpret_cast<DRIVE_LAYOUT_INFORMATION_EX*>(block.data());
    layout->PartitionStyle = disk.gpt ? PARTITION_STYLE_GPT : PARTITION_STYLE_MBR;
    layout->PartitionCount = static_cast<DWORD>(count);
    if (!disk.gpt)
        layout->Mbr.Signature = 0x5A1D15C0;
    for (size_t i = 0; i < count; ++i) {
        PARTITION_INFORMATION_EX entry{};
        entry.PartitionStyle = static_cast<PARTITION_STYLE>(layout->PartitionStyle);
        if (i < disk.partitions.size())
            entry = BuildPartitionInfo(disk, disk.partitions[i]);
        memcpy(block.data() + header + i * sizeof(PARTITION_INFORMATION_EX), &entry, sizeof(entry));
    }
    return block;
}
