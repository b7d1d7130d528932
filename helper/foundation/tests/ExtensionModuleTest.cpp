// Loading the helper library registers it with the class library: resources that the
// program lacks come from the skin's resource library.
#include <gtest/gtest.h>

#include <classlib/Resources.h>

#include "ProductIdentity.h"

TEST(ExtensionModule, SkinResourcesAreFoundThroughTheHelperLibrary) {
    ASSERT_STREQ(GetProductRegistryKey(), L"Software\\Halvenor\\Xarn"); // the library is loaded
    HMODULE skin = ::GetModuleHandleW(L"xarnres.dll");
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(GetResourceInstance(), skin);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(1074), RT_BITMAP), skin);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(1272), RT_DIALOG), skin);
    // Not in the skin either: the program's own handle.
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(4999), RT_DIALOG),
              ::GetModuleHandleW(nullptr));
}
