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
