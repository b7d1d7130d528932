#include "RemovalCheck.h"

#include "FolderListing.h"
#include "HeldItem.h"

#include <string>
#include <string_view>
#include <unordered_map>

namespace {

std::wstring_view ViewOf(const CString& text) {
    return std::wstring_view(text.GetString(), static_cast<size_t>(text.GetLength()));
}

std::wstring_view NameOf(const CString& literalPath) {
    const std::wstring_view path = ViewOf(literalPath);
    return path.substr(path.find_last_of(L'\\') + 1);
}

CString FolderOf(const CString& literalPath) {
    return literalPath.Left(literalPath.ReverseFind(L'\\'));
}

bool IsPlainText(std::wstring_view name) {
    for (const wchar_t c : name)
        if (c >= 0x80)
            return false;
    return true;
}

// A name with its plain letters upper-cased: two plain names the file system takes for one
// have one key. Other letters are left to the system's own comparison.
std::wstring KeyOf(std::wstring_view name) {
    std::wstring key(name);
    for (wchar_t& c : key)
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    return key;
}

// The fate of one item by a look-up of its path.
RemovalFate LookUp(const CString& path, const FileIdentity& identity, size_t tag) {
    RemovalFate fate{tag};
    fate.vacated = IsPathGone(path);
    fate.gone = fate.vacated || !PathStillNames(path, identity);
    return fate;
}

} // namespace

void CRemovalCheck::Add(const CString& literalPath, const FileIdentity& identity, size_t tag) {
    removed_.push_back({literalPath, identity, tag});
}

std::vector<RemovalFate> CRemovalCheck::Take() {
    // The items by folder; a folder spelt in two ways is merely listed twice.
    std::unordered_map<std::wstring, std::vector<size_t>> byFolder;
    std::vector<std::wstring> folders; // in the order first met
    for (size_t i = 0; i < removed_.size(); ++i) {
        const CString folder = FolderOf(removed_[i].path);
        std::wstring key = KeyOf(ViewOf(folder));
        auto [entry, added] = byFolder.try_emplace(key);
        if (added)
            folders.push_back(std::move(key));
        entry->second.push_back(i);
    }
    std::vector<RemovalFate> fates(removed_.size());
    std::vector<ListedItem> listed;
    std::unordered_map<std::wstring, const ListedItem*> byName;
    for (const std::wstring& key : folders) {
        const std::vector<size_t>& items = byFolder[key];
        const Removed& first = removed_[items.front()];
        const DWORD serial = first.identity.volumeSerial;
        const bool listedWhole = ListFolderItems(FolderOf(first.path), &serial, listed);
        byName.clear();
        bool plainListing = true;
        for (const ListedItem& item : listed) {
            byName.emplace(KeyOf(ViewOf(item.name)), &item);
            plainListing = plainListing && IsPlainText(ViewOf(item.name));
        }
        for (const size_t i : items) {
            const Removed& item = removed_[i];
            const std::wstring_view name = NameOf(item.path);
            const auto standing = byName.find(KeyOf(name));
            const bool found = standing != byName.end() && ViewOf(standing->second->name) == name;
            // Between plain names the file system's comparison is the keys' own.
            if (listedWhole && plainListing && standing == byName.end() && IsPlainText(name))
                fates[i] = {item.tag, true, true};
            else if (found && standing->second->identified &&
                     !standing->second->identity.IsSameItem(item.identity))
                fates[i] = {item.tag, true, false};
            else
                fates[i] = LookUp(item.path, item.identity, item.tag);
        }
    }
    removed_.clear();
    return fates;
}
