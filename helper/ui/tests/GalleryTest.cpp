// The gallery photographed: it starts, paints every widget and saves its picture, in which
// the skin's known colours sit where its layout puts each state.
#include "GalleryLayout.h"

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <gtest/gtest.h>
#include <owners/WinOwners.h>

#include <string>

namespace {
constexpr COLORREF kBlue = RGB(0x2D, 0x6D, 0xB5);
constexpr COLORREF kNavy = RGB(0x1F, 0x4E, 0x85);
constexpr COLORREF kSky = RGB(0x4A, 0x8A, 0xD4);
constexpr COLORREF kGrey = RGB(0xB4, 0xB4, 0xB4);
constexpr COLORREF kLight = RGB(0xF3, 0xF6, 0xFA);
constexpr COLORREF kLightHover = RGB(0xE4, 0xEE, 0xFA);
constexpr COLORREF kLightPressed = RGB(0xCF, 0xDF, 0xF2);
constexpr COLORREF kLightDisabled = RGB(0xED, 0xEF, 0xF2);
constexpr COLORREF kTab = RGB(0xE6, 0xED, 0xF5);
constexpr COLORREF kTabHover = RGB(0xF4, 0xF8, 0xFD);
constexpr COLORREF kTabDisabled = RGB(0xE9, 0xEB, 0xEE);
constexpr COLORREF kLeftHover = RGB(0xDC, 0xE9, 0xF7);

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring file(path);
    // Under Wine a program outside every drive is named "unix\..."; only the long form opens.
    if (::GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES)
        file = L"\\\\?\\" + file;
    return file.substr(0, file.rfind(L'\\') + 1);
}

DWORD RunGallery(const std::wstring& shot) {
    const std::wstring program = ProgramFolder() + L"ui_gallery.exe";
    std::wstring command = L"\"" + program + L"\" --shot \"" + shot + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process))
        return 1000;
    const KernelHandle thread(process.hThread);
    const KernelHandle running(process.hProcess);
    DWORD code = 1001;
    if (::WaitForSingleObject(running.Get(), 60000) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(running.Get(), &code);
    else
        ::TerminateProcess(running.Get(), 1002);
    return code;
}

class GalleryShot : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token, &input, nullptr);
    }
    static void TearDownTestSuite() { Gdiplus::GdiplusShutdown(token); }
    static inline ULONG_PTR token = 0;
};

COLORREF At(Gdiplus::Bitmap& image, int x, int y) {
    Gdiplus::Color colour;
    image.GetPixel(x, y, &colour);
    return RGB(colour.GetR(), colour.GetG(), colour.GetB());
}
} // namespace

TEST_F(GalleryShot, EveryStateShowsItsKnownColour) {
    const std::wstring shot = ProgramFolder() + L"gallery.png";
    ::DeleteFileW(shot.c_str());
    ASSERT_EQ(RunGallery(shot), 0u);
    Gdiplus::Bitmap image(shot.c_str());
    ASSERT_EQ(image.GetLastStatus(), Gdiplus::Ok);
    ASSERT_EQ(image.GetWidth(), static_cast<UINT>(gallery::kWidth));
    ASSERT_EQ(image.GetHeight(), static_cast<UINT>(gallery::kHeight));

    using namespace gallery;
    const COLORREF blue[] = {kBlue, kSky, kNavy, kSky, kGrey};
    const COLORREF light[] = {kLight, kLightHover, kLightPressed, kLightHover, kLightDisabled};
    const COLORREF tabs[] = {kTab, kTabHover, kBlue, kTabHover, kTabDisabled};
    for (int n = 0; n < 5; ++n) {
        const int x = kLeft + n * kColumn + 6;
        EXPECT_EQ(At(image, x, kBlueButtonsTop + 14), blue[n]) << kStates[n];
        EXPECT_EQ(At(image, x, kLightButtonsTop + 14), light[n]) << kStates[n];
        EXPECT_EQ(At(image, x - 2, kTabsTop + 25), tabs[n]) << kStates[n];
        if (n < 4) { // normal, hover, pressed, disabled
            const COLORREF expected = blue[n == 3 ? 4 : n];
            EXPECT_EQ(At(image, kLeft + n * 232 + 150, kStartButtonsTop + 26), expected)
                << kStates[n];
        }
    }
    EXPECT_EQ(At(image, 4, kCaptionBand + 2), kBlue);
    EXPECT_EQ(At(image, 8 + 160, kPanelTop + 8 + kSideButtonStep + 20), kLeftHover);
}
