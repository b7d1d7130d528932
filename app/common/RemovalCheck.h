// CRemovalCheck: what stands at the paths of removed items now, told with one listing of each
// of their folders instead of a look-up of each path. Under Wine a look-up of a name that is no
// longer there searches its whole folder, so a removal of many items from one folder would
// search it once for each of them.
//
// Use: Add each item whose removal the system took (CHeldItem::Remove, or a shell operation)
// by its literal path and the identity it had, then Take the fates of all added so far.
#pragma once

#include <classlib/String.h>

#include "FileIdentity.h"

#include <cstddef>
#include <vector>

// What became of one removed item, named by the caller's tag.
struct RemovalFate {
    size_t tag = 0;
    // The path no longer names the item: it names nothing or another item, or the item only
    // waits for other programs to let it go.
    bool gone = false;
    // The path names nothing at all.
    bool vacated = false;
};

class CRemovalCheck {
public:
    void Add(const CString& literalPath, const FileIdentity& identity, size_t tag);
    // The fate of every item added since the last call, in the order they were added. What a
    // listing cannot settle (a folder that cannot be listed, the item's name still there, names
    // beyond plain letters, digits and signs) is looked up path by path, so a fate is never
    // guessed.
    [[nodiscard]] std::vector<RemovalFate> Take();

private:
    struct Removed {
        CString path;
        FileIdentity identity;
        size_t tag;
    };
    std::vector<Removed> removed_;
};
