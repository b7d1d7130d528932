// Times the run list: building it from the bitmap of volumes up to 2^28 clusters, first and
// again at the same size, against a plain pass over the same bitmap that only counts its runs;
// and answering first-fit free-run queries on a volume with 10^6 free runs. Each indexed answer
// is checked against a plain walk of the free runs in LCN order for a sample of the queries.
// Prints one line per measurement; not a test.
#include "RunList.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Alternating used and free runs with lengths drawn from [1, 2 * meanRun].
std::vector<uint8_t> MakeBitmap(uint64_t clusters, uint64_t meanRun, uint64_t seed,
                                uint64_t* freeRuns) {
    std::vector<uint8_t> bitmap((clusters + 7) / 8, 0);
    std::mt19937_64 random(seed);
    bool used = true;
    *freeRuns = 0;
    for (uint64_t lcn = 0; lcn < clusters;) {
        const uint64_t length = std::min(clusters - lcn, 1 + random() % (2 * meanRun));
        if (used) {
            for (uint64_t i = lcn; i < lcn + length; ++i) {
                bitmap[i >> 3] |= static_cast<uint8_t>(1u << (i & 7));
            }
        } else {
            ++*freeRuns;
        }
        lcn += length;
        used = !used;
    }
    return bitmap;
}

// The specified search: walk the free runs from the lowest LCN.
bool PlainFindFreeRun(const CRunList& list, uint64_t minimum, uint64_t wanted, uint64_t& lcn,
                      uint64_t& length) {
    const RunNode* longest = nullptr;
    for (const RunNode* node = list.Head(); node != nullptr; node = node->next) {
        if (node->used) {
            continue;
        }
        if (node->Length() >= wanted) {
            lcn = node->startLcn;
            length = node->Length();
            return true;
        }
        if (longest == nullptr || node->Length() > longest->Length()) {
            longest = node;
        }
    }
    if (longest == nullptr || longest->Length() < minimum) {
        return false;
    }
    lcn = longest->startLcn;
    length = longest->Length();
    return true;
}

// The plain pass: from each run's first cluster, scan to the first cluster of the other value
// (a 64-bit word at a time where it can) and count the run.
uint64_t CountRuns(const uint8_t* bitmap, uint64_t clusters) {
    const uint64_t bytes = (clusters + 7) / 8;
    auto bit = [&](uint64_t lcn) { return ((bitmap[lcn >> 3] >> (lcn & 7)) & 1) != 0; };
    uint64_t runs = 0;
    for (uint64_t lcn = 0; lcn < clusters; ++runs) {
        const bool used = bit(lcn);
        for (;;) {
            if ((lcn >> 3) + 8 > bytes) {
                while (lcn < clusters && bit(lcn) == used) {
                    ++lcn;
                }
                break;
            }
            uint64_t word;
            std::memcpy(&word, bitmap + (lcn >> 3), sizeof word);
            word = (used ? ~word : word) >> (lcn & 7);
            const unsigned valid = 64 - static_cast<unsigned>(lcn & 7);
            if (valid < 64) {
                word &= (uint64_t{1} << valid) - 1;
            }
            if (word != 0) {
                lcn += static_cast<uint64_t>(__builtin_ctzll(word));
                break;
            }
            lcn += valid;
        }
    }
    return runs;
}

template <typename Work> double MedianSeconds(int repeats, Work work) {
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        const Clock::time_point start = Clock::now();
        work();
        times.push_back(SecondsSince(start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void BenchBuild(unsigned log2Clusters) {
    const uint64_t clusters = uint64_t{1} << log2Clusters;
    uint64_t freeRuns = 0;
    const std::vector<uint8_t> bitmap = MakeBitmap(clusters, 128, log2Clusters, &freeRuns);
    CRunList list;
    Clock::time_point start = Clock::now();
    list.Build(bitmap.data(), clusters, clusters);
    const double first = SecondsSince(start);
    const int repeats = 9;
    const double rebuild =
        MedianSeconds(repeats, [&] { list.Build(bitmap.data(), clusters, clusters); });
    uint64_t runs = 0;
    const double counting =
        MedianSeconds(repeats, [&] { runs = CountRuns(bitmap.data(), clusters); });
    uint64_t listed = 0;
    for (const RunNode* node = list.Head(); node != nullptr; node = node->next) {
        ++listed;
    }
    std::printf("build 2^%u clusters (%llu free runs): first %.1f ms, rebuild %.1f ms (median of "
                "%d), counting pass %.1f ms: rebuild %.2fx the counting pass; %.1f bytes per "
                "free run (%.1f MiB)%s\n",
                log2Clusters, static_cast<unsigned long long>(freeRuns), first * 1e3, rebuild * 1e3,
                repeats, counting * 1e3, rebuild / counting,
                static_cast<double>(list.ReservedBytes()) / static_cast<double>(freeRuns),
                static_cast<double>(list.ReservedBytes()) / (1024.0 * 1024.0),
                runs == listed ? "" : "; RUN COUNTS DIFFER");
}

void BenchQueries(uint64_t wantedFreeRuns) {
    // Runs average 128 clusters, so the volume holds about the wanted number of free runs.
    const uint64_t clusters = wantedFreeRuns * 256;
    uint64_t freeRuns = 0;
    const std::vector<uint8_t> bitmap = MakeBitmap(clusters, 128, 99, &freeRuns);
    CRunList list;
    list.Build(bitmap.data(), clusters, clusters);

    const int queries = 1'000'000;
    std::mt19937_64 random(5);
    std::vector<std::pair<uint64_t, uint64_t>> asks(queries);
    for (auto& [minimum, wanted] : asks) {
        wanted = 1 + random() % 300; // most fit early, some only far out or nowhere
        minimum = 1 + random() % wanted;
    }
    uint64_t checksum = 0;
    const Clock::time_point start = Clock::now();
    for (const auto& [minimum, wanted] : asks) {
        uint64_t lcn = 0;
        uint64_t length = 0;
        if (list.FindFreeRun(minimum, wanted, lcn, length)) {
            checksum += lcn;
        }
    }
    const double seconds = SecondsSince(start);

    int mismatches = 0;
    const int checked = 300;
    double plainSeconds = 0;
    for (int i = 0; i < checked; ++i) {
        const auto& [minimum, wanted] = asks[static_cast<size_t>(i) * (queries / checked)];
        uint64_t lcn = 0, length = 0, plainLcn = 0, plainLength = 0;
        const bool found = list.FindFreeRun(minimum, wanted, lcn, length);
        const Clock::time_point plainStart = Clock::now();
        const bool plainFound = PlainFindFreeRun(list, minimum, wanted, plainLcn, plainLength);
        plainSeconds += SecondsSince(plainStart);
        if (found != plainFound || (found && (lcn != plainLcn || length != plainLength))) {
            ++mismatches;
        }
    }
    std::printf("%d first-fit queries, %llu free runs: %.3f s, %.0f ns per query (plain walk "
                "%.0f ns per query); %d of %d answers differ from the plain walk\n",
                queries, static_cast<unsigned long long>(freeRuns), seconds,
                seconds * 1e9 / queries, plainSeconds * 1e9 / checked, mismatches, checked);
    if (checksum == 0) {
        std::printf("no query found a run\n"); // keeps the timed loop from being optimised away
    }
}

} // namespace

int main() {
    for (unsigned log2Clusters : {24u, 26u, 28u}) {
        BenchBuild(log2Clusters);
    }
    for (uint64_t freeRuns : {10'000ull, 100'000ull, 1'000'000ull}) {
        BenchQueries(freeRuns);
    }
    return 0;
}
