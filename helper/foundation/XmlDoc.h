// An XML document kept as one text with an index of its elements: parse, walk with a cursor,
// add elements (spliced into the text), escape texts.
#pragma once

#include <classlib/Array.h>
#include <classlib/String.h>

class CXmlDoc {
public:
    // Character offsets and links of one element; index 0 is the virtual root.
    struct ElemPos {
        int startTagLeft;  // "<" of the start tag
        int startTagRight; // ">" of the start tag
        int endTagLeft;    // "<" of the end tag; the "/" of an empty element
        int endTagRight;   // ">" of the end tag; startTagRight of an empty element
        int reserved;
        int parent;
        int firstChild;
        int next;
    };

    CXmlDoc();
    virtual ~CXmlDoc() = default;
    CXmlDoc(const CXmlDoc&) = delete;
    CXmlDoc& operator=(const CXmlDoc&) = delete;

    // Replaces and parses the document (null: empty); true when a document element was found.
    [[nodiscard]] bool SetDocument(LPCWSTR text);
    const CString& GetDocument() const { return document_; }
    const CString& GetError() const { return error_; }
    bool IsWellFormed() const;

    bool EnterElem();
    bool LeaveElem();
    int GetParentIndex() const { return parent_; }
    int GetCurrentIndex() const { return current_; }
    int GetChildIndex() const { return child_; }
    // Throws CInvalidArgException for an index outside the positions.
    const ElemPos& GetPosition(int index) const { return positions_[index]; }
    // Empty for index 0 and for an index outside the positions.
    CString GetTagName(int index) const;

    // A sibling after the current element.
    bool AddElem(LPCWSTR name, LPCWSTR text = nullptr);
    // A child of the current element, after the current child.
    bool AddChildElem(LPCWSTR name, LPCWSTR text = nullptr);
    bool InsertElement(LPCWSTR name, LPCWSTR text, bool insertBefore, bool asChild);

    static CString EscapeText(LPCWSTR text, bool attribute);

private:
    struct Token {
        int start = 0;
        int length = 0;
        int next = 0; // where scanning goes on
        bool quoted = false;
    };

    bool FindToken(int from, Token& token) const;
    bool TokenMatchesName(const Token& token, const CString& name) const;
    int ParseNode(int at) const;
    int ParseElement(int parent);
    int ParseError(LPCWSTR format, const CString& name, int index);
    int TakePosition();
    void EnsurePositions(int count);

    CString document_;
    CString error_;
    CArray<ElemPos, const ElemPos&> positions_;
    int parent_ = 0;
    int current_ = 0;
    int child_ = 0;
    int free_ = 1;
    int nodeType_ = 0;
};
