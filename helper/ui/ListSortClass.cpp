#include "ListSortClass.h"

#include <classlib/Exceptions.h>

#include <oleauto.h>

#include <cwctype>

namespace {

// The decimal digits of a text, without leading zeros.
CString DigitsOf(const CString& text) {
    CString digits;
    for (int i = 0; i < text.GetLength(); ++i) {
        const wchar_t c = text[i];
        if (iswdigit(c) && (c != L'0' || !digits.IsEmpty()))
            digits += c;
    }
    return digits;
}

// Compares two numbers written as digit strings of any length, so that no value overflows.
int CompareDigitNumbers(const CString& a, const CString& b) {
    const CString da = DigitsOf(a);
    const CString db = DigitsOf(b);
    if (da.GetLength() != db.GetLength())
        return da.GetLength() < db.GetLength() ? -1 : 1;
    const int order = da.Compare(db);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

} // namespace

CListSortClass::CListSortClass(CListCtrl* list, int column) : m_list(list) {
    if (m_list == nullptr)
        return;
    const int count = m_list->GetItemCount();
    for (int i = 0; i < count; ++i) {
        auto* record = new SortRecord{m_list->GetItemData(i), m_list->GetItemText(i, column)};
        m_list->SetItemData(i, reinterpret_cast<DWORD_PTR>(record));
    }
}

CListSortClass::~CListSortClass() {
    if (m_list == nullptr)
        return;
    const int count = m_list->GetItemCount();
    for (int i = 0; i < count; ++i) {
        auto* record = reinterpret_cast<SortRecord*>(m_list->GetItemData(i));
        if (record == nullptr)
            continue;
        m_list->SetItemData(i, record->data);
        delete record;
    }
}

void CListSortClass::Sort(bool ascending, int kind) {
    if (m_list != nullptr)
        m_list->SortItems(&CListSortClass::CompareItems,
                          static_cast<DWORD_PTR>(static_cast<LPARAM>(ascending ? kind : -kind)));
}

int CALLBACK CListSortClass::CompareItems(LPARAM record1, LPARAM record2, LPARAM parameter) {
    const auto* first = reinterpret_cast<const SortRecord*>(record1);
    const auto* second = reinterpret_cast<const SortRecord*>(record2);
    if (first == nullptr || second == nullptr)
        return 0;
    const int sign = parameter < 0 ? -1 : 1;
    switch (parameter < 0 ? -parameter : parameter) {
    case kSortDigits:
        return CompareDigitNumbers(first->text, second->text) * sign;
    case kSortText:
        return first->text.CompareNoCase(second->text) * sign;
    case kSortDateTime: {
        DATE date1 = 0;
        DATE date2 = 0;
        if (FAILED(VarDateFromStr(const_cast<LPOLESTR>(static_cast<LPCWSTR>(first->text)),
                                  LANG_USER_DEFAULT, 0, &date1)) ||
            FAILED(VarDateFromStr(const_cast<LPOLESTR>(static_cast<LPCWSTR>(second->text)),
                                  LANG_USER_DEFAULT, 0, &date2)))
            return 0;
        return date1 < date2 ? -sign : sign;
    }
    case kSortReal:
        return _wtof(second->text) > _wtof(first->text) ? -sign : sign;
    default:
        return 0;
    }
}

int SortListByColumn(CListCtrl* list, int column, int dataType) {
    static bool ascending = true;
    static int lastColumn = 0;
    try {
        CListSortClass sorter(list, column);
        sorter.Sort(ascending, dataType);
    } catch (CException* e) {
        e->Delete();
        return 0;
    }
    ascending = column != lastColumn || !ascending;
    lastColumn = column;
    return 1;
}
