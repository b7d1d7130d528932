#include "ProgressPageTestSupport.h"

#include "DefragPageHost.h"
#include "DlgBaseMessageBoxWndBase.h"
#include "IniReader.h"

#include <gtest/gtest.h>

namespace {

BoxAnswer g_answer = BoxAnswer::kOk;
std::vector<CString> g_boxTexts;
std::function<void()> g_whileUp;
CDlgBaseMessageBoxWndBase* g_box = nullptr;
std::vector<std::wstring> g_missingTexts;

void ClickButtonCaptioned(HWND box, const CString& caption) {
    for (int id = 1185; id < 1190; ++id) {
        const HWND button = ::GetDlgItem(box, id);
        wchar_t text[64] = {};
        if (button != nullptr && ::GetWindowTextW(button, text, 64) > 0 && caption == text) {
            ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                           reinterpret_cast<LPARAM>(button));
            return;
        }
    }
    ADD_FAILURE() << "no button " << caption.GetString();
    ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
}

void CALLBACK AnswerBox(HWND box, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(box, id);
    g_boxTexts.push_back(g_box->m_strMessage);
    if (g_whileUp)
        g_whileUp();
    switch (g_answer) {
    case BoxAnswer::kOk:
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        break;
    case BoxAnswer::kYes:
        ClickButtonCaptioned(box, g_box->m_strYes);
        break;
    case BoxAnswer::kNo:
        ClickButtonCaptioned(box, g_box->m_strNo);
        break;
    }
}

void AnsweringHook(CDlgBaseMessageBoxWndBase* box) {
    g_box = box;
    box->SetTimer(77, 100, &AnswerBox);
}

void RecordMissingText(const CString& message) {
    g_missingTexts.emplace_back(message.GetString());
}

} // namespace

PageParent::PageParent() {
    CreateEx(WS_EX_TOPMOST, AfxRegisterWndClass(0), L"Xarn", WS_POPUP | WS_VISIBLE, 10, 10, 591,
             473, nullptr, nullptr);
}

PageParent::~PageParent() {
    DestroyWindow();
}

BOOL PageParent::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    if (id >= kShowDefragHome && id <= kShowDefragResults) {
        commands.push_back(id);
        return TRUE;
    }
    return CWnd::OnCommand(wParam, lParam);
}

AnsweredBoxes::AnsweredBoxes() {
    g_answer = BoxAnswer::kOk;
    g_boxTexts.clear();
    g_whileUp = nullptr;
    SetMessageBoxAnswerHook(&AnsweringHook);
}

AnsweredBoxes::~AnsweredBoxes() {
    SetMessageBoxAnswerHook(nullptr);
    g_whileUp = nullptr;
}

void AnsweredBoxes::Answer(BoxAnswer answer) {
    g_answer = answer;
}

void AnsweredBoxes::WhileUp(std::function<void()> action) {
    g_whileUp = std::move(action);
}

const std::vector<CString>& AnsweredBoxes::Texts() const {
    return g_boxTexts;
}

const std::vector<std::wstring>& MissingTexts() {
    return g_missingTexts;
}

void RecordMissingTexts() {
    SetLangTextFailureReporter(&RecordMissingText);
}

COLORREF LookColour(CellLook look) {
    static const COLORREF colours[] = {RGB(0xD1, 0xCF, 0xD0), RGB(0x02, 0x4C, 0x95),
                                       RGB(0x2C, 0xBA, 0x30), RGB(0xD1, 0x01, 0x01),
                                       RGB(0xFD, 0x98, 0x14), RGB(0xF2, 0xEA, 0x32)};
    return colours[look];
}
