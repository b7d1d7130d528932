// The fancy list on real windows: wrapping, line limits, row heights, check toggling, header
// refusals and painting; and the column sort in all four kinds.
#include <gtest/gtest.h>

#include "FancyListCtrl.h"
#include "ListSortClass.h"
#include "UiTestHost.h"

#include <vector>

namespace {

constexpr DWORD kListStyle =
    WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_SHOWSELALWAYS;
constexpr UINT kCheckStrip = 1092;

// The description font as the list makes it, for measuring in the tests.
class DescriptionFont {
public:
    DescriptionFont() {
        font.CreateFont(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                        DEFAULT_PITCH | FF_DONTCARE, L"Segoe UI");
    }
    CFont font;
};

class FancyList : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.Open(560, 420));
        ASSERT_TRUE(list.Create(kListStyle, CRect(10, 10, 550, 410), &host, 100));
    }
    // Check column 30, image column 40 (when images are given), description column 400.
    void AddColumns(CImageList* images = nullptr) {
        ASSERT_EQ(0, list.InsertCheckColumn(0, L"", 30));
        if (images != nullptr) {
            ASSERT_EQ(1, list.InsertImageColumn(1, L"", images, 40));
        }
        ASSERT_EQ(images ? 2 : 1, list.InsertDescriptionColumn(images ? 2 : 1, L"Item", 400));
    }
    int AddRow(LPCWSTR title, LPCWSTR description, int kind = kFancyRowNormal) {
        const int row = list.InsertItem(list.GetItemCount(), L"");
        EXPECT_TRUE(list.SetItemTexts(row, title, description, kind));
        return row;
    }
    int DrawnRowHeight(int row) {
        CRect r;
        EXPECT_TRUE(list.GetItemRect(row, &r, LVIR_BOUNDS));
        return r.Height();
    }

    uitest::HostWindow host;
    CFancyListCtrl list;
};

// Lines as WrapText splits them, told apart by drawing them and each expected line alone.
bool WrapsInto(CFancyListCtrl& list, LPCWSTR text, int width, const std::vector<CString>& lines) {
    DescriptionFont font;
    uitest::Canvas wrapped(width, 200);
    uitest::Canvas expected(width, 200);
    wrapped.dc()->SelectObject(&font.font);
    expected.dc()->SelectObject(&font.font);
    const int lineHeight = expected.dc()->GetTextExtent(L"_X^", 3).cy;
    CRect area(0, 0, width, 200);
    if (list.WrapText(wrapped.dc(), text, &area, FALSE, FALSE) != static_cast<int>(lines.size()))
        return false;
    for (size_t i = 0; i < lines.size(); ++i) {
        CRect line(0, static_cast<int>(i) * lineHeight, width,
                   static_cast<int>(i + 1) * lineHeight);
        expected.dc()->DrawText(lines[i], &line, DT_SINGLELINE | DT_NOPREFIX);
    }
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < width; ++x)
            if (wrapped.At(x, y) != expected.At(x, y))
                return false;
    return true;
}

TEST_F(FancyList, WrapsAtBreakCharactersAndDropsTheBlank) {
    DescriptionFont font;
    uitest::Canvas canvas(10, 10);
    canvas.dc()->SelectObject(&font.font);
    const int alpha = canvas.dc()->GetTextExtent(L"alpha", 5).cx;
    EXPECT_TRUE(WrapsInto(list, L"alpha beta", alpha + 2, {L"alpha", L"beta"}));
    EXPECT_TRUE(WrapsInto(list, L"alpha   beta", alpha + 2, {L"alpha", L"beta"}));
    // A backslash is a break character that stays on its line.
    EXPECT_TRUE(WrapsInto(list, L"C:\\Windows\\Temp", canvas.dc()->GetTextExtent(L"C:\\", 3).cx + 1,
                          {L"C:\\", L"Windows\\", L"Temp"}));
    EXPECT_TRUE(WrapsInto(list, L"one\ntwo", 300, {L"one", L"two"}));
}

TEST_F(FancyList, WordWiderThanTheColumnStaysOneClippedLine) {
    DescriptionFont font;
    uitest::Canvas canvas(60, 60);
    canvas.dc()->SelectObject(&font.font);
    CRect narrow(0, 0, 20, 60);
    EXPECT_EQ(1, list.WrapText(canvas.dc(), L"Supercalifragilistic", &narrow, TRUE, FALSE));
    EXPECT_EQ(2, list.WrapText(canvas.dc(), L"Supercalifragilistic expialidocious", &narrow, TRUE,
                               FALSE));
    EXPECT_EQ(0, list.WrapText(canvas.dc(), nullptr, &narrow, TRUE, FALSE));
    EXPECT_EQ(0, list.WrapText(canvas.dc(), L"text", nullptr, TRUE, FALSE));
}

TEST_F(FancyList, LineCountIsCappedAtTheMaximum) {
    CString text;
    for (int i = 0; i < 150; ++i)
        text += i ? L"\nline" : L"line";
    DescriptionFont font;
    uitest::Canvas canvas(200, 50);
    canvas.dc()->SelectObject(&font.font);
    CRect area(0, 0, 200, 0);
    EXPECT_EQ(100, list.WrapText(canvas.dc(), text, &area, TRUE, FALSE));
    EXPECT_FALSE(list.SetMaxLines(1));
    EXPECT_FALSE(list.SetMaxLines(101));
    EXPECT_TRUE(list.SetMaxLines(100));
    EXPECT_TRUE(list.SetMaxLines(2));
    EXPECT_EQ(2, list.WrapText(canvas.dc(), text, &area, TRUE, FALSE));
    // Drawing stops at the rectangle's bottom without writing below it.
    CRect shallow(0, 0, 200, 20);
    EXPECT_EQ(2, list.WrapText(canvas.dc(), text, &shallow, FALSE, FALSE));
    EXPECT_EQ(0, canvas.CountOther(CRect(0, 20, 200, 50), RGB(255, 255, 255)));
}

TEST_F(FancyList, RowsGrowToTheTallestDescriptionAndTheListAsksAgain) {
    AddColumns();
    EXPECT_EQ(-1, list.InsertCheckColumn(0, L"", 30));
    EXPECT_EQ(-1, list.InsertDescriptionColumn(3, L"", 100));
    EXPECT_EQ(-1, list.InsertImageColumn(3, L"", nullptr, 40));
    AddRow(L"Short", L"One line.");
    const int oneLine = list.GetRowHeight();
    EXPECT_EQ(oneLine, DrawnRowHeight(0));

    CString longText;
    for (int i = 0; i < 12; ++i)
        longText += L"Temporary files left behind by programs ";
    AddRow(L"Long", longText);
    const int tall = list.GetRowHeight();
    EXPECT_GT(tall, oneLine);
    EXPECT_EQ(tall, DrawnRowHeight(0));
    EXPECT_EQ(tall, DrawnRowHeight(1));

    // With at most 2 lines, a recount gives title + 2 description lines.
    ASSERT_TRUE(list.SetMaxLines(2));
    list.RecalcRowHeight();
    list.ForceMeasureItems();
    EXPECT_LT(list.GetRowHeight(), tall);
    EXPECT_EQ(list.GetRowHeight(), DrawnRowHeight(1));

    EXPECT_FALSE(list.SetItemTexts(5, L"", L""));
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(0, list.GetItemCount());
    EXPECT_FALSE(list.GetCheck(0));
}

TEST_F(FancyList, ImageColumnMakesRowsAsTallAsTheIconAndFour) {
    CImageList images;
    ASSERT_TRUE(images.Create(32, 32, ILC_COLOR32 | ILC_MASK, 1, 1));
    ASSERT_GE(images.Add(::LoadIconW(nullptr, IDI_APPLICATION)), 0);
    AddColumns(&images);
    const int row = list.InsertItem(0, L"", 0);
    ASSERT_TRUE(list.SetItemTexts(row, L"Icon", L"With an image."));
    EXPECT_EQ(0, list.GetItemImage(row));
    EXPECT_GE(list.GetRowHeight(), 36);
    EXPECT_EQ(list.GetRowHeight(), DrawnRowHeight(row));
}

TEST_F(FancyList, ClickTogglesTheRowUnderTheCursorOnly) {
    AddColumns();
    for (int i = 0; i < 5; ++i)
        AddRow(L"Row", L"Description of the row.");
    CRect third;
    ASSERT_TRUE(list.GetItemRect(2, &third, LVIR_BOUNDS));
    // The list view follows the press until the button comes up: it is already waiting.
    list.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(200, third.CenterPoint().y));
    list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, third.CenterPoint().y));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(i == 2, list.GetCheck(i) != FALSE) << "row " << i;
    list.ToggleCheckAt(third.top);
    EXPECT_FALSE(list.GetCheck(2));
    list.ToggleCheckAt(third.bottom - 1);
    EXPECT_TRUE(list.GetCheck(2));
    list.ToggleCheckAt(third.bottom);
    EXPECT_TRUE(list.GetCheck(3));
    // The header and the space below the last row hold no row.
    CRect first;
    ASSERT_TRUE(list.GetItemRect(0, &first, LVIR_BOUNDS));
    list.ToggleCheckAt(first.top - 2);
    list.ToggleCheckAt(first.top + 5 * list.GetRowHeight() + 2);
    EXPECT_FALSE(list.GetCheck(0));
    EXPECT_FALSE(list.GetCheck(4));
}

TEST_F(FancyList, HeaderRefusesTooNarrowAndCheckColumnWidths) {
    AddColumns();
    AddRow(L"Row", L"Text");
    auto changing = [&](int column, int width) {
        HDITEMW item{};
        item.mask = HDI_WIDTH;
        item.cxy = width;
        NMHEADERW notify{};
        notify.hdr.hwndFrom = list.GetHeaderCtrl()->GetSafeHwnd();
        notify.hdr.code = HDN_ITEMCHANGINGW;
        notify.iItem = column;
        notify.pitem = &item;
        return list.SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
    };
    EXPECT_EQ(1, changing(0, 80));
    EXPECT_EQ(1, changing(1, 49));
    EXPECT_EQ(0, changing(1, 50));
}

TEST_F(FancyList, NarrowerDescriptionColumnMakesRowsTallerAfterTracking) {
    AddColumns();
    CString text;
    for (int i = 0; i < 6; ++i)
        text += L"Files left behind by programs ";
    AddRow(L"Row", text);
    const int wide = list.GetRowHeight();
    ASSERT_TRUE(list.SetColumnWidth(1, 150));
    NMHEADERW notify{};
    notify.hdr.hwndFrom = list.GetHeaderCtrl()->GetSafeHwnd();
    notify.hdr.code = HDN_ENDTRACKW;
    notify.iItem = 1;
    list.SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
    EXPECT_GT(list.GetRowHeight(), wide);
    EXPECT_EQ(list.GetRowHeight(), DrawnRowHeight(0));
}

TEST_F(FancyList, PaintsChecksHeadingsStripesAndTexts) {
    AddColumns();
    const int normal = AddRow(L"Checked row", L"Its description.");
    const int heading = AddRow(L"Heading", L"", kFancyRowHeading);
    list.ToggleCheckAt([&] {
        CRect r;
        list.GetItemRect(normal, &r, LVIR_BOUNDS);
        return r.CenterPoint().y;
    }());
    ASSERT_TRUE(list.GetCheck(normal));

    CBitmap strip;
    ASSERT_TRUE(strip.LoadBitmap(kCheckStrip));
    CDC stripDC;
    stripDC.CreateCompatibleDC(nullptr);
    CBitmap* previous = stripDC.SelectObject(&strip);
    const COLORREF checkedInside = stripDC.GetPixel(15 + 3, 3);
    const COLORREF uncheckedInside = stripDC.GetPixel(3, 3);
    stripDC.SelectObject(previous);
    ASSERT_NE(checkedInside, uncheckedInside);

    const int h = list.GetRowHeight();
    auto paint = [&](uitest::Canvas& canvas, int row, UINT state) {
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_LISTVIEW;
        dis.itemID = static_cast<UINT>(row);
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = state;
        dis.hDC = canvas.dc()->m_hDC;
        dis.rcItem = CRect(0, 0, 430, h);
        list.DrawItem(&dis);
    };
    // A point inside the box, away from the tick.
    const CPoint checkInside(30 / 2 - 8 + 3, h / 2 - 8 + 3);
    {
        uitest::Canvas canvas(430, h);
        paint(canvas, normal, 0);
        EXPECT_EQ(checkedInside, canvas.At(checkInside.x, checkInside.y));
        EXPECT_EQ(RGB(255, 255, 255), canvas.At(429, 1));
        // The title in its grey, a line below the top.
        EXPECT_GT(canvas.CountOther(CRect(35, 2, 430, h / 2), RGB(255, 255, 255)), 20);
    }
    {
        uitest::Canvas canvas(430, h);
        paint(canvas, heading, 0);
        EXPECT_EQ(RGB(255, 255, 255), canvas.At(checkInside.x, checkInside.y));
    }
    {
        list.m_crBackground2 = RGB(1, 2, 3);
        uitest::Canvas canvas(430, h);
        paint(canvas, normal, 0);
        EXPECT_EQ(RGB(246, 236, 202), canvas.At(429, 1));
        list.m_crBackground2 = list.m_crBackground1;
    }
    {
        list.m_bSuspended = true;
        uitest::Canvas canvas(430, h);
        paint(canvas, normal, 0);
        EXPECT_EQ(0, canvas.CountOther(CRect(0, 0, 430, h), RGB(255, 255, 255)));
        list.m_bSuspended = false;
    }
}

TEST_F(FancyList, Picture) {
    uitest::GdiPlus gdiplus;
    CImageList images;
    ASSERT_TRUE(images.Create(32, 32, ILC_COLOR32 | ILC_MASK, 4, 1));
    for (UINT id : {1288u, 1289u, 1304u, 1312u})
        images.Add(::LoadIconW(AfxFindResourceHandle(MAKEINTRESOURCEW(id), RT_GROUP_ICON),
                               MAKEINTRESOURCEW(id)));
    AddColumns(&images);
    struct Row {
        int image;
        LPCWSTR title;
        LPCWSTR description;
        int kind;
    } rows[] = {
        {-1, L"Recommended clean-up", L"", kFancyRowHeading},
        {0, L"Temporary files",
         L"Files that programs leave behind in the temporary folders; safe to remove once the "
         L"programs have ended.",
         kFancyRowNormal},
        {1, L"Browser cache", L"Pages and pictures kept by the web browsers.", kFancyRowNormal},
        {2, L"Recycle bin", L"C:\\$Recycle.Bin\\S-1-5-21\\ holds files deleted earlier.",
         kFancyRowNormal},
        {3, L"Log files",
         L"Old log files of Windows and of installed programs.\nNewest five are kept.",
         kFancyRowNormal},
    };
    for (const Row& r : rows) {
        const int row = list.InsertItem(list.GetItemCount(), L"", r.image);
        ASSERT_TRUE(list.SetItemTexts(row, r.title, r.description, r.kind));
    }
    for (int y : {1, 3}) {
        CRect r;
        list.GetItemRect(y, &r, LVIR_BOUNDS);
        list.ToggleCheckAt(r.CenterPoint().y);
    }
    list.SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    host.ShowWindow(SW_SHOW);
    list.SetFocus();
    list.Invalidate();
    host.UpdateWindow();
    uitest::PumpMessages();
    EXPECT_TRUE(uitest::SaveWindowPng(host.m_hWnd, L"fancy_list"));
}

// ---- column sort ----

class ColumnSort : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.Open(300, 200));
        ASSERT_TRUE(
            list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 300, 200), &host, 1));
        list.InsertColumn(0, L"Value", LVCFMT_LEFT, 100);
    }
    void Fill(std::initializer_list<LPCWSTR> texts) {
        list.DeleteAllItems();
        DWORD_PTR data = 100;
        for (LPCWSTR text : texts) {
            const int row = list.InsertItem(list.GetItemCount(), text);
            list.SetItemData(row, data++);
        }
    }
    std::vector<CString> Order() {
        std::vector<CString> texts;
        for (int i = 0; i < list.GetItemCount(); ++i)
            texts.push_back(list.GetItemText(i, 0));
        return texts;
    }
    uitest::HostWindow host;
    CListCtrl list;
};

TEST_F(ColumnSort, DigitsCompareAsNumbersOfAnyLength) {
    Fill({L"a10", L"b9", L"x99999999999999999999", L"y4294967296", L"z2147483648", L"c0"});
    CListSortClass sorter(&list, 0);
    sorter.Sort(true, kSortDigits);
    EXPECT_EQ(Order(), (std::vector<CString>{L"c0", L"b9", L"a10", L"z2147483648", L"y4294967296",
                                             L"x99999999999999999999"}));
}

TEST_F(ColumnSort, TextIgnoresCaseAndDataValuesComeBack) {
    Fill({L"beta", L"ABC", L"alpha", L"abc"});
    {
        CListSortClass sorter(&list, 0);
        sorter.Sort(true, kSortText);
    }
    const std::vector<CString> order = Order();
    EXPECT_EQ(order[0].CompareNoCase(L"abc"), 0);
    EXPECT_EQ(order[1].CompareNoCase(L"abc"), 0);
    EXPECT_EQ(order[2], L"alpha");
    EXPECT_EQ(order[3], L"beta");
    EXPECT_EQ(CListSortClass::CompareItems(0, 0, kSortText), 0);
    for (int i = 0; i < list.GetItemCount(); ++i) {
        const DWORD_PTR data = list.GetItemData(i);
        EXPECT_TRUE(data >= 100 && data < 104) << data;
    }
    EXPECT_EQ(list.GetItemData(3), 100u); // "beta" was first
}

TEST_F(ColumnSort, DatesAndRealNumbers) {
    Fill({L"2024-03-01 10:00", L"not a date", L"2023-12-31 23:59", L"2024-03-01 09:00"});
    {
        CListSortClass sorter(&list, 0);
        sorter.Sort(true, kSortDateTime);
    }
    std::vector<CString> order = Order();
    // The text that is no date compares equal to everything: only the dates' order is fixed.
    std::vector<CString> dates;
    for (const CString& text : order)
        if (text != L"not a date")
            dates.push_back(text);
    EXPECT_EQ(dates, (std::vector<CString>{L"2023-12-31 23:59", L"2024-03-01 09:00",
                                           L"2024-03-01 10:00"}));

    Fill({L"3.5", L"-1.25", L"10", L"0.5"});
    {
        CListSortClass sorter(&list, 0);
        sorter.Sort(false, kSortReal);
    }
    EXPECT_EQ(Order(), (std::vector<CString>{L"10", L"3.5", L"0.5", L"-1.25"}));
}

TEST_F(ColumnSort, ToggleSortsAscendingThenDescendingAndRestartsOnANewColumn) {
    list.InsertColumn(1, L"Other", LVCFMT_LEFT, 100);
    Fill({L"2", L"3", L"1"});
    for (int i = 0; i < 3; ++i)
        list.SetItemText(i, 1, list.GetItemText(i, 0));
    // Bring the toggle to a known state: after a sort of column 0 the next one of it is
    // the other direction.
    ASSERT_EQ(1, SortListByColumn(&list, 0, kSortDigits));
    const std::vector<CString> first = Order();
    ASSERT_EQ(1, SortListByColumn(&list, 0, kSortDigits));
    const std::vector<CString> second = Order();
    EXPECT_EQ(first.front(), second.back());
    EXPECT_EQ(first.back(), second.front());
    // Column 0 sorted twice ends ascending-next; then a new column uses that flag, and the
    // second sort of it is ascending.
    if (first.front() == L"3") {
        ASSERT_EQ(1, SortListByColumn(&list, 0, kSortDigits));
    }
    ASSERT_EQ(1, SortListByColumn(&list, 0, kSortDigits));
    ASSERT_EQ(Order().front(), L"1");
    ASSERT_EQ(1, SortListByColumn(&list, 1, kSortDigits));
    EXPECT_EQ(Order().front(), L"3");
    ASSERT_EQ(1, SortListByColumn(&list, 1, kSortDigits));
    EXPECT_EQ(Order().front(), L"1");
    EXPECT_EQ(1, SortListByColumn(nullptr, 0, kSortText));
}

} // namespace
