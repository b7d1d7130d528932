// Digests files with the library's MD5, SHA-1 and CRC-32, for comparison with the system's
// tools (see digest_benchmark.sh and DigestToolTest.sh). Not a test.
//   digest_benchmark time FILE       reads FILE into memory, then times each digest over it
//   digest_benchmark list FILE...    one line per file: MD5, SHA-1, CRC-32 and the file's name
#include "Crc32Dynamic.h"
#include "Crc32Table.h"
#include "MD5Checksum.h"
#include "SHA1.h"

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

bool ReadWholeFile(const wchar_t* path, std::vector<BYTE>* data) {
    FILE* file = _wfopen(path, L"rb");
    if (file == nullptr)
        return false;
    _fseeki64(file, 0, SEEK_END);
    const __int64 size = _ftelli64(file);
    _fseeki64(file, 0, SEEK_SET);
    data->resize(static_cast<size_t>(size));
    const bool complete = std::fread(data->data(), 1, data->size(), file) == data->size();
    std::fclose(file);
    return size >= 0 && complete;
}

std::wstring Sha1Text(CSHA1& sha) {
    sha.Final();
    wchar_t text[80];
    return sha.ReportHash(text, CSHA1::kHexPlain) ? text : L"?";
}

// Runs digest twice over the data and reports the faster pass, so a stray pause of the machine
// does not decide the figure.
template <typename Digest>
void Time(const wchar_t* name, const std::vector<BYTE>& data, Digest digest) {
    double best = 0;
    std::wstring text;
    for (int pass = 0; pass < 2; ++pass) {
        const Clock::time_point start = Clock::now();
        text = digest();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (pass == 0 || seconds < best)
            best = seconds;
    }
    std::wprintf(L"%ls %ls %.1f MB/s\n", name, text.c_str(),
                 static_cast<double>(data.size()) / best / 1e6);
}

int TimeDigests(const wchar_t* path) {
    std::vector<BYTE> data;
    if (!ReadWholeFile(path, &data) || data.size() > 0xFFFFFFFFu) {
        std::fwprintf(stderr, L"cannot read %ls\n", path);
        return 1;
    }
    const ULONG length = static_cast<ULONG>(data.size());
    Time(L"md5", data,
         [&] { return std::wstring(CMD5Checksum::GetMD5OfBuffer(data.data(), length)); });
    Time(L"sha1", data, [&] {
        CSHA1 sha;
        sha.Update(data.data(), length);
        return Sha1Text(sha);
    });
    Time(L"crc32", data, [&] {
        wchar_t text[16];
        std::swprintf(
            text, 16, L"%08lx",
            static_cast<unsigned long>(~xarn::Crc32Update(0xFFFFFFFFu, data.data(), length)));
        return std::wstring(text);
    });
    return 0;
}

// Every file through the classes' own entry points: MD5 of the buffer, SHA-1 of the file and
// of the buffer in uneven pieces, CRC-32 by block reads and by mapping.
int ListDigests(int count, wchar_t** paths) {
    CCrc32Dynamic crc;
    crc.Init();
    for (int i = 0; i < count; ++i) {
        std::vector<BYTE> data;
        CSHA1 fromFile;
        if (!ReadWholeFile(paths[i], &data)) {
            std::fwprintf(stderr, L"cannot read %ls\n", paths[i]);
            return 1;
        }
        if (!data.empty() && !fromFile.HashFile(paths[i])) {
            std::fwprintf(stderr, L"cannot hash %ls\n", paths[i]);
            return 1;
        }
        CSHA1 pieces;
        for (size_t at = 0, piece = 1; at < data.size(); at += piece, piece = piece * 3 % 257 + 1)
            pieces.Update(data.data() + at, static_cast<UINT32>(std::min(piece, data.size() - at)));
        const std::wstring sha = Sha1Text(pieces);
        DWORD blockCrc = 0;
        DWORD mappedCrc = 0;
        if (crc.FileCrc32(paths[i], blockCrc) != 0 ||
            crc.FileCrc32Mapped(paths[i], mappedCrc) != 0 ||
            (!data.empty() && Sha1Text(fromFile) != sha) || blockCrc != mappedCrc) {
            std::wprintf(L"readers disagree on %ls\n", paths[i]);
            return 1;
        }
        std::wprintf(L"%ls %ls %08lx %ls\n",
                     static_cast<const wchar_t*>(CMD5Checksum::GetMD5OfBuffer(
                         data.data(), static_cast<ULONG>(data.size()))),
                     sha.c_str(), static_cast<unsigned long>(blockCrc), paths[i]);
    }
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wcscmp(argv[1], L"time") == 0)
        return TimeDigests(argv[2]);
    if (argc >= 3 && std::wcscmp(argv[1], L"list") == 0)
        return ListDigests(argc - 2, argv + 2);
    std::fwprintf(stderr, L"usage: digest_benchmark time FILE | list FILE...\n");
    return 2;
}
