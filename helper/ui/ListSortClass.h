// Sorts a list-view control by the text of one column, and the exported column-sort toggle.
#pragma once

#include <windows.h>

#include <classlib/CommonControls.h>
#include <classlib/String.h>

// How a column's text is compared.
enum ListSortKind : int {
    kSortDigits = 1,   // the text's decimal digits as one number
    kSortText = 2,     // text, without case
    kSortDateTime = 3, // date and time
    kSortReal = 4,     // a real number
};

// Lives for one sort: the items' data values are borrowed (replaced by sort records) from
// construction to destruction, which puts them back.
class CListSortClass {
public:
    CListSortClass(CListCtrl* list, int column);
    virtual ~CListSortClass();
    CListSortClass(const CListSortClass&) = delete;
    CListSortClass& operator=(const CListSortClass&) = delete;

    virtual void Sort(bool ascending, int kind);

    // Negative: record1 first. The parameter is the kind, negated for a descending sort.
    static int CALLBACK CompareItems(LPARAM record1, LPARAM record2, LPARAM parameter);

private:
    struct SortRecord {
        DWORD_PTR data;
        CString text;
    };
    CListCtrl* m_list;
};

// Sorts the list by the column: ascending, unless the same column was sorted ascending last.
// 1, or 0 when the sort failed.
int SortListByColumn(CListCtrl* list, int column, int dataType);
