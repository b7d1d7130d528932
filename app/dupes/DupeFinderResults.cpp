// The finder's last-scan files: writing the all-files set, and loading one back.
#include "DupeFinder.h"

#include "LastScanReader.h"

#include <LiteralPath.h>
#include <Paths.h>

#include <classlib/File.h>

namespace {

// The smallest record a last-scan file can hold: category, three one-byte strings, two flags,
// size, two times and the digest.
constexpr size_t kMinimumRecordBytes = 4 + 3 + 1 + 1 + 8 + 8 + 8 + 16;
// Larger than any scan writes; a larger file is not a last-scan file.
constexpr ULONGLONG kMaximumFileBytes = 512ull * 1024 * 1024;
constexpr size_t kReadChunkBytes = 65536;

// The smallest location entry: a one-byte string.
constexpr size_t kMinimumLocationBytes = 1;

bool WithinAny(const CString& path, const CStringArray& locations) {
    for (INT_PTR i = 0; i < locations.GetSize(); ++i) {
        if (IsPathWithin(path, locations[i]))
            return true;
    }
    return false;
}

bool ReadOptionByte(CLastScanReader& reader, bool& option) {
    BYTE value;
    if (!reader.Read(value) || value > 1)
        return false;
    option = value != 0;
    return true;
}

} // namespace

void CDupeFinder::Store(CArchive& ar) const {
    const std::vector<CDupeFile*>& files = m_files[kSetAllFiles];
    // Two or more records are written between two sentinels, as the sorted array holds them.
    const bool withSentinels = files.size() >= 2;
    const int count = static_cast<int>(files.size() + (withSentinels ? 2 : 0));
    ar << count << m_options.name << m_options.size << m_options.creationTime
       << m_options.lastWriteTime << m_options.extra << m_options.content << m_options.sizeLimit;
    if (withSentinels)
        StoreSentinelRecord(ar);
    for (const CDupeFile* file : files)
        file->Store(ar);
    if (withSentinels)
        StoreSentinelRecord(ar);
    ar << static_cast<int>(m_locations.GetSize());
    for (INT_PTR i = 0; i < m_locations.GetSize(); ++i)
        ar << m_locations[i];
}

CDupeFinder::LoadResult CDupeFinder::Load(CArchive& ar) {
    // The whole rest of the file, read in pieces: what is allocated is what is there.
    std::vector<BYTE> bytes;
    for (;;) {
        const size_t had = bytes.size();
        if (had > kMaximumFileBytes)
            return LoadResult::kDamaged;
        bytes.resize(had + kReadChunkBytes);
        const UINT read = ar.Read(bytes.data() + had, kReadChunkBytes);
        bytes.resize(had + read);
        if (read < kReadChunkBytes)
            break;
    }
    CLastScanReader reader(bytes.data(), bytes.size());
    int count = 0;
    if (!reader.Read(count))
        return LoadResult::kDamaged;
    if (count <= 0)
        return LoadResult::kEmpty;
    DupeMatchOptions options;
    if (!ReadOptionByte(reader, options.name) || !ReadOptionByte(reader, options.size) ||
        !ReadOptionByte(reader, options.creationTime) ||
        !ReadOptionByte(reader, options.lastWriteTime) || !ReadOptionByte(reader, options.extra) ||
        !ReadOptionByte(reader, options.content) || !ReadOptionByte(reader, options.sizeLimit) ||
        static_cast<size_t>(count) > reader.BytesLeft() / kMinimumRecordBytes)
        return LoadResult::kDamaged;

    std::vector<std::unique_ptr<CDupeFile>> records;
    std::unordered_set<std::wstring> paths;
    for (int i = 0; i < count; ++i) {
        auto record = std::make_unique<CDupeFile>();
        if (!record->Load(reader))
            return LoadResult::kDamaged;
        if (record->IsSentinel())
            continue;
        // One file is one record, however often a file names it.
        CString key = record->GetFullPath();
        key.MakeLower();
        if (paths.insert(std::wstring(key.GetString())).second)
            records.push_back(std::move(record));
    }
    // The locations the scan walked; a file without them names no place it may act on.
    int locationCount = 0;
    if (!reader.Read(locationCount) || locationCount < 0 ||
        static_cast<size_t>(locationCount) > reader.BytesLeft() / kMinimumLocationBytes)
        return LoadResult::kDamaged;
    CStringArray locations;
    for (int i = 0; i < locationCount; ++i) {
        CString location;
        if (!reader.ReadString(location) || ToLiteralPath(location).IsEmpty())
            return LoadResult::kDamaged;
        locations.Add(location);
    }
    if (reader.BytesLeft() != 0)
        return LoadResult::kDamaged;
    for (const auto& record : records) {
        if (!WithinAny(record->GetFullPath(), locations))
            return LoadResult::kOutsideLocations;
    }

    Reset();
    m_options = options;
    m_locations.Append(locations);
    for (auto& record : records) {
        record->m_nSerial = m_nNextSerial++;
        m_records.push_back(std::move(record));
    }
    RebuildFileSets();
    m_bLoadedUnresolved = true;
    return LoadResult::kLoaded;
}

CString CDupeFinder::WriteLastScanFile(const SYSTEMTIME& now) {
    CString name;
    name.Format(L"LastScan_%d_%d_%d_%d_%d_%d.dat", now.wHour, now.wMinute, now.wSecond, now.wDay,
                now.wMonth, now.wYear);
    CString path(m_strLastScanFolder);
    AppendPath(path, name);
    CFile file;
    if (m_strLastScanFolder.IsEmpty() ||
        !file.Open(path, CFile::modeCreate | CFile::modeReadWrite | CFile::typeBinary))
        return CString();
    try {
        CArchive ar(&file, CArchive::store, 4096);
        Store(ar);
        ar.Close();
        file.Close();
        return path;
    } catch (CException* e) {
        e->Delete();
    }
    // A file cut short by a failed write is not left behind.
    file.Abort();
    DeleteFileW(path);
    return CString();
}
