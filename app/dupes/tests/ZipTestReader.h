// Reads back an archive of the zip writer for the tests: the end records (Zip64 too), the
// central directory, local headers and each entry's bytes (inflated and CRC-checked).
#pragma once

#include <windows.h>

#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

struct ZipTestEntry {
    std::string name;
    WORD versionMadeBy = 0, versionNeeded = 0, flags = 0, method = 0, time = 0, date = 0;
    DWORD crc = 0, externalAttributes = 0;
    ULONGLONG compressed = 0, uncompressed = 0, offset = 0;
    bool zip64Extra = false;
};

class ZipTestReader {
public:
    explicit ZipTestReader(std::string bytes) : bytes_(std::move(bytes)) { Parse(); }

    bool ok = false;
    bool zip64End = false;
    std::vector<ZipTestEntry> entries;

    const ZipTestEntry* Find(const std::string& name) const {
        for (const auto& entry : entries) {
            if (entry.name == name)
                return &entry;
        }
        return nullptr;
    }
    // The entry's uncompressed bytes; false when the local header, the data or the CRC is bad.
    bool Extract(const ZipTestEntry& entry, std::string& out) const {
        if (entry.offset + 30 > bytes_.size() || U32(entry.offset) != 0x04034B50)
            return false;
        const size_t nameLength = U16(entry.offset + 26);
        const size_t extraLength = U16(entry.offset + 28);
        if (bytes_.compare(entry.offset + 30, nameLength, entry.name) != 0)
            return false;
        const size_t data = entry.offset + 30 + nameLength + extraLength;
        if (data + entry.compressed > bytes_.size())
            return false;
        if (entry.method == 0) {
            out = bytes_.substr(data, entry.compressed);
        } else {
            z_stream stream{};
            if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
                return false;
            out.assign(entry.uncompressed, '\0');
            stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes_.data() + data));
            stream.avail_in = static_cast<uInt>(entry.compressed);
            stream.next_out = reinterpret_cast<Bytef*>(out.data());
            stream.avail_out = static_cast<uInt>(out.size());
            const int result = inflate(&stream, Z_FINISH);
            inflateEnd(&stream);
            if (result != Z_STREAM_END || stream.total_out != entry.uncompressed)
                return false;
        }
        return crc32(0, reinterpret_cast<const Bytef*>(out.data()),
                     static_cast<uInt>(out.size())) == entry.crc;
    }
    WORD LocalFlags(const ZipTestEntry& entry) const { return U16(entry.offset + 6); }

private:
    WORD U16(size_t at) const {
        WORD value;
        std::memcpy(&value, bytes_.data() + at, 2);
        return value;
    }
    DWORD U32(size_t at) const {
        DWORD value;
        std::memcpy(&value, bytes_.data() + at, 4);
        return value;
    }
    ULONGLONG U64(size_t at) const {
        ULONGLONG value;
        std::memcpy(&value, bytes_.data() + at, 8);
        return value;
    }
    void Parse() {
        if (bytes_.size() < 22)
            return;
        const size_t end = bytes_.size() - 22;
        if (U32(end) != 0x06054B50)
            return;
        ULONGLONG count = U16(end + 10);
        ULONGLONG directory = U32(end + 16);
        if (end >= 20 && U32(end - 20) == 0x07064B50) {
            const size_t zip64 = static_cast<size_t>(U64(end - 20 + 8));
            if (U32(zip64) != 0x06064B50)
                return;
            zip64End = true;
            count = U64(zip64 + 32);
            directory = U64(zip64 + 48);
        }
        size_t at = static_cast<size_t>(directory);
        for (ULONGLONG i = 0; i < count; ++i) {
            if (at + 46 > bytes_.size() || U32(at) != 0x02014B50)
                return;
            ZipTestEntry entry;
            entry.versionMadeBy = U16(at + 4);
            entry.versionNeeded = U16(at + 6);
            entry.flags = U16(at + 8);
            entry.method = U16(at + 10);
            entry.time = U16(at + 12);
            entry.date = U16(at + 14);
            entry.crc = U32(at + 16);
            entry.compressed = U32(at + 20);
            entry.uncompressed = U32(at + 24);
            const size_t nameLength = U16(at + 28), extraLength = U16(at + 30),
                         commentLength = U16(at + 32);
            entry.externalAttributes = U32(at + 38);
            entry.offset = U32(at + 42);
            entry.name = bytes_.substr(at + 46, nameLength);
            for (size_t extra = at + 46 + nameLength;
                 extra + 4 <= at + 46 + nameLength + extraLength;) {
                const WORD id = U16(extra), size = U16(extra + 2);
                if (id == 1) {
                    entry.zip64Extra = true;
                    size_t field = extra + 4;
                    if (entry.uncompressed == 0xFFFFFFFF)
                        entry.uncompressed = U64(field), field += 8;
                    if (entry.compressed == 0xFFFFFFFF)
                        entry.compressed = U64(field), field += 8;
                    if (entry.offset == 0xFFFFFFFF)
                        entry.offset = U64(field);
                }
                extra += 4 + size;
            }
            entries.push_back(entry);
            at += 46 + nameLength + extraLength + commentLength;
        }
        ok = true;
    }

    std::string bytes_;
};
