// Common and shell controls built on the window classes.
#include <gtest/gtest.h>

#include "classlib/AppEx.h"
#include "classlib/ShellControls.h"
#include "TestResources.h"

namespace {
class CPlainWindow : public CWnd {};

class COwnerList : public CListCtrl {
public:
    int drawn = 0;
    void DrawItem(LPDRAWITEMSTRUCT dis) override {
        ++drawn;
        ::FillRect(dis->hDC, &dis->rcItem, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    }
};

class CRecordingBrowseEdit : public CMFCEditBrowseCtrl {
public:
    int browsed = 0;
    void OnBrowse() override { ++browsed; }
};

class Controls : public ::testing::Test {
protected:
    void SetUp() override {
        ::InitCommonControls();
        ASSERT_TRUE(parent.CreateEx(0, nullptr, L"controls", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                    CRect(0, 0, 400, 300), nullptr, 0));
    }
    CPlainWindow parent;
};
} // namespace

TEST_F(Controls, OwnerDrawnReportListPaintsThroughDrawItem) {
    COwnerList list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED,
                            CRect(0, 0, 300, 200), &parent, 10));
    EXPECT_EQ(list.InsertColumn(0, L"Name", LVCFMT_LEFT, 200), 0);
    EXPECT_EQ(list.InsertItem(0, L"first"), 0);
    EXPECT_EQ(list.InsertItem(1, L"second"), 1);
    list.SetItemText(1, 0, L"changed");
    EXPECT_STREQ(list.GetItemText(1, 0), L"changed");
    list.SetItemData(0, 77);
    EXPECT_EQ(list.GetItemData(0), 77u);
    list.Invalidate();
    list.UpdateWindow();
    EXPECT_GE(list.drawn, 2);
}

TEST_F(Controls, ImageListFromABitmapStrip) {
    CImageList images;
    ASSERT_TRUE(images.Create(IDB_TEST_STRIP, 15, 1, RGB(255, 0, 255)));
    EXPECT_EQ(images.GetImageCount(), 3);
    HICON icon = ::LoadIconW(nullptr, IDI_APPLICATION);
    EXPECT_EQ(images.Add(icon), 3);
    EXPECT_TRUE(images.Replace(0, icon));
    EXPECT_EQ(images.GetImageCount(), 4);
}

TEST_F(Controls, ToolbarResourceMapsCommandsToImages) {
    CToolBar toolbar;
    ASSERT_TRUE(toolbar.Create(&parent, WS_CHILD | CBRS_TOP));
    EXPECT_FALSE(toolbar.LoadToolBar(4999));
    ASSERT_TRUE(toolbar.LoadToolBar(IDR_TEST_TOOLBAR));
    EXPECT_EQ(toolbar.GetCount(), 3);
    EXPECT_EQ(toolbar.CommandToIndex(101), 2);
    EXPECT_EQ(toolbar.GetItemImage(2), 1); // the separator has no image
    EXPECT_EQ(toolbar.CommandToIndex(555), -1);
    toolbar.DestroyWindow();
}

TEST_F(Controls, TooltipTakesToolsAndRelays) {
    CMFCToolTipInfo info;
    info.m_bVislManagerTheme = TRUE;
    CMFCToolTipCtrl tips(&info);
    EXPECT_TRUE(tips.GetParams().m_bVislManagerTheme);
    ASSERT_TRUE(tips.Create(&parent));
    CButton button;
    ASSERT_TRUE(button.Create(L"b", WS_CHILD | WS_VISIBLE, CRect(10, 10, 60, 30), &parent, 11));
    EXPECT_TRUE(tips.AddTool(&button, L"press me"));
    EXPECT_EQ(tips.GetToolCount(), 1);
    MSG msg{button.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5), 0, {15, 15}};
    tips.RelayEvent(&msg);
    tips.DelTool(&button);
    EXPECT_EQ(tips.GetToolCount(), 0);
}

TEST_F(Controls, ShellTreeStartsAtTheDesktopAndExpandsOnDemand) {
    ::CoInitialize(nullptr);
    {
        CMFCShellTreeCtrl tree;
        ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES,
                                CRect(0, 0, 300, 250), &parent, 12));
        HTREEITEM root = tree.GetRootItem();
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(tree.GetChildItem(root), nullptr); // nothing read yet
        CString path;
        ASSERT_TRUE(tree.GetItemPath(path, root));
        EXPECT_NE(::GetFileAttributesW(path), INVALID_FILE_ATTRIBUTES);
        tree.Expand(root, TVE_EXPAND);
        EXPECT_NE(tree.GetChildItem(root), nullptr);
        tree.SelectItem(root);
        CString selected;
        EXPECT_TRUE(tree.GetItemPath(selected));
        EXPECT_STREQ(selected, path);
    }
    ::CoUninitialize();
}

TEST_F(Controls, BrowseEditReservesItsButtonAndBrowsesOnClick) {
    CRecordingBrowseEdit edit;
    ASSERT_TRUE(
        edit.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(10, 10, 210, 32), &parent, 13));
    CRect before;
    edit.GetClientRect(&before);
    edit.EnableFolderBrowseButton();
    EXPECT_EQ(edit.GetMode(), CMFCEditBrowseCtrl::BrowseMode_Folder);
    CRect after;
    edit.GetClientRect(&after);
    EXPECT_EQ(before.Width() - after.Width(), 20);

    CRect button = edit.GetButtonRect();
    CRect window;
    edit.GetWindowRect(&window);
    CPoint centre(window.left + button.CenterPoint().x, window.top + button.CenterPoint().y);
    EXPECT_EQ(edit.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(centre.x, centre.y)), HTBORDER);
    edit.SendMessage(WM_NCLBUTTONDOWN, HTBORDER, MAKELPARAM(centre.x, centre.y));
    EXPECT_EQ(edit.browsed, 1);
}
