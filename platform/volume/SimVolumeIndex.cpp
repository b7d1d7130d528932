#include "SimVolumeIndex.h"

void CSimVolumeIndex::Clear() {
    built_ = false;
    items_.clear();
    places_.clear();
    entries_.clear();
    names_.clear();
    extents_.clear();
}

void CSimVolumeIndex::Build(const SimVolumeContent& content) {
    Clear();
    places_.assign(static_cast<size_t>(content.nextRecordId), kNone);
    auto record = [&](uint64_t id) -> const SimRecord* {
        auto found = content.records.find(id);
        return found == content.records.end() || id >= places_.size() ? nullptr : &found->second;
    };
    auto add = [&](uint64_t id, const SimRecord& source) {
        places_[id] = static_cast<uint32_t>(items_.size());
        Item& item = items_.emplace_back();
        item.id = id;
        item.attributes = source.attributes;
        item.flags = source.flags;
        item.linkCount = source.linkCount;
        item.streamCount = static_cast<uint32_t>(source.streams.size());
        if (!source.streams.empty()) {
            const SimStream& data = source.streams.front();
            item.dataSize = data.size;
            item.firstExtent = static_cast<uint32_t>(extents_.size());
            item.extentCount = static_cast<uint32_t>(data.extents.size());
            extents_.insert(extents_.end(), data.extents.begin(), data.extents.end());
        }
    };
    const SimRecord* root = record(content.rootId);
    if (root == nullptr || root->streams.empty()) {
        return;
    }
    add(content.rootId, *root);
    // Depth first, a directory's entries side by side: the order a walk lists and opens them.
    // Each directory is listed once, so a damaged tree with a loop ends too.
    std::vector<bool> listed(places_.size());
    listed[content.rootId] = true;
    std::vector<uint64_t> pending = {content.rootId};
    while (!pending.empty()) {
        const uint64_t id = pending.back();
        pending.pop_back();
        const SimRecord& directory = *record(id);
        const size_t first = entries_.size();
        const uint32_t place = places_[id];
        for (const auto& [folded, child] : directory.children) {
            const SimRecord* target = record(child.recordId);
            if (target == nullptr || target->streams.empty()) {
                continue; // a damaged entry: the content answers it
            }
            if (places_[child.recordId] == kNone) { // a hard link's record comes once
                add(child.recordId, *target);
            }
            entries_.push_back(Entry{child.recordId, places_[child.recordId],
                                     static_cast<uint32_t>(names_.size()),
                                     static_cast<uint32_t>(child.name.size())});
            names_ += child.name;
        }
        items_[place].firstEntry = static_cast<uint32_t>(first);
        items_[place].entryCount = static_cast<uint32_t>(entries_.size() - first);
        for (size_t at = entries_.size(); at > first; --at) {
            const uint64_t childId = entries_[at - 1].recordId;
            if (items_[entries_[at - 1].item].IsDirectory() && !listed[childId]) {
                listed[childId] = true;
                pending.push_back(childId);
            }
        }
    }
    built_ = true;
}

const CSimVolumeIndex::Entry* CSimVolumeIndex::NextListed(uint64_t directoryId,
                                                          std::wstring_view name) {
    Item* found = FindItem(directoryId);
    if (found == nullptr) {
        return nullptr;
    }
    Item& directory = *found;
    const std::span<const Entry> entries = EntriesOf(directory);
    for (size_t at = directory.nextListed; at < entries.size() && at < directory.nextListed + 2;
         ++at) {
        if (SimSameText(NameOf(entries[at]), name)) {
            directory.nextListed = static_cast<uint32_t>(at + 1);
            return &entries[at];
        }
    }
    return nullptr;
}
