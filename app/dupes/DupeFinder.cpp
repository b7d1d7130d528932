#include "DupeFinder.h"

#include "DupeFinderOptions.h"
#include "DupeScanFilter.h"
#include "FileDigester.h"

#include <AppLocations.h>
#include <HeldItem.h>
#include <HelperThreads.h>
#include <Paths.h>

#include <commctrl.h>
#include <process.h>

#include <algorithm>
#include <cstring>
#include <map>

IMPLEMENT_DYNAMIC(CDupeFinder, CObject)

namespace {

// FILETIME ticks between 1601 and 1970, and per second.
constexpr ULONGLONG kUnixEpochTicks = 116444736000000000ull;
constexpr ULONGLONG kTicksPerSecond = 10000000ull;

// Seconds since 1970 of a file time; false for a value no file time can hold.
bool ToUnixSeconds(const FILETIME& time, __time64_t& seconds) {
    const ULONGLONG ticks = (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime;
    if (ticks > 0x7FFFFFFFFFFFFFFFull)
        return false;
    seconds = static_cast<__time64_t>(ticks / kTicksPerSecond) -
              static_cast<__time64_t>(kUnixEpochTicks / kTicksPerSecond);
    return true;
}

// Digests run on this many helper threads at most, one for each so many files.
constexpr unsigned kDigestHelperThreads = 3;
constexpr size_t kFilesPerDigestHelper = 16;

template <class T> int CompareValues(T left, T right) {
    return left < right ? -1 : (right < left ? 1 : 0);
}

int Sign(int value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

} // namespace

DupeMatchOptions StricterCriteria(const DupeMatchOptions& stored, const DupeMatchOptions& current) {
    DupeMatchOptions options = current;
    options.name = stored.name || current.name;
    options.size = stored.size || current.size;
    options.creationTime = stored.creationTime || current.creationTime;
    options.lastWriteTime = stored.lastWriteTime || current.lastWriteTime;
    options.extra = stored.extra || current.extra;
    options.content = stored.content || current.content;
    options.sizeLimit = stored.sizeLimit && current.sizeLimit;
    return options;
}

DupeSet DupeSetOfCategory(int category) {
    switch (category) {
    case kDupeMusic:
        return kSetMusic;
    case kDupeVideo:
        return kSetVideo;
    case kDupeImage:
        return kSetImage;
    case kDupeDocument:
        return kSetDocument;
    case kDupeCompressed:
        return kSetCompressed;
    default:
        return kSetAllFiles;
    }
}

CDupeFinder::CDupeFinder() : m_strLastScanFolder(GetAppDataFolder()) {}

CDupeFinder::~CDupeFinder() {
    Reset();
}

void CDupeFinder::EndGrouping(bool stop) {
    if (!IsGrouping())
        return;
    if (stop)
        StopGrouping();
    (void)WaitForGrouping(INFINITE);
}

void CDupeFinder::Reset() {
    EndGrouping(true);
    m_locations.RemoveAll();
    ClearRecords();
    DeleteGroups();
}

void CDupeFinder::ClearRecords() {
    for (auto& files : m_files)
        files.clear();
    for (auto& duplicates : m_duplicates)
        duplicates.clear();
    m_records.clear();
    m_recordedIdentities.clear();
    m_recordedPaths.clear();
    m_nNextSerial = 0;
    m_bLoadedUnresolved = false;
}

void CDupeFinder::RebuildFileSets() {
    for (auto& files : m_files)
        files.clear();
    for (const auto& record : m_records) {
        m_files[kSetAllFiles].push_back(record.get());
        if (record->m_nCategory != kDupeOther)
            m_files[DupeSetOfCategory(record->m_nCategory)].push_back(record.get());
    }
}

void CDupeFinder::DeleteGroups() {
    EndGrouping(true);
    for (auto& groups : m_groups)
        groups.clear();
}

size_t CDupeFinder::TotalRecords() const {
    size_t total = 0;
    for (const auto& files : m_files)
        total += files.size();
    return total;
}

bool CDupeFinder::CreateDupeFileItem(const DupeFoundFile& found, const CString& folder) {
    const DupeCategory category = DupeCategoryOfName(found.name);
    if (found.size == 0 && m_options.content)
        return false;
    if (!m_searchedTypes.empty() && std::find(m_searchedTypes.begin(), m_searchedTypes.end(),
                                              category) == m_searchedTypes.end())
        return false;
    __time64_t created, written;
    if (!ToUnixSeconds(found.creationTime, created) || !ToUnixSeconds(found.lastWriteTime, written))
        return false;

    auto record = std::make_unique<CDupeFile>();
    record->m_strFolder = folder;
    record->m_strDisplayName = found.name;
    record->m_strName = found.name;
    record->m_strName.MakeLower();
    // The same file reached twice (two masks, overlapping locations, another name of it)
    // must never become two records, which would group as each other's duplicate.
    if (found.identity.known) {
        if (!m_recordedIdentities
                 .emplace(found.identity.item.volumeSerial, found.identity.item.fileId)
                 .second)
            return false;
    } else {
        CString key = record->GetFullPath();
        key.MakeLower();
        if (!m_recordedPaths.insert(std::wstring(key.GetString())).second)
            return false;
    }
    record->m_nCategory = category;
    record->m_tCreation = created;
    record->m_tLastWrite = written;
    record->m_nSize = found.size;
    record->m_identity = found.identity;
    record->m_nSerial = m_nNextSerial++;
    m_files[kSetAllFiles].push_back(record.get());
    if (category != kDupeOther)
        m_files[DupeSetOfCategory(category)].push_back(record.get());
    m_records.push_back(std::move(record));
    return true;
}

void CDupeFinder::ResolveLoadedRecords() {
    m_bLoadedUnresolved = false;
    CStringArray ignoreList;
    ReadIgnoreListForScan(ignoreList);
    const CDupeScanFilter filter(ignoreList);
    std::vector<std::unique_ptr<CDupeFile>> resolved;
    std::map<std::pair<DWORD, ULONGLONG>, CDupeFile*> byItem;
    m_recordedIdentities.clear();
    m_recordedPaths.clear();
    for (auto& record : m_records) {
        // A stopped grouping lists nothing: what is not resolved yet is dropped.
        if (!m_keepRunning)
            break;
        const CString path = record->GetFullPath();
        FileIdentity identity;
        __time64_t created, written;
        // What is gone, is a link or a folder, or is a file no scan records is dropped.
        if (ReadItemIdentity(path, identity) != ItemOutcome::kDone || identity.folder ||
            (identity.size == 0 && m_options.content) ||
            filter.LeavesOutFile(path, record->m_strDisplayName) ||
            !ToUnixSeconds(FileTimeOfTicks(identity.creationTime), created) ||
            !ToUnixSeconds(FileTimeOfTicks(identity.lastWriteTime), written))
            continue;
        // One file named twice (another spelling, a hard link) is one record, checked only
        // when every naming was.
        const auto [first, added] =
            byItem.emplace(std::make_pair(identity.volumeSerial, identity.fileId), record.get());
        if (!added) {
            first->second->m_bRemovalMark &= record->m_bRemovalMark;
            continue;
        }
        // A file that changed since it was saved is not what was checked.
        if (identity.size != record->m_nSize || written != record->m_tLastWrite ||
            created != record->m_tCreation)
            record->m_bRemovalMark = 0;
        record->m_nSize = identity.size;
        record->m_tCreation = created;
        record->m_tLastWrite = written;
        record->m_identity = DupeFileIdentity{identity, true};
        // A stored digest says nothing about the file now: the grouping reads it again.
        std::memset(record->m_digest, 0, sizeof record->m_digest);
        record->m_digestState = CDupeFile::DigestState::kNotTried;
        m_recordedIdentities.insert(first->first);
        resolved.push_back(std::move(record));
    }
    m_records = std::move(resolved);
    RebuildFileSets();
}

// ---- Comparison

int CDupeFinder::CompareWithoutContent(const CDupeFile& left, const CDupeFile& right) const {
    if (m_options.name) {
        // Both names are lower case, so an ordinal comparison ignores letter case.
        if (const int byName = Sign(wcscmp(left.m_strName, right.m_strName)))
            return byName;
    }
    // Files of different lengths never have the same content.
    if (m_options.size || m_options.content) {
        if (const int bySize = CompareValues(left.m_nSize, right.m_nSize))
            return bySize;
    }
    if (m_options.creationTime) {
        if (const int byCreation = CompareValues(left.m_tCreation, right.m_tCreation))
            return byCreation;
    }
    if (m_options.lastWriteTime) {
        if (const int byWrite = CompareValues(left.m_tLastWrite, right.m_tLastWrite))
            return byWrite;
    }
    return 0;
}

int CDupeFinder::Compare(const CDupeFile& left, const CDupeFile& right) const {
    if (const int cheap = CompareWithoutContent(left, right))
        return cheap;
    if (!m_options.content)
        return 0;
    const bool leftComparable = left.HasComparableDigest();
    const bool rightComparable = right.HasComparableDigest();
    if (leftComparable && rightComparable)
        return Sign(std::memcmp(left.m_digest, right.m_digest, sizeof left.m_digest));
    // A file without a digest (its content could not be read, or its first bytes told it from
    // every other file of its run) equals no other file; such files come after the others, in
    // the order they were recorded, so the order stays consistent.
    if (leftComparable != rightComparable)
        return leftComparable ? -1 : 1;
    return CompareValues(left.m_nSerial, right.m_nSerial);
}

// ---- Grouping

void CDupeFinder::ReportProgress(int percent) {
    m_nPercent = percent;
    if (m_pfnCallback)
        m_pfnCallback(FALSE, percent, m_pUserValue);
}

void CDupeFinder::SetProgressBar(int percent) const {
    if (m_hGroupingProgressBar && IsWindow(m_hGroupingProgressBar))
        SendMessageW(m_hGroupingProgressBar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void CDupeFinder::DigestOne(CFileDigester& digester, CDupeFile& file, bool showPath) {
    const CString path = file.GetFullPath();
    if (showPath && m_hDigestFileWindow && IsWindow(m_hDigestFileWindow))
        SetWindowTextW(m_hDigestFileWindow, path);
    if (m_options.sizeLimit && file.m_nSize > CDupeFile::kDigestSizeLimit) {
        std::memset(file.m_digest, 0, sizeof file.m_digest);
        file.m_digestState = CDupeFile::DigestState::kSkippedBySizeLimit;
        return;
    }
    const bool read = digester.Digest(path, file.m_identity.known ? &file.m_identity.item : nullptr,
                                      m_options.sizeLimit ? CDupeFile::kDigestSizeLimit : 0,
                                      m_keepRunning, file.m_digest);
    // A read cut short by a stop says nothing about the file: a later grouping reads it again.
    if (read)
        file.m_digestState = CDupeFile::DigestState::kDone;
    else if (m_keepRunning)
        file.m_digestState = CDupeFile::DigestState::kUnreadable;
}

size_t CDupeFinder::DigestRun(CFileDigester& digester, const std::vector<CDupeFile*>& run,
                              bool showPath) {
    const bool noneRead = std::all_of(run.begin(), run.end(), [](const CDupeFile* file) {
        return file->m_digestState == CDupeFile::DigestState::kNotTried;
    });
    const bool overLimit =
        m_options.sizeLimit && run.front()->m_nSize > CDupeFile::kDigestSizeLimit;
    // First bytes settle nothing against a file digested earlier (its first bytes are not
    // known), and a run too long to hold at once is read file by file, whole.
    if (!noneRead || overLimit || run.size() > kMostFilesHeldPerRun) {
        size_t read = 0;
        for (CDupeFile* file : run) {
            if (m_keepRunning && file->m_digestState == CDupeFile::DigestState::kNotTried) {
                DigestOne(digester, *file, showPath);
                ++read;
            }
        }
        return read;
    }
    // Every file of the run is opened once and held until its digest is taken, so each is
    // read as it was found.
    std::vector<CSteppedDigest> steps(run.size());
    for (size_t i = 0; i < run.size() && m_keepRunning; ++i) {
        CDupeFile& file = *run[i];
        const CString path = file.GetFullPath();
        if (showPath && m_hDigestFileWindow && IsWindow(m_hDigestFileWindow))
            SetWindowTextW(m_hDigestFileWindow, path);
        if (!steps[i].Begin(path, file.m_identity.known ? &file.m_identity.item : nullptr,
                            m_options.sizeLimit ? CDupeFile::kDigestSizeLimit : 0, kFirstBlockBytes,
                            digester.Block()))
            file.m_digestState = CDupeFile::DigestState::kUnreadable;
    }
    if (!m_keepRunning)
        return run.size(); // what was not digested is read again by a later grouping
    // A file whose size and first bytes no other file of the run shares differs from each of
    // them: the rest of it need not be read. Told before any file is let go.
    std::vector<bool> shared(run.size(), false);
    for (size_t i = 0; i < run.size(); ++i) {
        for (size_t j = i + 1; j < run.size(); ++j) {
            if (steps[i].IsHeld() && steps[j].IsHeld() && steps[i].Size() == steps[j].Size() &&
                std::memcmp(steps[i].FirstDigest(), steps[j].FirstDigest(),
                            sizeof steps[i].FirstDigest()) == 0)
                shared[i] = shared[j] = true;
        }
    }
    for (size_t i = 0; i < run.size(); ++i) {
        CSteppedDigest& step = steps[i];
        CDupeFile& file = *run[i];
        if (!step.IsHeld())
            continue;
        if (!shared[i] && step.Size() > kFirstBlockBytes) {
            step.Release();
            file.m_digestState = CDupeFile::DigestState::kDistinct;
            continue;
        }
        // A read cut short by a stop says nothing about the file.
        if (step.Finish(digester.Block(), m_keepRunning, file.m_digest))
            file.m_digestState = CDupeFile::DigestState::kDone;
        else if (m_keepRunning)
            file.m_digestState = CDupeFile::DigestState::kUnreadable;
    }
    return run.size();
}

bool CDupeFinder::DigestCandidates(std::vector<CDupeFile*>& files) {
    // Only files that meet an equal one under the cheap criteria need their content read; they
    // are read run by run, so that first bytes can tell the files of a run apart.
    std::vector<std::vector<CDupeFile*>> runs;
    size_t wanted = 0;
    for (size_t start = 0, end; start < files.size(); start = end) {
        for (end = start + 1;
             end < files.size() && CompareWithoutContent(*files[start], *files[end]) == 0; ++end) {
        }
        if (end - start < 2)
            continue;
        const auto first = files.begin() + static_cast<std::ptrdiff_t>(start);
        const auto last = files.begin() + static_cast<std::ptrdiff_t>(end);
        const auto unread =
            static_cast<size_t>(std::count_if(first, last, [](const CDupeFile* file) {
                return file->m_digestState == CDupeFile::DigestState::kNotTried;
            }));
        if (unread == 0)
            continue;
        wanted += unread;
        runs.emplace_back(first, last);
    }
    if (runs.empty())
        return m_keepRunning;
    // A few helper threads digest beside this one; each run is digested by exactly one thread,
    // and only this thread reports progress and touches the windows.
    std::atomic<size_t> next{0};
    std::atomic<size_t> done{0};
    // Digests the next run not taken yet; false when none is left (or the grouping stopped).
    const auto digestNext = [&](CFileDigester& digester, bool reporting) {
        size_t i;
        if (!m_keepRunning || (i = next++) >= runs.size())
            return false;
        const size_t finished = done += DigestRun(digester, runs[i], reporting);
        if (reporting) {
            const int percent = static_cast<int>(std::min(finished, wanted) * 100 / wanted);
            SetProgressBar(percent >= 100 ? 95 : percent);
            ReportProgress(m_nPercent);
        }
        return true;
    };
    // This thread takes the first run before the helpers begin, so that the window shows a
    // file however quickly the helpers take the rest.
    CFileDigester digester;
    digestNext(digester, true);
    const unsigned helpers = std::min<unsigned>(
        {kDigestHelperThreads, static_cast<unsigned>((wanted - 1) / kFilesPerDigestHelper),
         static_cast<unsigned>(runs.size() - 1)});
    RunWithHelpers(
        helpers,
        [&] {
            CFileDigester helper;
            while (digestNext(helper, false)) {
            }
        },
        [&] {
            while (digestNext(digester, true)) {
            }
        });
    return m_keepRunning;
}

void CDupeFinder::GroupFiles(DupeSet set) {
    std::vector<CDupeFile*>& files = m_files[set];
    std::vector<CDupeGroup>& groups = m_groups[set];
    if (files.empty())
        return;
    ReportProgress(m_nPercent);
    // The comparison reads no file: content is compared from digests computed between the
    // two sorts, so a stop can never leave a sort with an inconsistent order. A stop during
    // the digests leaves the set sorted by the other criteria and without groups.
    std::sort(files.begin(), files.end(), [this](const CDupeFile* left, const CDupeFile* right) {
        return CompareWithoutContent(*left, *right) < 0;
    });
    if (files.size() < 2)
        return;
    if (m_options.content) {
        if (!DigestCandidates(files))
            return;
        std::sort(files.begin(), files.end(),
                  [this](const CDupeFile* left, const CDupeFile* right) {
                      return Compare(*left, *right) < 0;
                  });
    }
    if (m_keepRunning && m_pfnGroupingStep)
        m_pfnGroupingStep(m_pGroupingStepContext);
    size_t start = 0;
    for (size_t i = 1; i <= files.size() && m_keepRunning; ++i) {
        ++m_nGroupingSteps;
        if (m_nTotalRecords != 0)
            ReportProgress(static_cast<int>(m_nGroupingSteps * 100 / m_nTotalRecords));
        if (i < files.size() && Compare(*files[i - 1], *files[i]) == 0)
            continue;
        if (i - start > 1)
            groups.push_back(CDupeGroup{start, i - start});
        start = i;
    }
}

bool CDupeFinder::StartGrouping(DupeProgressCallback callback, LPVOID userValue, bool fromLoad) {
    if (IsGrouping())
        return false;
    m_groupingThread.Reset();
    auto params = std::make_unique<CDupeFinderCalculatorParams>();
    params->pfnCallback = callback;
    params->pUserValue = userValue;
    params->pFinder = this;
    params->fromLoad = fromLoad;
    m_keepRunning = true;
    const uintptr_t thread =
        _beginthreadex(nullptr, 0, &CDupeFinder::GroupingThreadProc, params.get(), 0, nullptr);
    if (thread == 0)
        return false;
    params.release(); // the thread deletes it
    m_groupingThread = KernelHandle(reinterpret_cast<HANDLE>(thread));
    return true;
}

unsigned __stdcall CDupeFinder::GroupingThreadProc(void* parameter) {
    std::unique_ptr<CDupeFinderCalculatorParams> params(
        static_cast<CDupeFinderCalculatorParams*>(parameter));
    params->pFinder->RunGrouping(*params);
    return 0;
}

void CDupeFinder::RunGrouping(const CDupeFinderCalculatorParams& params) {
    m_pfnCallback = params.pfnCallback;
    m_pUserValue = params.pUserValue;
    // The keep-running flag was set by StartGrouping: a stop that came before this thread
    // began must hold.
    m_nGroupingSteps = 0;
    m_nPercent = 0;
    if (m_bLoadedUnresolved)
        ResolveLoadedRecords();
    m_nTotalRecords = TotalRecords();
    // Files that could not be read last time are tried again by each new grouping, and so are
    // files told apart from their run's by their first bytes: the runs may differ now.
    for (CDupeFile* file : m_files[kSetAllFiles]) {
        if (file->m_digestState == CDupeFile::DigestState::kUnreadable ||
            file->m_digestState == CDupeFile::DigestState::kDistinct)
            file->m_digestState = CDupeFile::DigestState::kNotTried;
    }
    GroupFiles(kSetAllFiles);
    if (!params.fromLoad) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        WriteLastScanFile(now);
    }
    for (DupeSet set : {kSetVideo, kSetMusic, kSetDocument, kSetImage, kSetCompressed})
        GroupFiles(set);
    m_nPercent = 100;
    if (m_pfnCallback)
        m_pfnCallback(TRUE, 100, m_pUserValue);
}

bool CDupeFinder::IsGrouping() const {
    return m_groupingThread.IsValid() &&
           WaitForSingleObject(m_groupingThread.Get(), 0) == WAIT_TIMEOUT;
}

bool CDupeFinder::WaitForGrouping(DWORD timeoutMs) {
    if (!m_groupingThread.IsValid())
        return true;
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        DWORD wait = INFINITE;
        if (timeoutMs != INFINITE) {
            const ULONGLONG spent = GetTickCount64() - start;
            if (spent >= timeoutMs)
                return WaitForSingleObject(m_groupingThread.Get(), 0) == WAIT_OBJECT_0;
            wait = static_cast<DWORD>(timeoutMs - spent);
        }
        HANDLE thread = m_groupingThread.Get();
        const DWORD result = MsgWaitForMultipleObjects(1, &thread, FALSE, wait, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0)
            return true;
        if (result != WAIT_OBJECT_0 + 1 && result != WAIT_TIMEOUT)
            return false;
        // Messages the thread sends to this thread's windows are handled by peeking.
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

// ---- Handing over to the results page

void CDupeFinder::FillSortedDupeFiles() {
    // The thread has reported its end when this runs, but may not have returned yet.
    EndGrouping(false);
    bool anyGroup = false;
    for (const auto& groups : m_groups)
        anyGroup = anyGroup || !groups.empty();
    if (!anyGroup)
        return;
    SetProgressBar(0);
    for (int set = 0; set < kDupeSetCount; ++set) {
        std::vector<CDupeFile*>& duplicates = m_duplicates[set];
        duplicates.clear();
        const std::vector<CDupeFile*>& files = m_files[set];
        int number = 0;
        for (const CDupeGroup& group : m_groups[set]) {
            if (!m_keepRunning)
                break;
            ++number;
            for (size_t i = group.first; i < group.first + group.count; ++i) {
                CDupeFile* file = files[i];
                if (file->m_nFirstGroup == -1)
                    file->m_nFirstGroup = number;
                else
                    file->m_nSecondGroup = number;
                duplicates.push_back(file);
            }
        }
    }
    // Records without any group (files without a duplicate) are not kept.
    constexpr size_t kRecordsPerPump = 256;
    const size_t total = m_records.size();
    size_t done = 0;
    std::vector<std::unique_ptr<CDupeFile>> kept;
    for (auto& record : m_records) {
        if (record->m_nFirstGroup != -1 || record->m_nSecondGroup != -1)
            kept.push_back(std::move(record));
        if (++done % kRecordsPerPump == 0 || done == total) {
            PumpPendingMessages();
            SetProgressBar(static_cast<int>(done * 100 / total));
        }
    }
    m_records = std::move(kept);
    for (auto& files : m_files)
        files.clear();
}
