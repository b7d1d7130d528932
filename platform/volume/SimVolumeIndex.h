// A compact, read-only copy of what a walk asks of a simulated volume: each directory's entries
// side by side in listing order with their names in one arena, and per record its attributes,
// size and default stream's extents, laid out in the order a walk visits them. A walk of a
// million files then reads memory in sequence instead of chasing a node per name and record.
#pragma once

#include "SimVolumeModel.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CSimVolumeIndex {
public:
    // One name in a directory.
    struct Entry {
        uint64_t recordId = 0;
        uint32_t item = 0; // its record's place in the items
        uint32_t nameOffset = 0;
        uint32_t nameLength = 0;
    };
    // A record reached by a path; the extents are its default stream's.
    struct Item {
        uint64_t id = 0;
        DWORD attributes = 0;
        uint32_t flags = 0;
        uint32_t linkCount = 0;
        uint32_t streamCount = 0;
        uint64_t dataSize = 0;
        uint32_t firstEntry = 0;
        uint32_t entryCount = 0;
        uint32_t firstExtent = 0;
        uint32_t extentCount = 0;
        uint32_t nextListed = 0;   // directories: the entry a walk is expected to open next
        bool extentsStale = false; // moved since: the content holds them

        bool IsDirectory() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    };

    // Indexes every record reachable from the root, depth first in listing order.
    void Build(const SimVolumeContent& content);
    void Clear();
    bool Built() const { return built_; }
    static constexpr uint32_t kNone = ~uint32_t{0};

    // Null for a record the index does not hold (a system file, or none at all).
    const Item* Find(uint64_t id) const {
        return id < places_.size() && places_[id] != kNone ? &items_[places_[id]] : nullptr;
    }
    // Find with a hint: the item's place as an entry or an earlier answer gave it. The table of
    // places is by id, so a walk that reaches ids out of order would miss the cache on each.
    const Item* Find(uint64_t id, uint32_t place) const {
        return place < items_.size() && items_[place].id == id ? &items_[place] : Find(id);
    }
    uint32_t PlaceOf(const Item& item) const {
        return static_cast<uint32_t>(&item - items_.data());
    }
    const Item& ItemOf(const Entry& entry) const { return items_[entry.item]; }
    std::span<const Entry> EntriesOf(const Item& item) const {
        return {entries_.data() + item.firstEntry, item.entryCount};
    }
    std::wstring_view NameOf(const Entry& entry) const {
        return {names_.data() + entry.nameOffset, entry.nameLength};
    }
    std::span<const SimExtent> ExtentsOf(const Item& item) const {
        return {extents_.data() + item.firstExtent, item.extentCount};
    }
    // directoryId's entry named exactly name when it is the next one a walk opens (the one after
    // the last opened, or the one after that when one was passed over); null otherwise. Every
    // directory keeps its own place, so returning from a subdirectory costs nothing.
    const Entry* NextListed(uint64_t directoryId, std::wstring_view name);
    void Rewind(uint64_t directoryId) {
        if (Item* directory = FindItem(directoryId)) {
            directory->nextListed = 0;
        }
    }
    // A move changed the record's layout; its extents are read from the content from now on.
    void MarkExtentsStale(uint64_t id) {
        if (Item* item = FindItem(id)) {
            item->extentsStale = true;
        }
    }

private:
    Item* FindItem(uint64_t id) { return const_cast<Item*>(Find(id)); }

    bool built_ = false;
    // In the order a walk reaches them, so that it reads them in sequence; places_ is by id.
    std::vector<Item> items_;
    std::vector<uint32_t> places_;
    std::vector<Entry> entries_;
    std::wstring names_;
    std::vector<SimExtent> extents_;
};
