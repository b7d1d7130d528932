// What a simulated disk answers, read from a description file of "key value" lines ("#"
// begins a comment line):
//   geometry BYTES_PER_SECTOR SECTORS_PER_TRACK TRACKS_PER_CYLINDER CYLINDERS
//   backing PATH               reads are served from this file (zeros past its end or without)
//   model TEXT / serial TEXT / firmware TEXT   IDENTIFY strings, taken verbatim after one blank
//   word INDEX VALUE           one more IDENTIFY word (decimal index, value 0x.. or decimal)
//   atapi yes                  a packet device: answers IDENTIFY PACKET (0xA1) only
//   capabilities FLAGS         the S.M.A.R.T. version data's capability flags (default 7)
//   attribute ID FLAGS CURRENT WORST THRESHOLD RAW12HEX   in list order (the first 30 count)
//   vendor TEXT / product TEXT / revision TEXT   the storage descriptor's strings
//   bus usb                    a USB drive: removable, no S.M.A.R.T.
//   smart no                   no S.M.A.R.T. (SMART_GET_VERSION fails)
//   style gpt                  a GPT partition table
//   partition NUMBER TYPE BOOT START LENGTH
//   volume PARTITION_NUMBER MOUNT_PATH|- LABEL|- FILE_SYSTEM TOTAL FREE
//   fault read                 every read fails (ERROR_CRC)
//   fault open                 the drive cannot be opened (ERROR_ACCESS_DENIED)
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct SimSmartAttribute {
    uint8_t id = 0;
    uint16_t flags = 0;
    uint8_t current = 0;
    uint8_t worst = 0;
    uint8_t threshold = 0;
    std::array<uint8_t, 6> raw{};
};

struct SimPartition {
    uint32_t number = 0;
    uint8_t type = 0;
    bool boot = false;
    uint64_t start = 0;
    uint64_t length = 0;
};

struct SimVolume {
    uint32_t partitionNumber = 0;
    std::wstring mountPath; // empty: not mounted
    std::wstring label;
    std::wstring fileSystem;
    uint64_t totalBytes = 0;
    uint64_t freeBytes = 0;
};

struct SimDiskDescription {
    uint32_t bytesPerSector = 512;
    uint32_t sectorsPerTrack = 63;
    uint32_t tracksPerCylinder = 255;
    uint64_t cylinders = 0;
    std::wstring backingFile;
    std::string model, serial, firmware;
    std::vector<std::pair<uint32_t, uint16_t>> identifyWords;
    bool atapi = false;
    uint32_t capabilities = 7;
    std::vector<SimSmartAttribute> attributes;
    std::string vendor, product, revision;
    bool usb = false;
    bool smart = true;
    bool gpt = false;
    std::vector<SimPartition> partitions;
    std::vector<SimVolume> volumes;
    bool failReads = false;
    bool failOpen = false;

    uint64_t TotalBytes() const {
        return cylinders * tracksPerCylinder * sectorsPerTrack * bytesPerSector;
    }
};

// The description in text; nullopt with a message naming the first bad line.
std::optional<SimDiskDescription> ParseSimDiskDescription(const std::string& text,
                                                          std::string* error = nullptr);
// The same from a file (UTF-8 text).
std::optional<SimDiskDescription> LoadSimDiskDescription(const std::wstring& path,
                                                         std::string* error = nullptr);
