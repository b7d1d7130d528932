#include "JunkPattern.h"

#include <shlwapi.h>

namespace {

// Whether `text` (`length` characters) matches `literal` character by character, a "?" of it
// matching any one character.
bool MatchesSingles(const wchar_t* text, const CString& literal, int length) {
    for (int i = 0; i < length; ++i)
        if (literal[i] != text[i] && literal[i] != L'?')
            return false;
    return true;
}

} // namespace

CJunkPattern::CJunkPattern(const CString& pattern) : pattern_(pattern) {
    pattern_.MakeLower();
    const int length = pattern_.GetLength();
    // Spaces before a pattern, ";"-separated lists, inner "*" and "?" in a searched-for text
    // take the general matcher, as does "*.*", which matches every name.
    if (length == 0 || pattern_[0] == L' ' || pattern_ == L"*.*" || pattern_.Find(L';') >= 0)
        return;
    // The general matcher compares a pattern's first character with a name's, unless it is a
    // wildcard: most names fail there, without the call.
    if (pattern_[0] != L'*' && pattern_[0] != L'?')
        upperFirst_ = towupper(pattern_[0]);
    const bool leadingStar = pattern_[0] == L'*';
    const bool trailingStar = length > 1 && pattern_[length - 1] == L'*';
    const CString literal =
        pattern_.Mid(leadingStar ? 1 : 0, length - (leadingStar ? 1 : 0) - (trailingStar ? 1 : 0));
    if (literal.IsEmpty() || literal.Find(L'*') >= 0)
        return;
    const bool singles = literal.Find(L'?') >= 0;
    if (leadingStar && trailingStar) {
        if (singles)
            return;
        kind_ = kContains;
    } else if (leadingStar) {
        kind_ = kSuffix;
    } else if (trailingStar) {
        kind_ = kPrefix;
    } else {
        kind_ = kExact;
    }
    literal_ = literal;
}

bool CJunkPattern::Matches(const CString& lowerText) const {
    const int textLength = lowerText.GetLength();
    const int literalLength = literal_.GetLength();
    switch (kind_) {
    case kContains:
        return wcsstr(lowerText, literal_) != nullptr;
    case kPrefix:
        return textLength >= literalLength && MatchesSingles(lowerText, literal_, literalLength);
    case kSuffix:
        return textLength >= literalLength &&
               MatchesSingles(lowerText.GetString() + textLength - literalLength, literal_,
                              literalLength);
    case kExact:
        return textLength == literalLength && MatchesSingles(lowerText, literal_, literalLength);
    case kGeneral:
        break;
    }
    if (upperFirst_ != 0 && (textLength == 0 || towupper(lowerText[0]) != upperFirst_))
        return false;
    return PathMatchSpecW(lowerText, pattern_) != FALSE;
}

CJunkPattern::Reach CJunkPattern::ReachUnder(const CString& lowerFolder, int& from) const {
    from = 0;
    const int folderLength = lowerFolder.GetLength();
    const int literalLength = literal_.GetLength();
    switch (kind_) {
    case kContains:
        if (wcsstr(lowerFolder, literal_) != nullptr)
            return Reach::kEvery;
        // Not in the folder's path: an occurrence ends in the entry's name.
        from = folderLength > literalLength ? folderLength - literalLength + 1 : 0;
        return Reach::kEach;
    case kPrefix:
        if (folderLength < literalLength)
            return Reach::kEach;
        return MatchesSingles(lowerFolder, literal_, literalLength) ? Reach::kEvery : Reach::kNone;
    default:
        return Reach::kEach;
    }
}

bool CJunkPattern::MatchesFrom(const CString& lowerText, int from) const {
    if (kind_ == kContains)
        return from <= lowerText.GetLength() &&
               wcsstr(lowerText.GetString() + from, literal_) != nullptr;
    return Matches(lowerText);
}

CJunkFolderPatterns::CJunkFolderPatterns(const std::vector<CJunkPattern>& patterns,
                                         const CString& lowerFolder) {
    for (const CJunkPattern& pattern : patterns) {
        int from = 0;
        switch (pattern.ReachUnder(lowerFolder, from)) {
        case CJunkPattern::Reach::kEvery:
            every_ = true;
            each_.clear();
            return;
        case CJunkPattern::Reach::kEach:
            each_.emplace_back(&pattern, from);
            break;
        case CJunkPattern::Reach::kNone:
            break;
        }
    }
}

bool CJunkFolderPatterns::Matches(const CString& lowerPath) const {
    if (every_)
        return true;
    for (const auto& [pattern, from] : each_)
        if (pattern->MatchesFrom(lowerPath, from))
            return true;
    return false;
}
