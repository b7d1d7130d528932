// CHeldItem: one file or folder opened by its literal path as itself (a reparse point is never
// followed), checked against the identity recorded when it was found, and removed through the
// same open handle, so that what goes is exactly what was checked.
//
// Use: Open (or OpenAsRecorded) with the purpose of the removal; while the item is held
// nobody can write it, and for kDelete nobody can rename or delete it either. Then DeleteForGood
// or MoveToRecycleBin. Every step answers an ItemOutcome; an item that is not kDone after
// opening is not held.
#pragma once

#include <windows.h>

#include <classlib/String.h>
#include <owners/WinOwners.h>

#include "FileIdentity.h"

// What became of an item, or of the step taken on it.
enum class ItemOutcome {
    kDone,             // held (open), matches (check), or gone from its place (removal)
    kChangedSinceScan, // another item, or the item changed: other size, times or kind, a
                       // reparse point, a folder that is no longer empty
    kInUse,            // another program holds it in a way that excludes this step
    kGone,             // nothing at the path
    kFailed,           // anything else: no such literal path, access refused, the removal failed
};

class CHeldItem {
public:
    enum class Purpose {
        kRead,    // read its content; others may read it, not write, rename or delete it
        kDelete,  // read, then delete for good; others may only read it meanwhile
        kRecycle, // read, then move to the Recycle Bin; others may read it, and the shell may
                  // move it, but nobody may write it meanwhile
    };

    CHeldItem() = default;
    CHeldItem(CHeldItem&&) = default;
    CHeldItem& operator=(CHeldItem&&) = default;

    // Opens the item at `path` (taken literally, see ToLiteralPath) for `purpose` and reads its
    // identity. kInUse when another program's handle excludes the purpose; kChangedSinceScan
    // for a reparse point, and for removal also for an item the system places elsewhere
    // (reached through a link, or a link Wine shows as the file it names). For kRead the
    // identity alone tells the item.
    [[nodiscard]] ItemOutcome Open(const CString& path, Purpose purpose);
    // Open, and then kChangedSinceScan (nothing held) unless the item matches `recorded`.
    [[nodiscard]] ItemOutcome OpenAsRecorded(const CString& path, const FileIdentity& recorded,
                                             Purpose purpose);
    void Release();

    bool IsHeld() const { return handle_.IsValid(); }
    HANDLE Handle() const { return handle_.Get(); }
    const FileIdentity& Identity() const { return identity_; }
    // The path in literal form.
    const CString& Path() const { return path_; }

    // True when the held folder has no entries now.
    [[nodiscard]] bool IsEmptyFolder() const;

    // Deletes the held item for good through its handle (kDelete or kRecycle). A read-only file
    // is made writable through the handle first and gets its attributes back when it still
    // cannot be deleted; a folder goes only while it is empty (kChangedSinceScan otherwise).
    // kDone once the path no longer names the item. The item is released either way.
    [[nodiscard]] ItemOutcome DeleteForGood();
    // The same deletion, kDone once the system took it: the item goes as its last handle
    // closes. For a caller that tells where many removed items stand afterwards at once
    // (CRemovalCheck). The item is released either way.
    [[nodiscard]] ItemOutcome Remove();
    // Moves the held item to the Recycle Bin through the shell (kRecycle only) while the handle
    // still holds it, under a path the shell takes that is checked to name this very item (the
    // ordinary path, else the short one, else the literal one when its ordinary reading names
    // nothing else). A folder goes only while it is empty. kDone once the path no longer names
    // the item. The item is released either way.
    [[nodiscard]] ItemOutcome MoveToRecycleBin(HWND owner);
    // The same move in two steps, for a caller that hands many held items to the shell in one
    // operation and keeps holding them meanwhile: first the path to give the shell for this
    // item (kChangedSinceScan for a folder no longer empty, kFailed when no path the shell takes
    // reaches this very item; the item is released then), then, after the operation, where the
    // item is: kDone once the path no longer names it. The item is released by the second step.
    [[nodiscard]] ItemOutcome PrepareRecycling(CString& shellPath);
    [[nodiscard]] ItemOutcome FinishRecycling();

private:
    [[nodiscard]] bool ChooseShellPath(CString& shellPath) const;

    KernelHandle handle_;
    CString path_;
    FileIdentity identity_;
    Purpose purpose_ = Purpose::kRead;
};

// Reads the identity of the item at `path` (taken literally) without holding it; other
// programs' handles do not stand in the way. A reparse point, or an item reached through one,
// is kChangedSinceScan.
[[nodiscard]] ItemOutcome ReadItemIdentity(const CString& path, FileIdentity& identity);

// False when the system places the item `item` holds elsewhere than `literalPath` names: a link
// on the way, or one that the system shows as what it names. Nothing is said when the system
// cannot tell (true).
[[nodiscard]] bool ReachesOwnPlace(HANDLE item, const CString& literalPath);

// True only when the path (taken literally) is known to name nothing, not when it merely
// cannot be read.
[[nodiscard]] bool IsPathGone(const CString& path);

// True when the literal path still names the item of that identity, or it cannot be told; false
// when it names nothing or another item, or the item waits for other programs to let it go.
[[nodiscard]] bool PathStillNames(const CString& literalPath, const FileIdentity& identity);
