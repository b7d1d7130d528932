// xarnsimvol: makes, digests and checks simulated volume images from the command line, for
// runs of the service on a simulated drive.
//   xarnsimvol make IMAGE [SEED [FILES [CLUSTERS]]]  a fragmented NTFS volume from a seed, in
//                                                    a new file (an existing one is kept)
//   xarnsimvol digest IMAGE DIGESTS                  every stream's digest, one line each
//   xarnsimvol check IMAGE [DIGESTS]                 exit 0 when the volume is sound and,
//                                                    with DIGESTS, every stream unchanged
#include "SimVolumeBuilder.h"
#include "SimVolumeChecker.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

constexpr int kUsageError = 2;

int Usage() {
    std::fwprintf(stderr, L"usage: xarnsimvol make IMAGE [SEED [FILES [CLUSTERS]]]\n"
                          L"       xarnsimvol digest IMAGE DIGESTS\n"
                          L"       xarnsimvol check IMAGE [DIGESTS]\n");
    return kUsageError;
}

int Fail(const wchar_t* what, DWORD error) {
    std::fwprintf(stderr, L"xarnsimvol: %ls: error %lu\n", what, error);
    return 1;
}

bool ParseNumber(const wchar_t* text, uint64_t* value) {
    wchar_t* end = nullptr;
    *value = std::wcstoull(text, &end, 10);
    return *text != L'\0' && *end == L'\0';
}

int Make(const std::wstring& image, int argc, wchar_t** argv) {
    uint64_t seed = 1;
    uint64_t files = 200;
    uint64_t clusters = 65536;
    if ((argc > 3 && !ParseNumber(argv[3], &seed)) ||
        (argc > 4 && (!ParseNumber(argv[4], &files) || files > 1000000)) ||
        (argc > 5 && !ParseNumber(argv[5], &clusters))) {
        return Usage();
    }
    const SimBuildSpec spec = SimServiceVolumeSpec(seed, static_cast<uint32_t>(files), clusters);
    // An image may hold moves a run has made; making one never writes over it.
    if (GetFileAttributesW(image.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return Fail(L"the image already exists; remove it first", ERROR_FILE_EXISTS);
    }
    DWORD error = ERROR_SUCCESS;
    std::unique_ptr<CSimVolume> volume = BuildSimVolume(image, spec, &error);
    if (!volume) {
        // The file is this run's own: a volume that could not be built leaves nothing behind.
        if (!DeleteFileW(image.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
            Fail(L"cannot remove the unfinished image", GetLastError());
        }
        return Fail(L"cannot build the volume", error);
    }
    std::wprintf(L"%ls: %llu clusters of %lu bytes, %llu used, %u files\n", image.c_str(),
                 static_cast<unsigned long long>(spec.geometry.totalClusters),
                 static_cast<unsigned long>(spec.geometry.bytesPerCluster),
                 static_cast<unsigned long long>(volume->UsedClusters()), spec.fileCount);
    return 0;
}

// Lines of "digest<TAB>path" in UTF-8.
bool WriteDigests(const std::wstring& path, const SimDigests& digests) {
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr) {
        return false;
    }
    for (const auto& [name, digest] : digests) {
        const int size =
            WideCharToMultiByte(CP_UTF8, 0, name.c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::string utf8(static_cast<size_t>(size), '\0');
        WideCharToMultiByte(CP_UTF8, 0, name.c_str(), -1, utf8.data(), size, nullptr, nullptr);
        std::fprintf(file, "%016llx\t%s\n", static_cast<unsigned long long>(digest), utf8.c_str());
    }
    return std::fclose(file) == 0;
}

bool ReadDigests(const std::wstring& path, SimDigests* digests) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) {
        return false;
    }
    char line[70000];
    bool ok = true;
    while (ok && std::fgets(line, sizeof line, file) != nullptr) {
        unsigned long long digest = 0;
        int consumed = 0;
        const size_t length = std::strlen(line);
        ok = length > 0 && line[length - 1] == '\n' &&
             std::sscanf(line, "%16llx\t%n", &digest, &consumed) == 1 && consumed == 17;
        if (ok) {
            line[length - 1] = '\0';
            const int size = MultiByteToWideChar(CP_UTF8, 0, line + consumed, -1, nullptr, 0);
            std::wstring name(static_cast<size_t>(size), L'\0');
            MultiByteToWideChar(CP_UTF8, 0, line + consumed, -1, name.data(), size);
            name.resize(name.size() - 1);
            (*digests)[name] = digest;
        }
    }
    std::fclose(file);
    return ok;
}

int DigestOrCheck(bool check, int argc, wchar_t** argv) {
    DWORD error = ERROR_SUCCESS;
    std::unique_ptr<CSimVolume> volume = CSimVolume::Open(argv[2], &error);
    if (!volume) {
        return Fail(L"cannot open the image", error);
    }
    if (!check) {
        return WriteDigests(argv[3], DigestSimVolume(*volume))
                   ? 0
                   : Fail(L"cannot write the digests", GetLastError());
    }
    SimDigests expected;
    if (argc > 3 && !ReadDigests(argv[3], &expected)) {
        return Fail(L"cannot read the digests", ERROR_INVALID_DATA);
    }
    const std::vector<std::wstring> problems =
        CheckSimVolume(*volume, argc > 3 ? &expected : nullptr);
    for (const std::wstring& problem : problems) {
        std::wprintf(L"%ls\n", problem.c_str());
    }
    std::wprintf(L"%ls: %zu problems\n", argv[2], problems.size());
    return problems.empty() ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 2 ? argv[1] : L"";
    if (command == L"make" && argc <= 6) {
        return Make(argv[2], argc, argv);
    }
    if (command == L"digest" && argc == 4) {
        return DigestOrCheck(false, argc, argv);
    }
    if (command == L"check" && argc <= 4) {
        return DigestOrCheck(true, argc, argv);
    }
    return Usage();
}
