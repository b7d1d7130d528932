#include "ZipWriter.h"

#include "FileReadAt.h"

#include <owners/WinOwners.h>

#include <zlib.h>

#include <atomic>
#include <climits>
#include <memory>
#include <string>
#include <vector>

namespace {

std::atomic<DWORD> g_lastResult{kZipOk};

DWORD Outcome(DWORD result) {
    g_lastResult = result;
    return result;
}

constexpr int kArchiveWriterKind = 2;

constexpr DWORD kLocalHeaderSignature = 0x04034B50;
constexpr DWORD kCentralHeaderSignature = 0x02014B50;
constexpr DWORD kEndSignature = 0x06054B50;
constexpr DWORD kZip64EndSignature = 0x06064B50;
constexpr DWORD kZip64LocatorSignature = 0x07064B50;
constexpr WORD kVersionNeeded = 20;
constexpr WORD kVersionNeededZip64 = 45;
constexpr WORD kVersionMadeBy = 0x0B17;
constexpr WORD kVersionMadeByZip64 = 0x0B2D;
constexpr WORD kExtendedTimestampId = 0x5455;
constexpr WORD kZip64ExtraId = 0x0001;
constexpr WORD kUtf8NameFlag = 0x0800;
constexpr WORD kMethodStored = 0;
constexpr WORD kMethodDeflated = 8;
// From this value on a size or offset is written as 0xFFFFFFFF and kept in a Zip64 field.
constexpr ULONGLONG kClassicLimit = 0xFFFFFFFF;
constexpr ULONGLONG kClassicCountLimit = 0xFFFF;
constexpr DWORD kInputBytes = 16384;
constexpr DWORD kOutputBytes = 65536;
constexpr int kDeflateLevel = 8;
constexpr size_t kMaxNameBytes = 0xFFFF;
constexpr size_t kCentralFlushBytes = 1 << 20;
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY |
                                  FILE_ATTRIBUTE_ARCHIVE;

class LittleEndian {
public:
    explicit LittleEndian(std::vector<BYTE>& out) : out_(out) {}
    LittleEndian& U8(BYTE value) {
        out_.push_back(value);
        return *this;
    }
    LittleEndian& U16(WORD value) { return Put(value, 2); }
    LittleEndian& U32(DWORD value) { return Put(value, 4); }
    LittleEndian& U64(ULONGLONG value) { return Put(value, 8); }
    LittleEndian& Bytes(const std::string& bytes) {
        out_.insert(out_.end(), bytes.begin(), bytes.end());
        return *this;
    }

private:
    LittleEndian& Put(ULONGLONG value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out_.push_back(static_cast<BYTE>(value >> (8 * i)));
        return *this;
    }
    std::vector<BYTE>& out_;
};

struct DosStamp {
    WORD time = 0;
    WORD date = 0;
};

// MS-DOS dates run from 1980 to 2107; times outside are clamped to the nearest end.
DosStamp ToDosStamp(const SYSTEMTIME& st) {
    if (st.wYear < 1980)
        return DosStamp{0, (1 << 5) | 1};
    if (st.wYear > 2107)
        return DosStamp{(23 << 11) | (59 << 5) | 29, (127 << 9) | (12 << 5) | 31};
    return DosStamp{static_cast<WORD>((st.wHour << 11) | (st.wMinute << 5) | (st.wSecond / 2)),
                    static_cast<WORD>(((st.wYear - 1980) << 9) | (st.wMonth << 5) | st.wDay)};
}

// Whole seconds since 1970, clamped into the 32 bits of the extended timestamp field.
LONG ToUnixSeconds(const FILETIME& time) {
    constexpr LONGLONG kUnixEpochSeconds = 11644473600LL;
    const ULONGLONG ticks = (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime;
    const LONGLONG seconds = static_cast<LONGLONG>(ticks / 10000000ull) - kUnixEpochSeconds;
    if (seconds < LONG_MIN)
        return LONG_MIN;
    if (seconds > LONG_MAX)
        return LONG_MAX;
    return static_cast<LONG>(seconds);
}

// Archives and compressed files are stored as they are.
bool IsStoredName(const std::wstring& name) {
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos)
        return false;
    const std::wstring extension = name.substr(dot);
    for (const wchar_t* stored : {L".zip", L".zoo", L".arc", L".lzh", L".arj", L".gz", L".tgz"}) {
        if (CompareStringOrdinal(extension.c_str(), -1, stored, -1, TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}

// UTF-8 of the name; false for text that is not valid UTF-16.
bool ToUtf8(const std::wstring& text, std::string& utf8) {
    const int bytes =
        WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.c_str(),
                            static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return false;
    utf8.assign(static_cast<size_t>(bytes), '\0');
    return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.c_str(),
                               static_cast<int>(text.size()), utf8.data(), bytes, nullptr,
                               nullptr) == bytes;
}

bool IsAscii(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// A program image: "MZ", a new header inside the file, and a known signature there.
bool IsExecutableImage(HANDLE file, ULONGLONG size) {
    BYTE head[64];
    if (size <= 40 || size < sizeof head || !ReadFileAt(file, 0, head, sizeof head) ||
        head[0] != 0x4D || head[1] != 0x5A)
        return false;
    const DWORD newHeader = static_cast<DWORD>(head[60]) | (static_cast<DWORD>(head[61]) << 8) |
                            (static_cast<DWORD>(head[62]) << 16) |
                            (static_cast<DWORD>(head[63]) << 24);
    DWORD signature = 0;
    if (ULONGLONG{newHeader} + 52 >= size || !ReadFileAt(file, newHeader, &signature, 4))
        return false;
    return signature == 0x454C || signature == 0x454E || signature == 0x4550 || signature == 0x5A4D;
}

// The most deflate can make of `size` bytes (stored blocks and the stream's end included).
ULONGLONG DeflateBound(ULONGLONG size) {
    return size + (size >> 12) + (size >> 14) + (size >> 25) + 64;
}

struct ZipEntryRecord {
    std::string name;
    WORD flags = 0;
    WORD method = kMethodDeflated;
    DosStamp stamp;
    DWORD crc = 0;
    ULONGLONG compressed = 0;
    ULONGLONG uncompressed = 0;
    ULONGLONG headerOffset = 0;
    DWORD externalAttributes = 0;
    LONG modified = 0;
    LONG accessed = 0;
    LONG created = 0;
    bool zip64Local = false; // the local header carries the sizes in a Zip64 field
};

struct DeflaterDeleter {
    void operator()(z_stream* stream) const {
        deflateEnd(stream);
        delete stream;
    }
};

} // namespace

class ZipArchiveWriter {
public:
    explicit ZipArchiveWriter(KernelHandle file)
        : file_(std::move(file)), input_(kInputBytes), output_(kOutputBytes) {}

    // `source` is an open handle on the file to add, or null to open `sourcePath`.
    DWORD Add(LPCWSTR sourcePath, HANDLE source, LPCWSTR entryName, int kind);
    DWORD Close();

private:
    DWORD Write(const void* data, size_t bytes);
    DWORD WriteAt(ULONGLONG offset, const std::vector<BYTE>& bytes);
    DWORD RollBack(ULONGLONG offset);
    DWORD Fail(DWORD result) {
        failed_ = true;
        return result;
    }
    DWORD CopyData(HANDLE source, ZipEntryRecord& entry);
    DWORD Deflate(const BYTE* data, DWORD bytes, int flush, ZipEntryRecord& entry);
    static std::vector<BYTE> LocalHeader(const ZipEntryRecord& entry);
    static void AppendCentralHeader(std::vector<BYTE>& out, const ZipEntryRecord& entry);
    DWORD WriteEndRecords(ULONGLONG directoryOffset);

    KernelHandle file_;
    ULONGLONG offset_ = 0;
    std::vector<ZipEntryRecord> entries_;
    std::vector<BYTE> input_;
    std::vector<BYTE> output_;
    std::unique_ptr<z_stream, DeflaterDeleter> deflater_; // made at the first deflated entry
    bool failed_ = false;
    bool closed_ = false;
};

struct ZipHandleRecord {
    int kind = kArchiveWriterKind;
    std::unique_ptr<ZipArchiveWriter> writer;
};

DWORD ZipArchiveWriter::Write(const void* data, size_t bytes) {
    const BYTE* next = static_cast<const BYTE*>(data);
    while (bytes != 0) {
        const DWORD chunk = bytes > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes);
        DWORD written = 0;
        if (!WriteFile(file_.Get(), next, chunk, &written, nullptr) || written != chunk)
            return Fail(kZipWriteFailed);
        next += chunk;
        bytes -= chunk;
        offset_ += chunk;
    }
    return kZipOk;
}

DWORD ZipArchiveWriter::WriteAt(ULONGLONG offset, const std::vector<BYTE>& bytes) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file_.Get(), at, nullptr, FILE_BEGIN))
        return Fail(kZipSeekFailed);
    DWORD written = 0;
    if (!WriteFile(file_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr) ||
        written != bytes.size())
        return Fail(kZipWriteFailed);
    at.QuadPart = static_cast<LONGLONG>(offset_);
    if (!SetFilePointerEx(file_.Get(), at, nullptr, FILE_BEGIN))
        return Fail(kZipSeekFailed);
    return kZipOk;
}

// Cuts the archive back to `offset`, dropping an entry that could not be finished.
DWORD ZipArchiveWriter::RollBack(ULONGLONG offset) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file_.Get(), at, nullptr, FILE_BEGIN) || !SetEndOfFile(file_.Get()))
        return Fail(kZipSeekFailed);
    offset_ = offset;
    return kZipOk;
}

DWORD ZipArchiveWriter::Deflate(const BYTE* data, DWORD bytes, int flush, ZipEntryRecord& entry) {
    z_stream& stream = *deflater_;
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = bytes;
    for (;;) {
        stream.next_out = output_.data();
        stream.avail_out = kOutputBytes;
        const int result = deflate(&stream, flush);
        if (result == Z_STREAM_ERROR)
            return kZipCompressorFailed;
        const DWORD made = kOutputBytes - stream.avail_out;
        if (made != 0) {
            if (const DWORD written = Write(output_.data(), made))
                return written;
            entry.compressed += made;
        }
        if (flush == Z_FINISH ? result == Z_STREAM_END : stream.avail_out != 0)
            return kZipOk;
        if (result == Z_BUF_ERROR && made == 0)
            return kZipCompressorFailed;
    }
}

DWORD ZipArchiveWriter::CopyData(HANDLE source, ZipEntryRecord& entry) {
    const bool deflated = entry.method == kMethodDeflated;
    if (deflated) {
        if (!deflater_) {
            std::unique_ptr<z_stream, DeflaterDeleter> stream(new z_stream{});
            if (deflateInit2(stream.get(), kDeflateLevel, Z_DEFLATED, -MAX_WBITS, 8,
                             Z_DEFAULT_STRATEGY) != Z_OK) {
                delete stream.release(); // deflateEnd has nothing to end
                return kZipCompressorFailed;
            }
            deflater_ = std::move(stream);
        } else if (deflateReset(deflater_.get()) != Z_OK) {
            return kZipCompressorFailed;
        }
    }
    uLong crc = crc32(0, nullptr, 0);
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(source, input_.data(), kInputBytes, &read, nullptr))
            return kZipNoFile;
        if (read == 0)
            break;
        crc = crc32(crc, input_.data(), read);
        entry.uncompressed += read;
        const DWORD result =
            deflated ? Deflate(input_.data(), read, Z_NO_FLUSH, entry) : Write(input_.data(), read);
        if (result != kZipOk)
            return result;
        if (!deflated)
            entry.compressed += read;
    }
    entry.crc = static_cast<DWORD>(crc);
    return deflated ? Deflate(nullptr, 0, Z_FINISH, entry) : kZipOk;
}

std::vector<BYTE> ZipArchiveWriter::LocalHeader(const ZipEntryRecord& entry) {
    std::vector<BYTE> header;
    LittleEndian out(header);
    const WORD extraLength = 17 + (entry.zip64Local ? 20 : 0);
    out.U32(kLocalHeaderSignature)
        .U16(entry.zip64Local ? kVersionNeededZip64 : kVersionNeeded)
        .U16(entry.flags)
        .U16(entry.method)
        .U16(entry.stamp.time)
        .U16(entry.stamp.date)
        .U32(entry.crc)
        .U32(entry.zip64Local ? 0xFFFFFFFF : static_cast<DWORD>(entry.compressed))
        .U32(entry.zip64Local ? 0xFFFFFFFF : static_cast<DWORD>(entry.uncompressed))
        .U16(static_cast<WORD>(entry.name.size()))
        .U16(extraLength)
        .Bytes(entry.name)
        .U16(kExtendedTimestampId)
        .U16(13)
        .U8(7)
        .U32(static_cast<DWORD>(entry.modified))
        .U32(static_cast<DWORD>(entry.accessed))
        .U32(static_cast<DWORD>(entry.created));
    if (entry.zip64Local)
        out.U16(kZip64ExtraId).U16(16).U64(entry.uncompressed).U64(entry.compressed);
    return header;
}

void ZipArchiveWriter::AppendCentralHeader(std::vector<BYTE>& out, const ZipEntryRecord& entry) {
    const bool bigUncompressed = entry.uncompressed >= kClassicLimit;
    const bool bigCompressed = entry.compressed >= kClassicLimit;
    const bool bigOffset = entry.headerOffset >= kClassicLimit;
    const WORD zip64Fields = static_cast<WORD>(bigUncompressed + bigCompressed + bigOffset);
    const bool zip64 = zip64Fields != 0 || entry.zip64Local;
    const WORD extraLength = 9 + (zip64Fields != 0 ? 4 + 8 * zip64Fields : 0);
    LittleEndian header(out);
    header.U32(kCentralHeaderSignature)
        .U16(zip64 ? kVersionMadeByZip64 : kVersionMadeBy)
        .U16(zip64 ? kVersionNeededZip64 : kVersionNeeded)
        .U16(entry.flags)
        .U16(entry.method)
        .U16(entry.stamp.time)
        .U16(entry.stamp.date)
        .U32(entry.crc)
        .U32(bigCompressed ? 0xFFFFFFFF : static_cast<DWORD>(entry.compressed))
        .U32(bigUncompressed ? 0xFFFFFFFF : static_cast<DWORD>(entry.uncompressed))
        .U16(static_cast<WORD>(entry.name.size()))
        .U16(extraLength)
        .U16(0) // comment
        .U16(0) // disk
        .U16(0) // internal attributes
        .U32(entry.externalAttributes)
        .U32(bigOffset ? 0xFFFFFFFF : static_cast<DWORD>(entry.headerOffset))
        .Bytes(entry.name)
        .U16(kExtendedTimestampId)
        .U16(5)
        .U8(7)
        .U32(static_cast<DWORD>(entry.modified));
    if (zip64Fields == 0)
        return;
    header.U16(kZip64ExtraId).U16(static_cast<WORD>(8 * zip64Fields));
    if (bigUncompressed)
        header.U64(entry.uncompressed);
    if (bigCompressed)
        header.U64(entry.compressed);
    if (bigOffset)
        header.U64(entry.headerOffset);
}

DWORD ZipArchiveWriter::Add(LPCWSTR sourcePath, HANDLE source, LPCWSTR entryName, int kind) {
    if (failed_)
        return kZipAlreadyFailed;
    if (closed_)
        return kZipAlreadyClosed;
    if (!entryName || !*entryName || (kind != kZipAddFile && kind != kZipAddFolder) ||
        (kind == kZipAddFile && !source && (!sourcePath || !*sourcePath)))
        return kZipBadArgument;
    std::wstring name(entryName);
    for (wchar_t& c : name) {
        if (c == L'\\')
            c = L'/';
    }
    const bool folder = kind == kZipAddFolder;
    if (folder && name.back() != L'/')
        name += L'/';

    ZipEntryRecord entry;
    if (!ToUtf8(name, entry.name) || entry.name.size() > kMaxNameBytes)
        return kZipBadArgument;
    entry.flags = IsAscii(entry.name) ? 0 : kUtf8NameFlag;
    entry.method = folder || IsStoredName(name) ? kMethodStored : kMethodDeflated;

    KernelHandle opened;
    ULONGLONG size = 0;
    DWORD attributes = FILE_ATTRIBUTE_DIRECTORY;
    bool executable = false;
    if (folder) {
        SYSTEMTIME local;
        GetLocalTime(&local);
        entry.stamp = ToDosStamp(local);
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        entry.modified = entry.accessed = entry.created = ToUnixSeconds(now);
    } else {
        if (!source) {
            opened.Reset(CreateFileW(sourcePath, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
            source = opened.Get();
        }
        BY_HANDLE_FILE_INFORMATION info;
        if (!source || source == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(source, &info))
            return kZipNoFile;
        size = (ULONGLONG{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
        attributes = info.dwFileAttributes;
        // The last-write time as the file system stores it (UTC).
        SYSTEMTIME written;
        if (!FileTimeToSystemTime(&info.ftLastWriteTime, &written))
            written = SYSTEMTIME{1980, 1, 0, 1, 0, 0, 0, 0};
        entry.stamp = ToDosStamp(written);
        entry.modified = ToUnixSeconds(info.ftLastWriteTime);
        entry.accessed = ToUnixSeconds(info.ftLastAccessTime);
        entry.created = ToUnixSeconds(info.ftCreationTime);
        executable = IsExecutableImage(source, size);
        LARGE_INTEGER start = {};
        if (!SetFilePointerEx(source, start, nullptr, FILE_BEGIN))
            return kZipNoFile;
    }
    const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    entry.externalAttributes = (attributes & kKeptAttributes) |
                               (folder ? 0x40000000u : 0x80000000u) | 0x01000000u |
                               (readOnly ? 0 : 0x00800000u) | (executable ? 0x00400000u : 0);
    entry.zip64Local = (entry.method == kMethodStored ? size : DeflateBound(size)) >= kClassicLimit;
    entry.headerOffset = offset_;

    const std::vector<BYTE> provisional = LocalHeader(entry);
    if (const DWORD result = Write(provisional.data(), provisional.size()))
        return result;
    if (folder) {
        entries_.push_back(std::move(entry));
        return kZipOk;
    }
    DWORD result = CopyData(source, entry);
    // The entry holds exactly the bytes the file had when it was opened, or it is dropped.
    if (result == kZipOk && entry.uncompressed != size)
        result = kZipSourceChanged;
    if (result != kZipOk) {
        if (!failed_) {
            if (const DWORD rolledBack = RollBack(entry.headerOffset))
                return rolledBack;
        }
        return result;
    }
    if (const DWORD rewritten = WriteAt(entry.headerOffset, LocalHeader(entry)))
        return rewritten;
    entries_.push_back(std::move(entry));
    return kZipOk;
}

DWORD ZipArchiveWriter::WriteEndRecords(ULONGLONG directoryOffset) {
    const ULONGLONG directorySize = offset_ - directoryOffset;
    const ULONGLONG count = entries_.size();
    std::vector<BYTE> records;
    LittleEndian out(records);
    if (count >= kClassicCountLimit || directorySize >= kClassicLimit ||
        directoryOffset >= kClassicLimit) {
        const ULONGLONG zip64EndOffset = offset_;
        out.U32(kZip64EndSignature)
            .U64(44) // the record's size after this field
            .U16(kVersionMadeByZip64)
            .U16(kVersionNeededZip64)
            .U32(0)
            .U32(0)
            .U64(count)
            .U64(count)
            .U64(directorySize)
            .U64(directoryOffset);
        out.U32(kZip64LocatorSignature).U32(0).U64(zip64EndOffset).U32(1);
    }
    const WORD classicCount =
        static_cast<WORD>(count >= kClassicCountLimit ? kClassicCountLimit : count);
    out.U32(kEndSignature)
        .U16(0)
        .U16(0)
        .U16(classicCount)
        .U16(classicCount)
        .U32(static_cast<DWORD>(directorySize >= kClassicLimit ? kClassicLimit : directorySize))
        .U32(static_cast<DWORD>(directoryOffset >= kClassicLimit ? kClassicLimit : directoryOffset))
        .U16(0);
    return Write(records.data(), records.size());
}

DWORD ZipArchiveWriter::Close() {
    if (closed_)
        return kZipAlreadyClosed;
    closed_ = true;
    if (failed_) {
        file_.Reset();
        return kZipAlreadyFailed;
    }
    const ULONGLONG directoryOffset = offset_;
    std::vector<BYTE> directory;
    for (const ZipEntryRecord& entry : entries_) {
        AppendCentralHeader(directory, entry);
        if (directory.size() >= kCentralFlushBytes) {
            if (const DWORD result = Write(directory.data(), directory.size()))
                return result;
            directory.clear();
        }
    }
    if (const DWORD result = Write(directory.data(), directory.size()))
        return result;
    if (const DWORD result = WriteEndRecords(directoryOffset))
        return result;
    return file_.Close() ? kZipOk : Fail(kZipWriteFailed);
}

HZIP ZipCreate(LPCWSTR outputPath) {
    if (!outputPath || !*outputPath) {
        Outcome(kZipNoFile);
        return nullptr;
    }
    KernelHandle file(CreateFileW(outputPath, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) {
        Outcome(kZipNoFile);
        return nullptr;
    }
    auto zip = new ZipHandleRecord;
    zip->writer = std::make_unique<ZipArchiveWriter>(std::move(file));
    Outcome(kZipOk);
    return zip;
}

DWORD ZipAdd(HZIP zip, LPCWSTR sourcePath, LPCWSTR entryName, int kind) {
    if (!zip)
        return Outcome(kZipBadArgument);
    if (zip->kind != kArchiveWriterKind)
        return Outcome(kZipWrongHandle);
    return Outcome(zip->writer->Add(sourcePath, nullptr, entryName, kind));
}

DWORD ZipAddOpenFile(HZIP zip, HANDLE source, LPCWSTR entryName) {
    if (!zip || !source || source == INVALID_HANDLE_VALUE)
        return Outcome(kZipBadArgument);
    if (zip->kind != kArchiveWriterKind)
        return Outcome(kZipWrongHandle);
    return Outcome(zip->writer->Add(nullptr, source, entryName, kZipAddFile));
}

DWORD ZipClose(HZIP zip) {
    if (!zip)
        return Outcome(kZipBadArgument);
    if (zip->kind != kArchiveWriterKind)
        return Outcome(kZipWrongHandle);
    return Outcome(zip->writer->Close());
}

void ZipFree(HZIP zip) {
    delete zip;
}

DWORD ZipLastResult() {
    return g_lastResult;
}
