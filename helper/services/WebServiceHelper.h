// The outside library "Network.dll", loaded by name, which takes the encoded feedback report
// to the maker (its ordinal 14, bound with 4, 2 and 9), and the upload of a report through it.
#pragma once

#include <windows.h>

#include <classlib/String.h>
#include <owners/OwnerTraits.h>

#include <iterator>

class CWebServiceHelper {
public:
    // Ordinal 14: the payload and the file name under which the server keeps the report;
    // non-zero when the report was accepted.
    using UploadEntry = int(WINAPI*)(const wchar_t* payload, const wchar_t* fileName);

    explicit CWebServiceHelper(LPCWSTR libraryName = L"Network.dll");
    CWebServiceHelper(const CWebServiceHelper&) = delete;
    CWebServiceHelper& operator=(const CWebServiceHelper&) = delete;

    bool IsLoaded() const { return loaded_; }
    // 0 when the library or its upload entry is missing; no call is made then.
    int Upload(const CString& payload, const CString& fileName) const;
    // The library's entry bound under an ordinal (4, 2, 9 or 14); null when it has none or
    // the ordinal is not one of those. Only the upload is ever called.
    FARPROC BoundEntry(WORD ordinal) const;

    // The ordinals bound when the library loads, the upload's (14) last.
    static constexpr WORD kUploadOrdinal = 14;
    static constexpr WORD kBoundOrdinals[] = {4, 2, 9, kUploadOrdinal};

private:
    UniqueResource<owner_traits::Library> module_;
    bool loaded_ = false;
    FARPROC entries_[std::size(kBoundOrdinals)] = {};
    UploadEntry upload_ = nullptr;
};

// The product's short name, "-Feedback", the local time as " %Y%m%dT%I_%M%S%p", a space and
// a random number, then ".xml".
CString MakeFeedbackFileName();

// What the upload of one report ended with: the status line and the message for the user.
struct FeedbackUploadOutcome {
    bool uploaded = false;
    CString status;
    CString message;
};

// Encodes the report and hands it to the library. Any failure (nothing to send, the
// encoding, a missing library, a refusal) gives the text of "IDS_FEEDBACK_FAILED" for both,
// so the user always learns the outcome.
FeedbackUploadOutcome UploadFeedback(const CWebServiceHelper& network, const CString& xml);
