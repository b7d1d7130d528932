#include "SimVolumeChecker.h"

#include <algorithm>

namespace {

uint64_t Fnv1a(const std::vector<uint8_t>& data) {
    uint64_t hash = 0xCBF29CE484222325ull;
    for (uint8_t byte : data) {
        hash = (hash ^ byte) * 0x100000001B3ull;
    }
    return hash ^ data.size();
}

// Clusters of a that b lacks, and the first of them.
uint64_t ClustersMissingFrom(const CSimRunSet& a, const CSimRunSet& b, uint64_t* first) {
    uint64_t missing = 0;
    for (const auto& [start, end] : a.GetRuns()) {
        uint64_t at = start;
        auto it = b.GetRuns().upper_bound(at);
        if (it != b.GetRuns().begin()) {
            --it;
        }
        for (; at < end; ++it) {
            const uint64_t coveredFrom = it == b.GetRuns().end() ? end : std::max(it->first, at);
            const uint64_t gapEnd = std::min(coveredFrom, end);
            if (gapEnd > at) {
                if (missing == 0) {
                    *first = at;
                }
                missing += gapEnd - at;
            }
            if (it == b.GetRuns().end()) {
                break;
            }
            at = std::max(at, std::min(it->second, end));
        }
    }
    return missing;
}

struct OwnedRun {
    uint64_t lcn;
    uint64_t count;
    std::wstring owner;
};

} // namespace

SimDigests DigestSimVolume(const CSimVolume& volume) {
    const SimVolumeContent content = volume.CopyContent();
    SimDigests digests;
    std::vector<uint8_t> data;
    for (const auto& [id, record] : content.records) {
        const std::wstring path = volume.PathOf(id);
        for (const SimStream& stream : record.streams) {
            if (volume.ReadStream(id, stream.key, &data) == ERROR_SUCCESS) {
                digests[path + stream.key] = Fnv1a(data);
            }
        }
    }
    return digests;
}

std::vector<std::wstring> CheckSimVolume(const CSimVolume& volume, const SimDigests* expected) {
    const SimVolumeContent content = volume.CopyContent();
    const uint64_t total = content.geometry.totalClusters;
    std::vector<std::wstring> problems;
    std::vector<OwnedRun> owned;

    std::map<uint64_t, uint32_t> links;
    for (const auto& [id, record] : content.records) {
        const std::wstring path = volume.PathOf(id);
        for (const auto& [folded, entry] : record.children) {
            if (content.records.count(entry.recordId) == 0) {
                problems.push_back(path + L": entry " + entry.name + L" names no record");
            }
            ++links[entry.recordId];
        }
        for (const SimStream& stream : record.streams) {
            const std::wstring name = path + stream.key;
            uint64_t vcn = 0;
            for (const SimExtent& extent : stream.extents) {
                if (extent.vcn != vcn || extent.count == 0) {
                    problems.push_back(name + L": extents leave a gap or overlap at VCN " +
                                       std::to_wstring(vcn));
                }
                vcn = extent.vcn + extent.count;
                if (extent.lcn == kSimSparseLcn) {
                    continue;
                }
                if (extent.lcn < 0 || static_cast<uint64_t>(extent.lcn) >= total ||
                    extent.count > total - static_cast<uint64_t>(extent.lcn)) {
                    problems.push_back(name + L": extent outside the volume at LCN " +
                                       std::to_wstring(extent.lcn));
                    continue;
                }
                owned.push_back({static_cast<uint64_t>(extent.lcn), extent.count, name});
            }
            if (!stream.extents.empty() && vcn * content.geometry.bytesPerCluster < stream.size) {
                problems.push_back(name + L": allocation smaller than the size");
            }
        }
    }
    for (const auto& [id, record] : content.records) {
        const bool system = std::find(content.systemIds.begin(), content.systemIds.end(), id) !=
                            content.systemIds.end();
        const uint32_t expectedLinks = id == content.rootId || system ? 0 : record.linkCount;
        if (links[id] != expectedLinks) {
            problems.push_back(volume.PathOf(id) + L": " + std::to_wstring(links[id]) +
                               L" names for a link count of " + std::to_wstring(expectedLinks));
        }
    }

    std::sort(owned.begin(), owned.end(),
              [](const OwnedRun& a, const OwnedRun& b) { return a.lcn < b.lcn; });
    CSimRunSet ownedSet;
    uint64_t reachedEnd = 0;
    const OwnedRun* reachedBy = nullptr;
    for (const OwnedRun& run : owned) {
        if (reachedBy != nullptr && run.lcn < reachedEnd) {
            problems.push_back(L"cluster " + std::to_wstring(run.lcn) + L" is owned by " +
                               reachedBy->owner + L" and " + run.owner);
        }
        if (run.lcn + run.count > reachedEnd) {
            reachedEnd = run.lcn + run.count;
            reachedBy = &run;
        }
        ownedSet.Assign(run.lcn, run.count, true);
    }
    uint64_t first = 0;
    if (const uint64_t n = ClustersMissingFrom(content.used, ownedSet, &first); n > 0) {
        problems.push_back(L"the bitmap marks " + std::to_wstring(n) +
                           L" clusters used that nothing owns, from LCN " + std::to_wstring(first));
    }
    if (const uint64_t n = ClustersMissingFrom(ownedSet, content.used, &first); n > 0) {
        problems.push_back(L"the bitmap marks " + std::to_wstring(n) +
                           L" owned clusters free, from LCN " + std::to_wstring(first));
    }
    if (content.used.UsedClusters() > total ||
        (!content.used.GetRuns().empty() && content.used.GetRuns().rbegin()->second > total)) {
        problems.push_back(L"the bitmap marks clusters past the end of the volume");
    }

    if (expected != nullptr) {
        const SimDigests now = DigestSimVolume(volume);
        for (const auto& [name, digest] : *expected) {
            auto found = now.find(name);
            if (found == now.end()) {
                problems.push_back(name + L": missing");
            } else if (found->second != digest) {
                problems.push_back(name + L": data changed");
            }
        }
    }
    return problems;
}
