// Resource search order between the program and an extension DLL.
#include <gtest/gtest.h>

#include "classlib/Dialog.h"
#include "classlib/Resources.h"
#include "TestResources.h"

namespace {
CString TextOf(HINSTANCE hModule, UINT id) {
    HRSRC resource = ::FindResourceW(hModule, MAKEINTRESOURCEW(id), RT_RCDATA);
    if (resource == nullptr)
        return CString();
    return CString(static_cast<const char*>(::LockResource(::LoadResource(hModule, resource))));
}

HINSTANCE Find(UINT id) {
    return AfxFindResourceHandle(MAKEINTRESOURCEW(id), RT_RCDATA);
}

class ClosingDialog : public CDialog {
public:
    using CDialog::CDialog;
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        EndDialog(9);
        return TRUE;
    }
};
} // namespace

TEST(ResourceSearch, ProgramFirstThenExtensionLibrary) {
    HMODULE library = ::LoadLibraryW(L"classlib_test_extension.dll");
    ASSERT_NE(library, nullptr);
    HINSTANCE program = AfxGetResourceHandle();
    EXPECT_EQ(program, ::GetModuleHandleW(nullptr));

    EXPECT_EQ(Find(IDR_TEST_BOTH), program);
    EXPECT_STREQ(TextOf(Find(IDR_TEST_BOTH), IDR_TEST_BOTH), L"program");
    EXPECT_EQ(Find(IDR_TEST_LIBRARY_ONLY), library);
    EXPECT_STREQ(TextOf(Find(IDR_TEST_LIBRARY_ONLY), IDR_TEST_LIBRARY_ONLY), L"library");
    // Found nowhere: the program's handle, where the load then fails.
    EXPECT_EQ(Find(IDR_TEST_NOWHERE), program);

    // A dialog whose template only the library has.
    ClosingDialog dialog(IDD_TEST_LIBRARY_ONLY);
    EXPECT_EQ(dialog.DoModal(), 9);

    // Once the library is gone its resources are no longer found.
    ::FreeLibrary(library);
    EXPECT_EQ(Find(IDR_TEST_LIBRARY_ONLY), program);
}

TEST(ResourceSearch, ResourceHandleCanBeMoved) {
    HMODULE library = ::LoadLibraryW(L"classlib_test_extension.dll");
    ASSERT_NE(library, nullptr);
    HINSTANCE program = AfxGetResourceHandle();
    AfxSetResourceHandle(library);
    EXPECT_STREQ(TextOf(Find(IDR_TEST_BOTH), IDR_TEST_BOTH), L"library");
    AfxSetResourceHandle(program);
    ::FreeLibrary(library);
}

TEST(ModuleState, CarriesTheProgramAndItsResourceModule) {
    HMODULE library = ::LoadLibraryW(L"classlib_test_extension.dll");
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(AfxGetModuleState()->m_hCurrentInstanceHandle, ::GetModuleHandleW(nullptr));
    HINSTANCE program = AfxGetResourceHandle();
    AfxSetResourceHandle(library);
    EXPECT_EQ(AfxGetModuleState()->m_hCurrentResourceHandle, library);
    AfxSetResourceHandle(program);
    EXPECT_EQ(AfxGetModuleState()->m_hCurrentResourceHandle, program);
    ::FreeLibrary(library);
}
