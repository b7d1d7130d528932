// The test programs hold their own copy of the services' code, so they make the process-wide
// objects that the library makes while it loads. A text key missing from the language file
// fails the test instead of showing a message box.
#include <gtest/gtest.h>

#include "DownloadQueue.h"
#include "WinInet.h"
#include "IniReader.h"
#include "TestSupport.h"

CWinInet g_winInet;
CDownloaderState g_downloader;

namespace {

void FailOnMissingText(const CString& message) {
    std::ostringstream text;
    PrintTo(message, &text);
    ADD_FAILURE() << "language text missing: " << text.str();
}

const bool g_reporterSet = (SetLangTextFailureReporter(&FailOnMissingText), true);

} // namespace
