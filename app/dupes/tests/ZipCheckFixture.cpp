// Writes archives for the outside checkers (unzip, zipinfo, Python's zipfile): sources in
// <folder>\src, archives in <folder>, and per archive a manifest of "entry<TAB>source<TAB>kind"
// lines (UTF-8; kind: deflated, stored or folder). With "large" it also writes an entry of a
// sparse file over 4 GiB and an archive that grows past 4 GiB.
#include <windows.h>

#include "ZipWriter.h"

#include <owners/WinOwners.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct ManifestLine {
    std::wstring entry;
    std::wstring source; // relative to the folder; empty for folder entries
    const char* kind;
};

std::string Utf8(const std::wstring& text) {
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), bytes, nullptr, nullptr);
    out.resize(static_cast<size_t>(bytes - 1));
    return out;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    return file.Close() && ok;
}

// A file of `size` bytes that holds only a few marked bytes (sparse where the system allows).
bool WriteSparseFile(const std::wstring& path, ULONGLONG size) {
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    bool ok = true;
    for (ULONGLONG at : {0ull, size / 2, size - 7}) {
        LARGE_INTEGER offset;
        offset.QuadPart = static_cast<LONGLONG>(at);
        DWORD written = 0;
        ok = ok && SetFilePointerEx(file.Get(), offset, nullptr, FILE_BEGIN) &&
             WriteFile(file.Get(), "marked!", 7, &written, nullptr) && written == 7;
    }
    return file.Close() && ok;
}

bool WriteArchive(const std::wstring& folder, const std::wstring& name,
                  const std::vector<ManifestLine>& lines) {
    HZIP zip = ZipCreate((folder + L"\\" + name + L".zip").c_str());
    if (!zip)
        return false;
    std::string manifest;
    bool ok = true;
    for (const ManifestLine& line : lines) {
        const bool isFolder = line.source.empty();
        const std::wstring source = isFolder ? std::wstring() : folder + L"\\" + line.source;
        const DWORD result = ZipAdd(zip, isFolder ? nullptr : source.c_str(), line.entry.c_str(),
                                    isFolder ? kZipAddFolder : kZipAddFile);
        if (result != kZipOk) {
            std::fprintf(stderr, "adding %s: 0x%lx\n", Utf8(line.entry).c_str(), result);
            ok = false;
        }
        std::wstring entry = line.entry;
        for (wchar_t& c : entry) {
            if (c == L'\\')
                c = L'/';
        }
        if (isFolder && entry.back() != L'/')
            entry += L'/';
        manifest += Utf8(entry) + "\t" + Utf8(line.source) + "\t" + line.kind + "\n";
    }
    const DWORD closed = ZipClose(zip);
    ZipFree(zip);
    if (closed != kZipOk) {
        std::fprintf(stderr, "closing %s: 0x%lx\n", Utf8(name).c_str(), closed);
        ok = false;
    }
    return WriteFileBytes(folder + L"\\" + name + L".manifest", manifest) && ok;
}

std::string Text(size_t bytes) {
    std::string text;
    while (text.size() < bytes)
        text += "a line of text number " + std::to_string(text.size()) + "\n";
    text.resize(bytes);
    return text;
}

std::string Noise(size_t bytes) {
    std::string noise(bytes, '\0');
    ULONGLONG state = 88172645463325252ull;
    for (char& c : noise) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        c = static_cast<char>(state);
    }
    return noise;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: ZipCheckFixture <folder> [large]\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    const bool large = argc > 2 && std::wstring(argv[2]) == L"large";
    const std::wstring src = folder + L"\\src";
    CreateDirectoryW(src.c_str(), nullptr);
    CreateDirectoryW((src + L"\\Nested Folder").c_str(), nullptr);
    const std::wstring unicodeName = L"R\u00e9sum\u00e9 \u65e5\u672c \u0416.txt";
    bool ok = WriteFileBytes(src + L"\\notes.txt", Text(300000)) &&
              WriteFileBytes(src + L"\\Archive.ZIP", Noise(100000)) &&
              WriteFileBytes(src + L"\\noise.bin", Noise(50000)) &&
              WriteFileBytes(src + L"\\empty.txt", "") &&
              WriteFileBytes(src + L"\\Nested Folder\\" + unicodeName, Text(1234)) &&
              WriteFileBytes(src + L"\\old.txt", "from 1975");
    KernelHandle old(CreateFileW((src + L"\\old.txt").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    const ULONGLONG ticks1975 = (157766400ull + 11644473600ull) * 10000000ull;
    const FILETIME time1975 = {static_cast<DWORD>(ticks1975), static_cast<DWORD>(ticks1975 >> 32)};
    ok = ok && SetFileTime(old.Get(), nullptr, nullptr, &time1975) && old.Close();
    std::vector<ManifestLine> small;
    small.push_back({L"Docs", L"", "folder"});
    small.push_back({L"Docs\\notes.txt", L"src\\notes.txt", "deflated"});
    small.push_back({L"Archive.ZIP", L"src\\Archive.ZIP", "stored"});
    small.push_back({L"noise.bin", L"src\\noise.bin", "deflated"});
    small.push_back({L"empty.txt", L"src\\empty.txt", "deflated"});
    small.push_back({L"Nested Folder\\", L"", "folder"});
    small.push_back(
        {L"Nested Folder\\" + unicodeName, L"src\\Nested Folder\\" + unicodeName, "deflated"});
    small.push_back({L"old.txt", L"src\\old.txt", "deflated"});
    ok = ok && WriteArchive(folder, L"small", small);
    if (ok && large) {
        const ULONGLONG huge = (4ull << 30) + 4097;
        std::vector<ManifestLine> largeFile, largeArchive;
        largeFile.push_back({L"huge.txt", L"src\\huge.txt", "deflated"});
        largeArchive.push_back({L"huge.gz", L"src\\huge.txt", "stored"});
        largeArchive.push_back({L"after.txt", L"src\\notes.txt", "deflated"});
        ok = WriteSparseFile(src + L"\\huge.txt", huge) &&
             WriteArchive(folder, L"large-file", largeFile) &&
             WriteArchive(folder, L"large-archive", largeArchive);
    }
    return ok ? 0 : 1;
}
