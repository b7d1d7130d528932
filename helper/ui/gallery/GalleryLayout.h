// Where the gallery puts its widgets: shared by the gallery and the test that photographs it.
#pragma once

#include <windows.h>

namespace gallery {

constexpr int kWidth = 960;
constexpr int kHeight = 744;
constexpr int kLeft = 24;
constexpr int kColumn = 136; // distance between the states of a row

// Rows: the top of each row's widgets (a heading sits 20 pixels above).
constexpr int kBlueButtonsTop = 36;
constexpr int kLightButtonsTop = 92;
constexpr int kTabsTop = 148;
constexpr int kCaptionBand = 204; // top of the blue band behind the caption buttons
constexpr int kCaptionButtonsTop = kCaptionBand + 8;
constexpr int kStartButtonsTop = 268;
constexpr int kIconButtonsTop = 344;
constexpr int kLinksTop = 396;
// A small page that a fade window covers, right of the captioned buttons.
constexpr RECT kFadeBox{712, 344, 936, 416};
constexpr int kPanelTop = 444; // the left panel band and the launcher rows beside it
constexpr int kPanelWidth = 180;
constexpr int kSideButtonStep = 30;
constexpr int kSideButtonHeight = 26;
constexpr int kLauncherLeft = 200;
constexpr int kBigButtonLeft = 380;
constexpr int kBigButtonHeight = 86;
constexpr int kHtmlTop = 664;
constexpr int kControlsTop = 590;

// The states shown in order along a row.
constexpr const wchar_t* kStates[] = {L"Normal", L"Hover", L"Pressed", L"Selected", L"Disabled"};

// The centre of the state `n` button of a row of 120 x 28 buttons.
constexpr POINT ButtonCentre(int rowTop, int n) {
    return POINT{kLeft + n * kColumn + 60, rowTop + 14};
}

} // namespace gallery
