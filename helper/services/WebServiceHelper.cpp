#include "WebServiceHelper.h"

#include <cstdlib>
#include <ctime>

#include "FeedbackEncoding.h"
#include "IniReader.h"
#include "ProductIdentity.h"

CWebServiceHelper::CWebServiceHelper(LPCWSTR libraryName) : module_(LoadLibraryW(libraryName)) {
    if (!module_)
        return;
    loaded_ = true;
    for (size_t i = 0; i < std::size(kBoundOrdinals); ++i)
        entries_[i] = GetProcAddress(module_.Get(), MAKEINTRESOURCEA(kBoundOrdinals[i]));
    upload_ = reinterpret_cast<UploadEntry>(reinterpret_cast<void*>(BoundEntry(kUploadOrdinal)));
}

FARPROC CWebServiceHelper::BoundEntry(WORD ordinal) const {
    for (size_t i = 0; i < std::size(kBoundOrdinals); ++i)
        if (kBoundOrdinals[i] == ordinal)
            return entries_[i];
    return nullptr;
}

int CWebServiceHelper::Upload(const CString& payload, const CString& fileName) const {
    if (!loaded_ || !upload_)
        return 0;
    return upload_(payload, fileName);
}

CString MakeFeedbackFileName() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    wchar_t stamp[64] = {};
    if (localtime_s(&local, &now) == 0)
        std::wcsftime(stamp, 64, L" %Y%m%dT%I_%M%S%p", &local);
    std::srand(GetTickCount());
    CString name;
    name.Format(L"%s-Feedback%s %d.xml", GetProductShortName().GetString(), stamp, std::rand());
    return name;
}

FeedbackUploadOutcome UploadFeedback(const CWebServiceHelper& network, const CString& xml) {
    FeedbackUploadOutcome outcome;
    CString report = xml;
    report.Trim();
    CString payload;
    if (!report.IsEmpty() && EncodeFeedback(report, payload) &&
        network.Upload(payload, MakeFeedbackFileName())) {
        outcome.uploaded = true;
        outcome.status = L"Feedback uploaded Successfully.";
        outcome.message = L"Thank you for providing us the feedback";
        return outcome;
    }
    outcome.status = outcome.message = GetLangString(L"IDS_FEEDBACK_FAILED", L"Pelq");
    return outcome;
}
