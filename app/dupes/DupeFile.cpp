#include "DupeFile.h"

#include "LastScanReader.h"

#include <Paths.h>

#include <cwchar>
#include <iterator>

IMPLEMENT_DYNCREATE(CDupeFile, CObject)

namespace {

constexpr const wchar_t* kVideoExtensions[] = {
    L".asx", L".avi", L".mpg", L".mpeg", L".mp4", L".3gp", L".vob", L".asf", L".mov",
    L".mp4", L".qt",  L".swf", L".wmv",  L".fla", L".flv", L".3g2", L".mkv"};
constexpr const wchar_t* kImageExtensions[] = {
    L".bmp", L".png", L".jpg", L".gif", L".jpeg", L".pct", L".psd", L".tif", L".tiff",
    L".emf", L".eps", L".ico", L".jp2", L".tif",  L".raw", L".ppm", L".pnm", L".pgm",
    L".pbm", L".cgm", L".svg", L".psp", L".eps",  L".svg", L".thm", L".mng"};
constexpr const wchar_t* kDocumentExtensions[] = {
    L".doc", L".docx", L".xls",  L".xlsx", L".txt",  L".pdf", L".wpd",  L".wp",
    L".wri", L".log",  L".text", L".ppt",  L".pptx", L".msg", L".rtf",  L".wps",
    L".pps", L".xml",  L".html", L".htm",  L".pub",  L".pst", L".pages"};
constexpr const wchar_t* kMusicExtensions[] = {L".mp3", L".aac", L".aif",  L".aiff", L".iff",
                                               L".m3u", L".mid", L".midi", L".wav",  L".mpa",
                                               L".rm",  L".ra",  L".avi",  L".ram",  L".wma"};
constexpr const wchar_t* kCompressedExtensions[] = {L".zip", L".rar", L".7z",  L".gz",  L".ace",
                                                    L".deb", L".pkg", L".sea", L".sit", L".sitx"};

template <size_t N> bool IsListed(const CString& extension, const wchar_t* const (&list)[N]) {
    for (const wchar_t* entry : list) {
        if (extension == entry)
            return true;
    }
    return false;
}

// Layout of a sentinel record in a saved array.
constexpr wchar_t kSentinelName[] = L"\r\n";

} // namespace

DupeCategory DupeCategoryOfName(const CString& fileName) {
    const int dot = fileName.ReverseFind(L'.');
    if (dot < 0)
        return kDupeOther;
    CString extension = fileName.Mid(dot);
    extension.MakeLower();
    // The video list comes first, so ".avi" (also a music extension) is video.
    if (IsListed(extension, kVideoExtensions))
        return kDupeVideo;
    if (IsListed(extension, kImageExtensions))
        return kDupeImage;
    if (IsListed(extension, kDocumentExtensions))
        return kDupeDocument;
    if (IsListed(extension, kMusicExtensions))
        return kDupeMusic;
    if (IsListed(extension, kCompressedExtensions))
        return kDupeCompressed;
    return kDupeOther;
}

CString CDupeFile::GetFullPath() const {
    CString path(m_strFolder);
    AppendPath(path, m_strDisplayName);
    return path;
}

BYTE CDupeFile::DigestDoneFlag() const {
    return HasComparableDigest() ? 1 : 0;
}

void CDupeFile::Store(CArchive& ar) const {
    ar << m_nCategory << m_strName << m_strDisplayName << m_strFolder << DigestDoneFlag()
       << m_bRemovalMark << m_nSize << static_cast<LONGLONG>(m_tCreation)
       << static_cast<LONGLONG>(m_tLastWrite);
    ar.Write(m_digest, sizeof m_digest);
}

void StoreSentinelRecord(CArchive& ar) {
    const BYTE zeroDigest[16] = {};
    ar << static_cast<int>(kDupeSentinelLow) << CString(kSentinelName) << CString(kSentinelName)
       << CString() << static_cast<BYTE>(1) << static_cast<BYTE>(0) << ULONGLONG{0} << LONGLONG{0}
       << LONGLONG{0};
    ar.Write(zeroDigest, sizeof zeroDigest);
}

bool CDupeFile::Load(CLastScanReader& reader) {
    BYTE digestDone = 0;
    LONGLONG created = 0, written = 0;
    if (!reader.Read(m_nCategory) || m_nCategory < kDupeSentinelHigh || m_nCategory > kDupeOther ||
        !reader.ReadString(m_strName) || !reader.ReadString(m_strDisplayName) ||
        !reader.ReadString(m_strFolder) || !reader.Read(digestDone) || digestDone > 1 ||
        !reader.Read(m_bRemovalMark) || m_bRemovalMark > 1 || !reader.Read(m_nSize) ||
        !reader.Read(created) || !reader.Read(written) ||
        !reader.ReadBytes(m_digest, sizeof m_digest))
        return false;
    m_tCreation = created;
    m_tLastWrite = written;
    m_digestState = digestDone ? DigestState::kDone : DigestState::kNotTried;
    if (IsSentinel())
        return true;
    // A file's own name holds no separator and its folder is never empty: anything else
    // would let the record name some other file than the one that was scanned.
    return !m_strDisplayName.IsEmpty() && m_strDisplayName.FindOneOf(L"\\/:") < 0 &&
           !m_strFolder.IsEmpty();
}
