#include "SimVolumeBuilder.h"

#include <algorithm>
#include <cstring>
#include <random>
#include <string_view>
#include <utility>

namespace {

const wchar_t* const kBootFiles[] = {L"\\pagefile.sys", L"\\hiberfil.sys", L"\\bootmgr",
                                     L"\\ntldr",        L"\\$Ldr$",        L"\\Boot\\BCD"};

class CPlacer {
public:
    CPlacer(uint64_t totalClusters, std::mt19937_64& random, const SimBuildSpec& spec)
        : total_(totalClusters), random_(random), spec_(spec) {}

    void Reserve(uint64_t lcn, uint64_t count) { taken_.Add(lcn, count); }

    // The first place at or after the cursor where count clusters are free.
    bool Place(uint64_t count, uint64_t* lcn) {
        uint64_t at = cursor_;
        const auto& runs = taken_.GetRuns();
        for (;;) {
            auto next = runs.upper_bound(at);
            if (next != runs.begin() && std::prev(next)->second > at) {
                at = std::prev(next)->second; // inside a taken run: skip it
                continue;
            }
            if (at + count > total_) {
                return false;
            }
            if (next != runs.end() && next->first < at + count) {
                at = next->second;
                continue;
            }
            break;
        }
        *lcn = at;
        taken_.Add(at, count);
        cursor_ = at + count;
        if (spec_.maxGapClusters > 0 && Chance(spec_.gapShare)) {
            cursor_ += 1 + random_() % spec_.maxGapClusters;
        }
        return true;
    }

    bool Chance(double share) {
        return std::uniform_real_distribution<double>(0.0, 1.0)(random_) < share;
    }

private:
    uint64_t total_;
    std::mt19937_64& random_;
    const SimBuildSpec& spec_;
    CSimRunSet taken_;
    uint64_t cursor_ = 0;
};

// One stream still to be laid out: its pieces get places in a shuffled order so that the
// fragments of different items interleave.
struct PlannedStream {
    size_t path = 0; // in the build's CPathList
    const wchar_t* key = L"";
    uint64_t size = 0;
    uint64_t clusters = 0; // allocated
    uint64_t holeAt = 0;   // a sparse run of holeClusters after this many allocated ones
    uint64_t holeClusters = 0;
    size_t firstPiece = 0; // in the build's piece lists
    size_t pieceCount = 0;
};

// The paths of a build in one text. A million paths and plans as separate blocks would leave
// millions of freed blocks in the process's heap after the build, and every later allocation
// of a walk would pay for searching past them.
class CPathList {
public:
    size_t Add(std::wstring_view path) {
        spans_.emplace_back(text_.size(), path.size());
        text_ += path;
        return spans_.size() - 1;
    }
    std::wstring operator[](size_t index) const {
        return text_.substr(spans_[index].first, spans_[index].second);
    }
    size_t Size() const { return spans_.size(); }

private:
    std::wstring text_;
    std::vector<std::pair<size_t, size_t>> spans_;
};

// The data of a resident stream: the seed's pattern, as clusters hold it.
std::vector<uint8_t> MakeResidentData(uint64_t seed, uint32_t index, uint64_t size) {
    std::vector<uint8_t> data(static_cast<size_t>(size));
    SimFillPattern(seed, ~uint64_t{index}, static_cast<uint32_t>(size), data.data());
    return data;
}

} // namespace

SimBuildSpec SimManySmallFilesSpec(uint32_t fileCount) {
    SimBuildSpec spec;
    spec.seed = 13;
    spec.fileCount = fileCount;
    spec.directoryCount = 1000;
    spec.minFileBytes = spec.maxFileBytes = 3 * uint64_t{spec.geometry.bytesPerCluster};
    spec.fragmentedShare = 1.0;
    spec.maxFragments = 4;
    spec.geometry.totalClusters = uint64_t{fileCount} * 10 + 100'000;
    spec.writeData = false;
    return spec;
}

SimBuildSpec SimServiceVolumeSpec(uint64_t seed, uint32_t fileCount, uint64_t totalClusters) {
    SimBuildSpec spec;
    spec.seed = seed;
    spec.fileCount = fileCount;
    spec.geometry.totalClusters = totalClusters;
    spec.fragmentedShare = 0.5;
    spec.directoryCount = 12;
    spec.bootFileCount = 2;
    spec.lockedCount = 1;
    spec.streamCount = 4;
    spec.sparseCount = 2;
    spec.residentCount = 4;
    spec.hardLinkCount = 2;
    spec.reparseCount = 1;
    return spec;
}

std::unique_ptr<CSimVolume> BuildSimVolume(const std::wstring& imagePath, const SimBuildSpec& spec,
                                           DWORD* error) {
    std::mt19937_64 random(spec.seed);
    SimGeometry geometry = spec.geometry;
    const uint64_t total = geometry.totalClusters;
    const uint32_t bytesPerCluster = geometry.bytesPerCluster;
    const bool ntfs = geometry.IsNtfs();
    uint64_t mftClusters = 0;
    if (ntfs && geometry.mftZoneEnd == 0 && total >= 64) {
        mftClusters = std::max<uint64_t>(1, (uint64_t{spec.fileCount} + spec.directoryCount + 64) *
                                                1024 / bytesPerCluster);
        geometry.mftStartLcn = total / 4;
        geometry.mftZoneStart = geometry.mftStartLcn + mftClusters;
        geometry.mftZoneEnd = std::min(total, geometry.mftZoneStart + total / 8);
        geometry.mft2StartLcn = total / 2;
    }
    std::unique_ptr<CSimVolume> volume = CSimVolume::Create(imagePath, geometry, error);
    if (!volume) {
        return nullptr;
    }
    // Nothing is committed before the batch ends, and its checkpoint flushes everything
    // written before it: the build needs no flush of its own.
    volume->SetDurable(false);
    volume->BeginBatch();
    volume->SetPatternSeed(spec.seed);
    CPlacer placer(total, random, spec);
    auto fail = [&](DWORD code) {
        static_cast<void>(volume->EndBatch()); // the build has failed already
        *error = code;
        return nullptr;
    };

    // The file system's own files; the MFT zone stays free but holds no file.
    if (ntfs && mftClusters > 0) {
        const std::pair<const wchar_t*, SimExtent> system[] = {
            {L"$Boot", {0, 0, 2}},
            {L"$MFT", {0, static_cast<int64_t>(geometry.mftStartLcn), mftClusters}},
            {L"$MFTMirr", {0, static_cast<int64_t>(geometry.mft2StartLcn), 1}},
        };
        for (const auto& [name, extent] : system) {
            if (volume->AddSystemFile(name, {extent}) != ERROR_SUCCESS) {
                return fail(ERROR_DISK_FULL);
            }
            placer.Reserve(static_cast<uint64_t>(extent.lcn), extent.count);
        }
        if (geometry.mftZoneEnd > geometry.mftZoneStart) {
            placer.Reserve(geometry.mftZoneStart, geometry.mftZoneEnd - geometry.mftZoneStart);
        }
    }

    CPathList paths;
    std::vector<PlannedStream> planned;
    std::vector<uint64_t> pieceLengths;
    std::vector<uint64_t> pieceLcns;
    auto plan = [&](size_t path, const wchar_t* key, uint64_t size, bool sparse) {
        PlannedStream stream;
        stream.path = path;
        stream.key = key;
        stream.size = size;
        const uint64_t span = (size + bytesPerCluster - 1) / bytesPerCluster;
        if (sparse && span >= 3) {
            stream.holeAt = 1 + random() % (span - 2);
            stream.holeClusters = 1 + random() % (span - stream.holeAt - 1);
        }
        stream.clusters = span - stream.holeClusters;
        uint64_t pieces = 1;
        if (stream.clusters > 1 && spec.maxFragments > 1 && placer.Chance(spec.fragmentedShare)) {
            pieces = std::min<uint64_t>(stream.clusters, 2 + random() % (spec.maxFragments - 1));
        }
        // Cut points: pieces - 1 distinct positions inside the allocation.
        std::vector<uint64_t> cuts;
        while (cuts.size() + 1 < pieces) {
            const uint64_t cut = 1 + random() % (stream.clusters - 1);
            if (std::find(cuts.begin(), cuts.end(), cut) == cuts.end()) {
                cuts.push_back(cut);
            }
        }
        std::sort(cuts.begin(), cuts.end());
        uint64_t from = 0;
        cuts.push_back(stream.clusters);
        stream.firstPiece = pieceLengths.size();
        for (uint64_t cut : cuts) {
            if (cut > from) {
                pieceLengths.push_back(cut - from);
            }
            from = cut;
        }
        stream.pieceCount = pieceLengths.size() - stream.firstPiece;
        planned.push_back(stream);
    };

    // Directories: a chain maxDepth deep first, then the rest under random earlier ones.
    std::vector<std::wstring> directories = {L""};
    std::vector<size_t> directoryPaths = {paths.Add(L"\\")};
    for (uint32_t i = 0; i < spec.directoryCount; ++i) {
        const std::wstring& parent =
            i < spec.maxDepth ? directories.back() : directories[random() % directories.size()];
        const std::wstring path = parent + L"\\dir" + std::to_wstring(i);
        if (volume->AddDirectory(path) != ERROR_SUCCESS) {
            return fail(ERROR_INVALID_PARAMETER);
        }
        directories.push_back(path);
        directoryPaths.push_back(paths.Add(path));
        plan(directoryPaths.back(), L"", (1 + random() % 4) * uint64_t{bytesPerCluster}, false);
    }
    for (uint32_t i = 0; i < spec.reparseCount; ++i) {
        const std::wstring path = L"\\junction" + std::to_wstring(i);
        if (volume->AddDirectory(path, FILE_ATTRIBUTE_REPARSE_POINT) != ERROR_SUCCESS ||
            volume->AddFile(path + L"\\behind.bin") != ERROR_SUCCESS) {
            return fail(ERROR_INVALID_PARAMETER);
        }
        plan(paths.Add(path + L"\\behind.bin"), L"", bytesPerCluster, false);
    }

    // Files: the special kinds take the first indexes, ordinary ones the rest.
    std::vector<size_t> files; // in paths
    const uint32_t bootFiles = std::min<uint32_t>(spec.bootFileCount, std::size(kBootFiles));
    for (uint32_t i = 0; i < bootFiles; ++i) {
        const std::wstring path = kBootFiles[i];
        if (path.rfind(L"\\Boot\\", 0) == 0) {
            const DWORD boot = volume->AddDirectory(L"\\Boot"); // made by the first of its files
            if (boot != ERROR_SUCCESS && boot != ERROR_ALREADY_EXISTS) {
                return fail(boot);
            }
        }
        if (volume->AddFile(path, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM) != ERROR_SUCCESS) {
            return fail(ERROR_INVALID_PARAMETER);
        }
        plan(paths.Add(path), L"", (1 + random() % 8) * uint64_t{bytesPerCluster}, false);
    }
    uint32_t index = 0;
    auto special = [](uint32_t& left) { return left > 0 ? (--left, true) : false; };
    uint32_t immovable = spec.immovableCount, locked = spec.lockedCount;
    uint32_t sparse = spec.sparseCount, resident = spec.residentCount;
    uint32_t streams = spec.streamCount;
    for (; index < spec.fileCount; ++index) {
        const std::wstring path = directories[random() % directories.size()] + L"\\file" +
                                  std::to_wstring(index) + L".bin";
        uint32_t flags = 0;
        if (special(immovable)) {
            flags = kSimImmovable;
        } else if (special(locked)) {
            flags = kSimLocked;
        }
        const bool isSparse = flags == 0 && special(sparse);
        const bool isResident = flags == 0 && !isSparse && special(resident);
        if (volume->AddFile(path, isSparse ? FILE_ATTRIBUTE_SPARSE_FILE : FILE_ATTRIBUTE_ARCHIVE,
                            flags) != ERROR_SUCCESS) {
            return fail(ERROR_INVALID_PARAMETER);
        }
        files.push_back(paths.Add(path));
        if (isResident) {
            const uint64_t size = 1 + random() % 600;
            const std::vector<uint8_t> data =
                spec.writeData ? MakeResidentData(spec.seed, index, size) : std::vector<uint8_t>{};
            if (volume->SetStream(path, L"", size, {}, data) != ERROR_SUCCESS) {
                return fail(ERROR_INVALID_PARAMETER);
            }
            continue;
        }
        uint64_t size =
            spec.minFileBytes +
            random() % (spec.maxFileBytes - std::min(spec.maxFileBytes, spec.minFileBytes) + 1);
        if (isSparse) {
            size = std::max<uint64_t>(size, 3 * uint64_t{bytesPerCluster});
        }
        plan(files.back(), L"", std::max<uint64_t>(size, 1), isSparse);
    }
    if (ntfs) {
        for (size_t i = 0; streams > 0 && i < files.size(); ++i, --streams) {
            plan(files[i], L"::$ATTRIBUTE_LIST", (1 + random() % 3) * uint64_t{bytesPerCluster},
                 false);
        }
        for (size_t i = 1; streams > 0 && i < directories.size(); ++i, --streams) {
            plan(directoryPaths[i], L"::$BITMAP", bytesPerCluster, false);
        }
    }
    for (uint32_t i = 0; i < spec.hardLinkCount && !files.empty(); ++i) {
        const std::wstring target = paths[files[random() % files.size()]];
        const std::wstring link =
            directories[random() % directories.size()] + L"\\link" + std::to_wstring(i) + L".bin";
        if (volume->AddHardLink(target, link) != ERROR_SUCCESS) {
            return fail(ERROR_INVALID_PARAMETER);
        }
    }

    // Lay out every piece in a shuffled order, then write each stream.
    std::vector<std::pair<size_t, size_t>> pieces;
    for (size_t s = 0; s < planned.size(); ++s) {
        for (size_t p = 0; p < planned[s].pieceCount; ++p) {
            pieces.emplace_back(s, planned[s].firstPiece + p);
        }
    }
    std::shuffle(pieces.begin(), pieces.end(), random);
    pieceLcns.assign(pieceLengths.size(), 0);
    for (const auto& [s, p] : pieces) {
        uint64_t lcn = 0;
        if (!placer.Place(pieceLengths[p], &lcn)) {
            return fail(ERROR_DISK_FULL);
        }
        pieceLcns[p] = lcn;
    }
    for (size_t s = 0; s < planned.size(); ++s) {
        const PlannedStream& stream = planned[s];
        std::vector<SimExtent> extents;
        uint64_t vcn = 0, allocated = 0;
        for (size_t p = stream.firstPiece; p < stream.firstPiece + stream.pieceCount; ++p) {
            uint64_t length = pieceLengths[p];
            uint64_t lcn = pieceLcns[p];
            // A piece that crosses the hole is split around it.
            if (stream.holeClusters > 0 && allocated < stream.holeAt &&
                allocated + length > stream.holeAt) {
                const uint64_t before = stream.holeAt - allocated;
                extents.push_back({vcn, static_cast<int64_t>(lcn), before});
                vcn += before;
                allocated += before;
                lcn += before;
                length -= before;
            }
            if (stream.holeClusters > 0 && allocated == stream.holeAt) {
                extents.push_back({vcn, kSimSparseLcn, stream.holeClusters});
                vcn += stream.holeClusters;
            }
            extents.push_back({vcn, static_cast<int64_t>(lcn), length});
            vcn += length;
            allocated += length;
        }
        const std::wstring path = paths[stream.path];
        DWORD result = volume->SetStream(path, stream.key, stream.size, extents, {});
        if (result == ERROR_SUCCESS && spec.writeData) {
            result = volume->FillStreamWithPattern(path, stream.key);
        }
        if (result != ERROR_SUCCESS) {
            return fail(result);
        }
    }
    volume->SetDurable(true);
    *error = volume->EndBatch();
    return *error == ERROR_SUCCESS ? std::move(volume) : nullptr;
}
