// CSTDialogFont: re-creates a dialog template's font at a fixed resolution and lays the
// dialog and its controls out again from the template, so that a skinned layout does not
// move with the user's font-size setting.
#pragma once

#include <windows.h>

#include <owners/OwnerTraits.h>

class CSTDialogFont {
public:
    CSTDialogFont() = default;
    ~CSTDialogFont();
    CSTDialogFont(const CSTDialogFont&) = delete;
    CSTDialogFont& operator=(const CSTDialogFont&) = delete;

    // False, with nothing changed, when the template is missing or damaged.
    [[nodiscard]] bool Apply(HINSTANCE module, HWND dialog, UINT templateId, double pixelsPerInch);
    // Gives the dialog and its controls their previous font back (not their places).
    void Restore();

    UINT m_nTemplateId = 0;
    HINSTANCE m_hModule = nullptr;
    HWND m_hDialog = nullptr;
    UniqueResource<owner_traits::GdiObject<HFONT>> m_font;
    HFONT m_hPreviousFont = nullptr;
};
