#include "XmlDoc.h"

#include <cwchar>

namespace {

bool IsSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r';
}

bool EndsToken(wchar_t c) {
    return IsSpace(c) || wcschr(L"<>=\\/?!", c) != nullptr;
}

} // namespace

CXmlDoc::CXmlDoc() {
    static_cast<void>(SetDocument(nullptr)); // empty: there is nothing to parse
}

bool CXmlDoc::FindToken(int from, Token& token) const {
    const LPCWSTR text = document_;
    const int length = document_.GetLength();
    int at = from;
    while (at < length && IsSpace(text[at]))
        ++at;
    if (at >= length)
        return false;
    token.quoted = text[at] == L'"' || text[at] == L'\'';
    if (token.quoted) {
        const wchar_t quote = text[at];
        token.start = at + 1;
        int end = token.start;
        while (end < length && text[end] != quote)
            ++end;
        token.length = end - token.start;
        token.next = end < length ? end + 1 : end;
        return true;
    }
    token.start = at;
    int end = at;
    while (end < length && !EndsToken(text[end]))
        ++end;
    if (end == at)
        ++end; // a delimiter is a token of its own
    token.length = end - at;
    token.next = end;
    return true;
}

bool CXmlDoc::TokenMatchesName(const Token& token, const CString& name) const {
    if (token.length > name.GetLength() ||
        wcsncmp(document_.GetString() + token.start, name, static_cast<size_t>(token.length)) != 0)
        return false;
    if (token.length == name.GetLength())
        return true;
    const wchar_t after = name[token.length];
    return after == L' ' || after == L'=' || after == L'/' || after == L'[';
}

// The offset after the node that starts with "<" at `at`, or -1 when it is not closed.
int CXmlDoc::ParseNode(int at) const {
    const LPCWSTR text = document_;
    const int length = document_.GetLength();
    if (at + 1 >= length)
        return -1;
    auto after = [&](LPCWSTR terminator) {
        const wchar_t* found = wcsstr(text + at + 2, terminator);
        return found ? static_cast<int>(found - text) + static_cast<int>(wcslen(terminator)) : -1;
    };
    if (text[at + 1] == L'?')
        return after(L"?>");
    if (text[at + 1] != L'!' || at + 2 >= length)
        return -1;
    if (text[at + 2] == L'[')
        return after(L"]]>");
    if (text[at + 2] == L'-')
        return after(L"-->");
    // A document type: the first ">" outside quotes and outside nested brackets.
    int depth = 0;
    Token token;
    for (int scan = at + 2; FindToken(scan, token); scan = token.next) {
        if (token.quoted)
            continue;
        const wchar_t c = text[token.start];
        if (c == L'[')
            ++depth;
        else if (c == L']')
            --depth;
        else if (c == L'>' && depth <= 0)
            return token.next;
    }
    return -1;
}

void CXmlDoc::EnsurePositions(int count) {
    if (positions_.GetSize() < count) {
        const INT_PTR old = positions_.GetSize();
        positions_.SetSize(count);
        for (INT_PTR i = old; i < count; ++i)
            positions_[i] = ElemPos{};
    }
}

int CXmlDoc::TakePosition() {
    if (free_ >= positions_.GetSize())
        EnsurePositions(free_ + free_ / 2 + 1);
    const int index = free_++;
    positions_[index] = ElemPos{};
    return index;
}

int CXmlDoc::ParseError(LPCWSTR format, const CString& name, int index) {
    error_.Format(format, name.GetString());
    if (index == free_ - 1)
        --free_;
    return -1;
}

int CXmlDoc::ParseElement(int parent) {
    const LPCWSTR text = document_;
    const int length = document_.GetLength();
    const int index = TakePosition();
    positions_[index].parent = parent;
    int scan = positions_[parent].endTagLeft;

    Token token;
    CString name;
    for (;;) {
        const wchar_t* open = scan < length ? wcschr(text + scan, L'<') : nullptr;
        if (!open) {
            // Running out of text inside an element means its end tag is missing.
            if (parent != 0)
                return ParseError(L"End tag of %s element not found", GetTagName(parent), index);
            return ParseError(L"Element tag not found", name, index);
        }
        const int left = static_cast<int>(open - text);
        positions_[index].startTagLeft = left;
        positions_[parent].endTagLeft = left;
        if (!FindToken(left + 1, token))
            return ParseError(L"Abrupt end within tag", name, index);
        if (token.quoted)
            return ParseError(L"Tag starts with quote", name, index);
        const wchar_t first = text[token.start];
        if (first == L'?' || first == L'!') {
            scan = ParseNode(left);
            if (scan < 0)
                return ParseError(L"Invalid node", name, index);
            positions_[parent].endTagLeft = scan;
            continue;
        }
        if (first == L'/') {
            --free_; // the parent's end tag: this position was not used
            return 0;
        }
        name = CString(text + token.start, token.length);
        // The ">" that ends the start tag, past any quoted attribute values.
        int right = -1;
        for (int at = token.next; FindToken(at, token); at = token.next) {
            if (!token.quoted && text[token.start] == L'>') {
                right = token.start;
                break;
            }
        }
        if (right < 0)
            return ParseError(L"End of tag not found", name, index);
        positions_[index].startTagRight = right;
        break;
    }

    ElemPos& self = positions_[index];
    if (text[self.startTagRight - 1] == L'/') {
        self.endTagLeft = self.startTagRight - 1;
        self.endTagRight = self.startTagRight;
        return index;
    }
    positions_[index].endTagLeft = positions_[index].startTagRight + 1;
    int previous = 0;
    for (;;) {
        const int child = ParseElement(index);
        if (child == 0)
            break;
        if (child < 0)
            return -1;
        if (previous == 0)
            positions_[index].firstChild = child;
        else
            positions_[previous].next = child;
        previous = child;
        positions_[index].endTagLeft = positions_[child].endTagRight + 1;
    }

    const int from = positions_[index].endTagLeft;
    const wchar_t* open = from < length ? wcschr(text + from, L'<') : nullptr;
    if (!open)
        return ParseError(L"End tag of %s element not found", name, index);
    positions_[index].endTagLeft = static_cast<int>(open - text);
    int tokens = 0;
    int right = -1;
    for (int at = positions_[index].endTagLeft + 1; FindToken(at, token); at = token.next) {
        if (token.quoted)
            continue;
        if (text[token.start] == L'>') {
            right = token.start;
            break;
        }
        ++tokens;
        if (tokens == 1 && text[token.start] != L'/')
            return ParseError(L"Expecting end tag of element %s", name, index);
        if (tokens == 2 && !TokenMatchesName(token, name))
            return ParseError(L"End tag does not correspond to %s", name, index);
    }
    if (right < 0 || tokens < 2)
        return ParseError(L"End tag not completed for element %s", name, index);
    positions_[index].endTagRight = right;
    return index;
}

bool CXmlDoc::SetDocument(LPCWSTR text) {
    free_ = 1;
    parent_ = current_ = child_ = 0;
    nodeType_ = 0;
    error_.Empty();
    document_ = text ? text : L"";
    EnsurePositions(document_.GetLength() / 64 + 8);

    bool found = false;
    if (!document_.IsEmpty()) {
        positions_[0] = ElemPos{};
        const int element = ParseElement(0);
        if (element >= 1) {
            positions_[0] = ElemPos{};
            positions_[0].firstChild = element;
            found = true;
        }
    }
    if (!found) {
        positions_[0] = ElemPos{};
        free_ = 1;
    }
    parent_ = current_ = child_ = 0;
    return found;
}

bool CXmlDoc::IsWellFormed() const {
    return positions_.GetSize() > 0 && positions_[0].firstChild != 0;
}

bool CXmlDoc::EnterElem() {
    if (nodeType_ != 1 || current_ == 0)
        return false;
    parent_ = current_;
    current_ = child_;
    child_ = 0;
    nodeType_ = current_ ? 1 : 0;
    return true;
}

bool CXmlDoc::LeaveElem() {
    if (parent_ == 0)
        return false;
    const int oldParent = parent_;
    child_ = current_;
    current_ = oldParent;
    parent_ = positions_[oldParent].parent;
    nodeType_ = 1;
    return true;
}

CString CXmlDoc::GetTagName(int index) const {
    if (index <= 0 || index >= positions_.GetSize())
        return CString();
    Token token;
    if (!FindToken(positions_[index].startTagLeft + 1, token) || token.quoted)
        return CString();
    return CString(document_.GetString() + token.start, token.length);
}

bool CXmlDoc::AddElem(LPCWSTR name, LPCWSTR text) {
    return InsertElement(name, text, false, false);
}

bool CXmlDoc::AddChildElem(LPCWSTR name, LPCWSTR text) {
    return InsertElement(name, text, false, true);
}

bool CXmlDoc::InsertElement(LPCWSTR name, LPCWSTR text, bool insertBefore, bool asChild) {
    if (!name || !*name)
        return false;
    if (asChild ? current_ == 0 : (parent_ == 0 && IsWellFormed()))
        return false;
    const int parent = asChild ? current_ : parent_;
    const int reference = asChild ? child_ : current_;

    // The neighbours in the parent's chain of children.
    int previous = 0;
    int next = 0;
    if (reference) {
        if (insertBefore) {
            next = reference;
            for (int at = positions_[parent].firstChild; at && at != reference;
                 at = positions_[at].next)
                previous = at;
        } else {
            previous = reference;
            next = positions_[reference].next;
        }
    } else if (insertBefore) {
        next = positions_[parent].firstChild;
    } else {
        for (int at = positions_[parent].firstChild; at; at = positions_[at].next)
            previous = at;
    }

    const CString nameText(name);
    const CString escaped = (text && *text) ? EscapeText(text, false) : CString();
    CString element;
    if (!escaped.IsEmpty())
        element.Format(L"<%s>%s</%s>\r\n", name, escaped.GetString(), name);
    else
        element.Format(L"<%s/>\r\n", name);

    const LPCWSTR doc = document_;
    const bool parentEmpty =
        parent != 0 && positions_[parent].startTagRight == positions_[parent].endTagLeft + 1;
    int offset;
    int replaced = 0;
    CString insertion;
    int elementStart;
    if (parentEmpty) {
        // "<p/>" opens into "<p>", a line break, the element and "</p>".
        offset = positions_[parent].endTagLeft;
        replaced = 1;
        insertion = L">\r\n" + element + L"</" + GetTagName(parent);
        elementStart = offset + 3;
    } else {
        if (previous)
            offset = positions_[previous].endTagRight + 1;
        else if (next)
            offset = positions_[next].startTagLeft;
        else if (parent == 0)
            offset = document_.GetLength();
        else
            offset =
                insertBefore ? positions_[parent].startTagRight + 1 : positions_[parent].endTagLeft;
        // Line breaks after the previous element belong before the new one.
        int skip = offset;
        while (skip < document_.GetLength() && IsSpace(doc[skip]))
            ++skip;
        if (skip < document_.GetLength() && doc[skip] == L'<')
            offset = skip;
        insertion = element;
        if (parent != 0 && !previous && !next &&
            positions_[parent].endTagLeft == positions_[parent].startTagRight + 1) {
            insertion = L"\r\n" + element; // "<p></p>" gets its end tag on a line of its own
        }
        elementStart = offset + (insertion.GetLength() - element.GetLength());
    }

    ElemPos created{};
    created.startTagLeft = elementStart;
    if (!escaped.IsEmpty()) {
        created.startTagRight = elementStart + nameText.GetLength() + 1;
        created.endTagLeft = created.startTagRight + escaped.GetLength() + 1;
        created.endTagRight = created.endTagLeft + nameText.GetLength() + 2;
    } else {
        created.startTagRight = elementStart + nameText.GetLength() + 2;
        created.endTagLeft = created.startTagRight - 1;
        created.endTagRight = created.startTagRight;
    }

    const int delta = insertion.GetLength() - replaced;
    for (int i = 1; i < free_; ++i) {
        if (parentEmpty && i == parent)
            continue;
        ElemPos& pos = positions_[i];
        for (int* field :
             {&pos.startTagLeft, &pos.startTagRight, &pos.endTagLeft, &pos.endTagRight})
            if (*field >= offset)
                *field += delta;
    }
    if (parentEmpty) {
        ElemPos& pos = positions_[parent];
        pos.startTagRight = offset;
        pos.endTagLeft = offset + insertion.GetLength() - GetTagName(parent).GetLength() - 2;
        pos.endTagRight = pos.endTagLeft + GetTagName(parent).GetLength() + 2;
    }
    document_.Delete(offset, replaced);
    document_.Insert(offset, insertion);

    const int index = TakePosition();
    created.parent = parent;
    if (previous) {
        created.next = positions_[previous].next;
        positions_[previous].next = index;
    } else {
        created.next = positions_[parent].firstChild;
        positions_[parent].firstChild = index;
    }
    positions_[index] = created;

    if (asChild) {
        current_ = parent;
        child_ = index;
    } else {
        current_ = index;
        child_ = 0;
    }
    nodeType_ = 1;
    return true;
}

CString CXmlDoc::EscapeText(LPCWSTR text, bool attribute) {
    CString result;
    if (!text)
        return result;
    const int length = static_cast<int>(wcslen(text));
    result.Preallocate(length + length / 10 + 7);
    for (const wchar_t* c = text; *c; ++c) {
        switch (*c) {
        case L'<':
            result += L"&lt;";
            break;
        case L'&':
            result += L"&amp;";
            break;
        case L'>':
            result += L"&gt;";
            break;
        case L'\'':
            result += attribute ? L"&apos;" : L"'";
            break;
        case L'"':
            result += attribute ? L"&quot;" : L"\"";
            break;
        default:
            result += *c;
        }
    }
    return result;
}
