// The streams of hard-linked files a run has already put into the cluster map. A file with
// several names is walked once per name, but its clusters exist once: the map takes them in
// only at the first name. Files with one link never enter the set, so it stays small.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <unordered_set>

// Which stream of an item is processed: its data or one of the NTFS attribute streams.
enum class ItemStream : uint8_t { Data, AttributeList, Bitmap };

class CLinkedFileSet {
public:
    // True the first time a stream of this file identity is offered, and for every file with a
    // single link; false when another name of the file has offered the same stream before.
    bool AddIfFirst(const BY_HANDLE_FILE_INFORMATION& info, ItemStream stream);

private:
    struct Identity {
        DWORD volumeSerial;
        uint64_t fileIndex;
        ItemStream stream;
        bool operator==(const Identity&) const = default;
    };
    struct IdentityHash {
        size_t operator()(const Identity& identity) const noexcept;
    };

    std::unordered_set<Identity, IdentityHash> seen_;
};
