#include "SimRunSet.h"

#include <algorithm>
#include <cstring>

namespace {

// Sets or clears bits [from, to) of a bit array, least significant bit first.
void SetBits(uint8_t* bits, uint64_t from, uint64_t to, bool value) {
    for (; from < to && from % 8 != 0; ++from) {
        const uint8_t bit = static_cast<uint8_t>(1u << (from % 8));
        bits[from / 8] = value ? bits[from / 8] | bit : bits[from / 8] & ~bit;
    }
    const uint64_t wholeBytes = (to - std::min(from, to)) / 8;
    std::memset(bits + from / 8, value ? 0xFF : 0, static_cast<size_t>(wholeBytes));
    from += wholeBytes * 8;
    for (; from < to; ++from) {
        const uint8_t bit = static_cast<uint8_t>(1u << (from % 8));
        bits[from / 8] = value ? bits[from / 8] | bit : bits[from / 8] & ~bit;
    }
}

} // namespace

bool CSimRunSet::IsFree(uint64_t lcn, uint64_t count) const {
    if (count == 0) {
        return true;
    }
    auto next = runs_.upper_bound(lcn);
    if (next != runs_.begin() && std::prev(next)->second > lcn) {
        return false;
    }
    return next == runs_.end() || next->first >= lcn + count;
}

void CSimRunSet::Add(uint64_t lcn, uint64_t count) {
    Assign(lcn, count, true);
}

void CSimRunSet::Remove(uint64_t lcn, uint64_t count) {
    Assign(lcn, count, false);
}

void CSimRunSet::Assign(uint64_t lcn, uint64_t count, bool used) {
    if (count == 0) {
        return;
    }
    MirrorRange(lcn, lcn + count, used);
    uint64_t first = lcn;
    uint64_t end = lcn + count;
    // Cut every run that overlaps or touches [first, end) out of the map, keeping its parts
    // outside the range; a used range then absorbs the touching runs.
    auto it = runs_.upper_bound(first);
    if (it != runs_.begin() && std::prev(it)->second >= first) {
        --it;
    }
    while (it != runs_.end() && it->first <= end) {
        const uint64_t runFirst = it->first;
        const uint64_t runEnd = it->second;
        used_ -= runEnd - runFirst;
        it = runs_.erase(it);
        if (used) {
            first = std::min(first, runFirst);
            end = std::max(end, runEnd);
        } else {
            if (runFirst < first) {
                runs_[runFirst] = first;
                used_ += first - runFirst;
            }
            if (runEnd > end) {
                it = runs_.emplace(end, runEnd).first;
                used_ += runEnd - end;
                break;
            }
        }
    }
    if (used) {
        runs_[first] = end;
        used_ += end - first;
    }
}

void CSimRunSet::Clear() {
    runs_.clear();
    used_ = 0;
    std::fill(bitmap_.begin(), bitmap_.end(), uint8_t{0});
}

void CSimRunSet::KeepBitmap(uint64_t clusterCount) {
    if (clusterCount == bitmapClusters_) {
        return;
    }
    bitmapClusters_ = clusterCount;
    bitmap_.assign(static_cast<size_t>((clusterCount + 7) / 8), 0);
    for (const auto& [first, end] : runs_) {
        MirrorRange(first, end, true);
    }
}

void CSimRunSet::MirrorRange(uint64_t first, uint64_t end, bool used) {
    if (first < bitmapClusters_) {
        SetBits(bitmap_.data(), first, std::min(end, bitmapClusters_), used);
    }
}

void CSimRunSet::FillBitmap(uint64_t firstLcn, uint64_t clusterCount, uint8_t* bits) const {
    const size_t bytes = static_cast<size_t>((clusterCount + 7) / 8);
    const uint64_t end = firstLcn + clusterCount;
    if (bitmapClusters_ != 0 && end <= bitmapClusters_) {
        std::memcpy(bits, bitmap_.data() + firstLcn / 8, bytes);
        if (clusterCount % 8 != 0) {
            bits[bytes - 1] &= static_cast<uint8_t>((1u << (clusterCount % 8)) - 1);
        }
        return;
    }
    std::memset(bits, 0, bytes);
    auto it = runs_.upper_bound(firstLcn);
    if (it != runs_.begin()) {
        --it;
    }
    for (; it != runs_.end() && it->first < end; ++it) {
        // The run before firstLcn may end before it.
        const uint64_t from = std::max(it->first, firstLcn);
        const uint64_t to = std::min(it->second, end);
        if (from < to) {
            SetBits(bits, from - firstLcn, to - firstLcn, true);
        }
    }
}
