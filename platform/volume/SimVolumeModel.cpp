#include "SimVolumeModel.h"

#include <cwctype>

const SimStream* SimRecord::FindStream(const std::wstring& key) const {
    for (const SimStream& stream : streams) {
        if (stream.key == key) {
            return &stream;
        }
    }
    return nullptr;
}

SimStream* SimRecord::FindStream(const std::wstring& key) {
    return const_cast<SimStream*>(static_cast<const SimRecord*>(this)->FindStream(key));
}

std::wstring SimFoldName(const std::wstring& name) {
    std::wstring folded = name;
    for (wchar_t& c : folded) {
        c = static_cast<wchar_t>(std::towupper(c));
    }
    return folded;
}

bool SimStreamKey(const std::wstring& suffix, std::wstring* key) {
    if (suffix.empty()) {
        key->clear();
        return true;
    }
    if (suffix[0] != L':') {
        return false;
    }
    const size_t typeColon = suffix.find(L':', 1);
    const std::wstring name =
        suffix.substr(1, typeColon == std::wstring::npos ? std::wstring::npos : typeColon - 1);
    std::wstring type =
        typeColon == std::wstring::npos ? L"$DATA" : SimFoldName(suffix.substr(typeColon + 1));
    if (type.size() < 2 || type[0] != L'$' || type.find(L':') != std::wstring::npos ||
        name.find_first_of(L"\\/*?") != std::wstring::npos) {
        return false;
    }
    if (name.empty() && type == L"$DATA") {
        key->clear();
    } else {
        *key = L":" + SimFoldName(name) + L":" + type;
    }
    return true;
}

uint64_t SimSpanClusters(const SimStream& stream) {
    return stream.extents.empty() ? 0 : stream.extents.back().vcn + stream.extents.back().count;
}

uint64_t SimAllocatedClusters(const SimStream& stream) {
    uint64_t allocated = 0;
    for (const SimExtent& extent : stream.extents) {
        if (extent.lcn != kSimSparseLcn) {
            allocated += extent.count;
        }
    }
    return allocated;
}
