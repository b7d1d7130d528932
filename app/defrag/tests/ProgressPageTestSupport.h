// What the progress page's tests share: the page's parent window that keeps the page commands,
// message boxes answered once up, texts the language file lacks and the map's colours.
#pragma once

#include "VolmeMap.h"

#include <windows.h>

#include <classlib/String.h>
#include <classlib/Window.h>

#include <functional>
#include <string>
#include <vector>

// A visible window of the page's size that keeps the page commands (1199 to 1203) posted to it.
class PageParent : public CWnd {
public:
    PageParent();
    ~PageParent() override;
    std::vector<UINT> commands;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
};

// The product's message boxes answered once they are up (installed for the test's lifetime).
enum class BoxAnswer { kOk, kYes, kNo };
class AnsweredBoxes {
public:
    AnsweredBoxes();
    ~AnsweredBoxes();
    AnsweredBoxes(const AnsweredBoxes&) = delete;
    AnsweredBoxes& operator=(const AnsweredBoxes&) = delete;

    void Answer(BoxAnswer answer);
    // Runs once each box is up, before it is answered.
    void WhileUp(std::function<void()> action);
    // What the boxes said, in order.
    const std::vector<CString>& Texts() const;
};

// Language texts looked up and not found; recorded from the start of the program.
const std::vector<std::wstring>& MissingTexts();
void RecordMissingTexts();

// The colour at the point (5, 5) of each look of the cell strip.
COLORREF LookColour(CellLook look);
