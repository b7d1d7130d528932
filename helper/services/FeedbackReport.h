// The feedback report: what the feedback form holds, its validation, and the XML text that
// carries it with the system information, the machine identity and the product version.
#pragma once

#include <windows.h>

#include <vector>

#include <classlib/String.h>

class CXmlDoc;

// The feedback types in the order of the form's list; index 0 is the "select one" entry.
constexpr int kFeedbackTypeCount = 5;
// The type's text; empty outside the table.
CString GetFeedbackTypeText(int index);

struct FeedbackForm {
    CString email;
    int typeIndex = 0; // the chosen entry of the type list; -1 when none is chosen
    CString text;
    bool publish = false;
    std::vector<int> toolIds; // the checked favourite tools
};

// The results of BuildFeedbackXml.
enum FeedbackBuildResult : int {
    kFeedbackBuilt = 1,
    kFeedbackEmptyText = 0,
    kFeedbackBadEmail = -1,
    kFeedbackNoType = -2,
};

// Validates the form and builds the report into `xml` (emptied first): kFeedbackBuilt, or
// the first problem found. `driveMask` chooses the drives described (GetLogicalDrives' form).
int BuildFeedbackXml(const FeedbackForm& form, CString& xml, DWORD driveMask);
int BuildFeedbackXml(const FeedbackForm& form, CString& xml);

// Adds "sys_info" as the current element's next child when the Windows version can be read.
void AppendSystemInfo(CXmlDoc& doc, DWORD driveMask);
