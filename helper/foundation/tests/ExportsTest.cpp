// The library's export table: exactly the ordinals of its module-definition file, names only
// where the file gives them, and a few ordinals called to show they lead where the file says.
#include "export_ordinals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace {

const IMAGE_EXPORT_DIRECTORY* ExportDirectory(HMODULE module) {
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    return reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
}

} // namespace

TEST(ExportTable, ExactlyTheListedOrdinalsAndNames) {
    const HMODULE library = LoadLibraryW(L"xarnhelper.dll");
    ASSERT_NE(nullptr, library);
    const IMAGE_EXPORT_DIRECTORY* exports = ExportDirectory(library);
    const auto* base = reinterpret_cast<const BYTE*>(library);
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    std::set<std::string> named;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        named.insert(reinterpret_cast<const char*>(base + names[i]));
    EXPECT_EQ(named, std::set<std::string>(std::begin(kNamedExports), std::end(kNamedExports)));

    const auto* functions = reinterpret_cast<const DWORD*>(base + exports->AddressOfFunctions);
    std::set<DWORD> present;
    for (DWORD i = 0; i < exports->NumberOfFunctions; ++i)
        if (functions[i] != 0)
            present.insert(exports->Base + i);
    const std::set<DWORD> listed(std::begin(kExportOrdinals), std::end(kExportOrdinals));
    EXPECT_EQ(listed.size(), std::size(kExportOrdinals)) << "an ordinal is listed twice";
    EXPECT_EQ(listed, present);
}

TEST(ExportTable, OrdinalsReachTheirFunctions) {
    const HMODULE library = LoadLibraryW(L"xarnhelper.dll");
    using ProductRegistryKey = LPCWSTR (*)();
    const auto byOrdinal = reinterpret_cast<ProductRegistryKey>(reinterpret_cast<void*>(
        GetProcAddress(library, MAKEINTRESOURCEA(kOrdinalGetProductRegistryKey))));
    ASSERT_NE(nullptr, byOrdinal);
    EXPECT_STREQ(L"Software\\Halvenor\\Xarn", byOrdinal());
    EXPECT_EQ(nullptr, GetProcAddress(library, "GetProductRegistryKey"));
}
