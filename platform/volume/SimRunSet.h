// The used clusters of a simulated volume as maximal runs, so that a huge, mostly free volume
// costs memory per run, not per cluster.
#pragma once

#include <cstdint>
#include <map>

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

    bool operator==(const CSimRunSet& other) const { return runs_ == other.runs_; }

private:
    Runs runs_;
    uint64_t used_ = 0;
};
