#include "SimVolumeModel.h"

#include <algorithm>
#include <cstring>
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

namespace {

wchar_t FoldUnit(wchar_t c) {
    if (c >= L'a' && c <= L'z') {
        return static_cast<wchar_t>(c - L'a' + L'A');
    }
    return c < 0x80 ? c : static_cast<wchar_t>(std::towupper(c));
}

void AppendFolded(std::wstring& out, std::wstring_view text) {
    const size_t from = out.size();
    out.append(text);
    for (size_t at = from; at < out.size(); ++at) {
        out[at] = FoldUnit(out[at]);
    }
}

} // namespace

std::wstring SimFoldName(const std::wstring& name) {
    std::wstring folded = name;
    SimFoldNameInPlace(folded);
    return folded;
}

void SimFoldNameInPlace(std::wstring& name) {
    for (wchar_t& c : name) {
        c = FoldUnit(c);
    }
}

bool SimStreamKey(std::wstring_view suffix, std::wstring* key) {
    if (suffix.empty()) {
        key->clear();
        return true;
    }
    if (suffix[0] != L':') {
        return false;
    }
    // "::$TYPE" in capitals, as a walk asks for an item's attribute streams, is its own key.
    if (suffix.size() > 3 && suffix[1] == L':' && suffix[2] == L'$' &&
        std::all_of(suffix.begin() + 3, suffix.end(),
                    [](wchar_t c) { return (c >= L'A' && c <= L'Z') || c == L'_'; })) {
        if (suffix == L"::$DATA") {
            key->clear();
        } else {
            key->assign(suffix);
        }
        return true;
    }
    const size_t typeColon = suffix.find(L':', 1);
    const std::wstring_view name = suffix.substr(
        1, typeColon == std::wstring_view::npos ? std::wstring_view::npos : typeColon - 1);
    const std::wstring_view type =
        typeColon == std::wstring_view::npos ? L"$DATA" : suffix.substr(typeColon + 1);
    if (type.size() < 2 || type[0] != L'$' || type.find(L':') != std::wstring_view::npos ||
        name.find_first_of(L"\\/*?") != std::wstring_view::npos) {
        return false;
    }
    // Built in place, so a key the caller keeps costs no allocation once it has grown.
    key->assign(1, L':');
    AppendFolded(*key, name);
    key->push_back(L':');
    AppendFolded(*key, type);
    if (name.empty() && *key == L"::$DATA") {
        key->clear();
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

void SimFillPattern(uint64_t seed, uint64_t lcn, uint32_t size, uint8_t* out) {
    // SplitMix64, eight bytes a step: a volume's data is gigabytes, and any bytes that depend
    // on the seed and the place serve.
    uint64_t state = (seed * 0x9E3779B97F4A7C15ull) ^ (lcn * 0xD1B54A32D192ED03ull);
    for (uint32_t i = 0; i < size; i += sizeof(uint64_t)) {
        uint64_t bytes = (state += 0x9E3779B97F4A7C15ull);
        bytes = (bytes ^ (bytes >> 30)) * 0xBF58476D1CE4E5B9ull;
        bytes = (bytes ^ (bytes >> 27)) * 0x94D049BB133111EBull;
        bytes ^= bytes >> 31;
        std::memcpy(out + i, &bytes, std::min<size_t>(sizeof bytes, size - i));
    }
}
