#include "SimRunSet.h"

#include <algorithm>
#include <cstring>

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
}

void CSimRunSet::FillBitmap(uint64_t firstLcn, uint64_t clusterCount, uint8_t* bits) const {
    std::memset(bits, 0, static_cast<size_t>((clusterCount + 7) / 8));
    const uint64_t end = firstLcn + clusterCount;
    auto it = runs_.upper_bound(firstLcn);
    if (it != runs_.begin()) {
        --it;
    }
    for (; it != runs_.end() && it->first < end; ++it) {
        uint64_t from = std::max(it->first, firstLcn) - firstLcn;
        const uint64_t to = std::min(it->second, end) - firstLcn;
        while (from < to && from % 8 != 0) {
            bits[from / 8] |= static_cast<uint8_t>(1u << (from % 8));
            ++from;
        }
        const uint64_t wholeBytes = (to - std::min(from, to)) / 8;
        std::memset(bits + from / 8, 0xFF, static_cast<size_t>(wholeBytes));
        from += wholeBytes * 8;
        for (; from < to; ++from) {
            bits[from / 8] |= static_cast<uint8_t>(1u << (from % 8));
        }
    }
}
