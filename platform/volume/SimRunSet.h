// The used clusters of a simulated volume as maximal runs, so that a huge, mostly free volume
// costs memory per run, not per cluster. A set whose bitmap is read may also keep a plain bit
// array of its first clusters in step, as the file system keeps its bitmap file.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

class CSimRunSet {
public:
    // Runs keyed by first LCN, mapping to one past their last LCN; neighbours never touch.
    using Runs = std::map<uint64_t, uint64_t>;

    bool IsFree(uint64_t lcn, uint64_t count) const;
    // The range must be free (respectively used) as a whole.
    void Add(uint64_t lcn, uint64_t count);
    void Remove(uint64_t lcn, uint64_t count);
    // Sets or clears a range whatever it held before.
    void Assign(uint64_t lcn, uint64_t count, bool used);

    uint64_t UsedClusters() const { return used_; }
    const Runs& GetRuns() const { return runs_; }
    void Clear();

    // Writes the bitmap of clusterCount clusters from firstLcn (a multiple of 8) into bits,
    // least significant bit first, 1 for used; bits past clusterCount in the last byte are 0.
    void FillBitmap(uint64_t firstLcn, uint64_t clusterCount, uint8_t* bits) const;

    // Keeps a bit array of clusters [0, clusterCount) in step with the runs from now on, so that
    // FillBitmap copies bytes instead of walking a node per run. Costs clusterCount / 8 bytes.
    void KeepBitmap(uint64_t clusterCount);
    bool KeepsBitmap() const { return bitmapClusters_ != 0; }

    // Equal runs; a kept bitmap is a copy of them and does not count.
    bool operator==(const CSimRunSet& other) const { return runs_ == other.runs_; }

private:
    // Sets or clears the kept bitmap's bits of [first, end), as far as it reaches.
    void MirrorRange(uint64_t first, uint64_t end, bool used);

    Runs runs_;
    uint64_t used_ = 0;
    std::vector<uint8_t> bitmap_; // the kept bit array, empty when none is kept
    uint64_t bitmapClusters_ = 0;
};
