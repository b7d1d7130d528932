#include "JunkPattern.h"

#include <shlwapi.h>

CJunkPattern::CJunkPattern(const CString& pattern) : pattern_(pattern) {
    pattern_.MakeLower();
    const int length = pattern_.GetLength();
    // Spaces before a pattern, ";"-separated lists, "?" and inner "*" take the general matcher,
    // as does "*.*", which matches every name.
    if (length == 0 || pattern_[0] == L' ' || pattern_ == L"*.*" || pattern_.FindOneOf(L"?;") >= 0)
        return;
    const bool leadingStar = pattern_[0] == L'*';
    const bool trailingStar = length > 1 && pattern_[length - 1] == L'*';
    const CString literal =
        pattern_.Mid(leadingStar ? 1 : 0, length - (leadingStar ? 1 : 0) - (trailingStar ? 1 : 0));
    if (literal.IsEmpty() || literal.Find(L'*') >= 0)
        return;
    literal_ = literal;
    if (leadingStar && trailingStar)
        kind_ = kContains;
    else if (leadingStar)
        kind_ = kSuffix;
    else if (trailingStar)
        kind_ = kPrefix;
    else
        kind_ = kExact;
}

bool CJunkPattern::Matches(const CString& lowerText) const {
    const int textLength = lowerText.GetLength();
    const int literalLength = literal_.GetLength();
    switch (kind_) {
    case kContains:
        return wcsstr(lowerText, literal_) != nullptr;
    case kPrefix:
        return textLength >= literalLength && wcsncmp(lowerText, literal_, literalLength) == 0;
    case kSuffix:
        return textLength >= literalLength &&
               wcscmp(lowerText.GetString() + textLength - literalLength, literal_) == 0;
    case kExact:
        return lowerText == literal_;
    case kGeneral:
        break;
    }
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
        return wcsncmp(lowerFolder, literal_, literalLength) == 0 ? Reach::kEvery : Reach::kNone;
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
