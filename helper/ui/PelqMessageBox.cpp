#include "PelqMessageBox.h"

namespace {
constexpr UINT kMessageBoxTemplate = 1273;
} // namespace

IMPLEMENT_DYNAMIC(CPelqMessageBox, CDlgBaseMessageBoxWndBase)

BEGIN_MESSAGE_MAP(CPelqMessageBox, CDlgBaseMessageBoxWndBase)
END_MESSAGE_MAP()

CPelqMessageBox::CPelqMessageBox(CWnd* parent)
    : CDlgBaseMessageBoxWndBase(kMessageBoxTemplate, parent) {}

CPelqMessageBox::~CPelqMessageBox() = default;
