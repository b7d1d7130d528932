// CProtectedFolders: the folders the junk cleaner never removes, however empty they are and
// whatever their attributes: the system's and the users' known folders (shell folders,
// profiles and what they are made of, the temporary folders), everything in the Windows folder,
// and the program's own folders.
#pragma once

#include <windows.h>

#include <vector>

#include <classlib/String.h>

class CProtectedFolders {
public:
    // Gathers the folders of this system and its users as they are now. Uses COM (the known
    // folders' list) in an apartment of its own where the thread has none.
    void Gather();

    // A folder the system keeps: protected itself.
    void AddKnownFolder(const CString& folder);
    // A folder protected with everything inside it.
    void AddWholeTree(const CString& folder);

    // True when `folder` is a known folder, lies on the way to one, stands beside one (the
    // system's folders around its known folders, such as Themes beside Recent) or lies in one of
    // the whole trees. A folder that cannot be told apart (no absolute path) is protected.
    [[nodiscard]] bool IsProtected(const CString& folder) const;

private:
    void AddShellFolders();
    void AddKnownFolderList();
    void AddProfiles();
    void AddProgramFolders();

    // Long forms, without a final backslash.
    std::vector<CString> known_;
    std::vector<CString> trees_;
};
