#include "JunkTables.h"

#include <cwchar>
#include <iterator>

#include "ProtectedItems.h"

const DefaultJunkMask kDefaultJunkMasks[41] = {
    {L"*.---", 1},        {L"*.tmp", 1},    {L"*.temp", 1},   {L"*.chk", 1},  {L"*.old", 1},
    {L"*.gid", 1},        {L"*.nch", 0},    {L"*.wbk", 0},    {L"*.fts", 1},  {L"*.ftg", 0},
    {L"*.$$$", 1},        {L"*log.txt", 0}, {L"*.err", 0},    {L"*.~*", 1},   {L"~*.*", 1},
    {L"*.??$", 1},        {L"*.___", 1},    {L"*.log", 0},    {L"*.~mp", 1},  {L"*._mp", 1},
    {L"*.dmp", 1},        {L"*.prv", 0},    {L"*.sik", 0},    {L"*.bak", 0},  {L"thumbs.db", 0},
    {L"CHKLIST.MS", 0},   {L"*.ilk", 0},    {L"*.aps", 0},    {L"*.ncb", 0},  {L"*.pch", 0},
    {L"*.$db", 1},        {L"*.?$?", 0},    {L"*.??~", 1},    {L"*.?~?", 0},  {L"*.db$", 1},
    {L"*.^", 0},          {L"*._dd", 0},    {L"*._detmp", 0}, {L"0*.nch", 0}, {L"chklist.*", 1},
    {L"mscreate.dir", 1},
};

const wchar_t* const kBuiltInIgnorePatterns[54] = {
    L"*\\application data\\microsoft\\*",
    L"*\\chaos32\\*",
    L"*\\i386\\*",
    L"*\\amd64\\*",
    L"*\\installshield installation information\\*",
    L"*\\microsoft publisher*",
    L"*\\microsoft\\money*",
    L"*\\microsoft\\office*",
    L"*\\nethood\\*",
    L"*\\quarantine\\*",
    L"*\\resources\\themes\\*",
    L"*\\symantec*",
    L"*\\system32\\catroot2\\*",
    L"*\\system32\\config*",
    L"*\\system32\\stclog\\*",
    L"*\\system32\\usmt\\*",
    L"*\\incredimail\\*",
    L"*\\identity\\*",
    L"*\\temporary internet files\\*",
    L"*\\uninstall information\\*",
    L"*\\$recycle*",
    L"*\\_restore\\*",
    L"*\\_restore\\*",
    L"*\\program files\\common files\\*",
    L"*\\program files (x86)\\common files\\*",
    L"*\\recycle*",
    L"*\\send to\\*",
    L"*\\sendto\\*",
    L"*\\system volume information\\*",
    L"*\\windows\\assembly\\*",
    L"*\\windows\\repair\\*",
    L"*\\windows\\security\\*",
    L"*\\windows\\lastgood\\*",
    L"*\\windows\\system32\\*",
    L"*\\windows\\syswow64\\*",
    L"*\\windows\\winsxs\\*",
    L"*\\ntuser.dat*",
    L"*\\.svn\\*",
    L"*\\_svn\\*",
    L"*\\softwaredistribution\\*",
    L"*\\windows\\tracing\\*",
    L"*\\favorites\\*",
    L"*\\digitallocker\\*",
    L"*\\microsoft.net\\*",
    L"*\\downloaded program files\\*",
    L"*\\pchealth\\*",
    L"*\\microsoft office\\*",
    L"*\\msocache\\*",
    L"*\\$ntuninstallkb*",
    L"*\\windows\\prefatch\\*",
    L"*\\windows\\installer\\*",
    L"*\\windows\\pchealth\\*",
    L"*\\windows\\downloaded program files\\*",
    L"*\\windows\\repair\\*",
};

// Beside the foundation's risky types, three more types are never junk.
const wchar_t* const kMoreProtectedExtensions[3] = {L"fon", L"fnt", L"rdp"};

const wchar_t* const kOverBroadMasks[13] = {
    L"*",     L"*.",     L"*.*",  L"*.?",   L"*.??",  L"*.???", L"*.?*",
    L"*.??*", L"*.???*", L"*.?*", L"*.??*", L"*.*??", L"*.*??",
};

bool IsCatchAllMask(const CString& mask) {
    int start = 0;
    while (start <= mask.GetLength()) {
        int end = mask.Find(L';', start);
        if (end < 0)
            end = mask.GetLength();
        CString pattern = mask.Mid(start, end - start);
        pattern.Trim();
        if (!pattern.IsEmpty() &&
            wcsspn(pattern, L"*?.") == static_cast<size_t>(pattern.GetLength()))
            return true;
        start = end + 1;
    }
    return false;
}

bool IsProtectedExtension(const CString& fileName) {
    if (IsRiskyExtension(fileName))
        return true;
    const int dot = fileName.ReverseFind(L'.');
    if (dot < 0)
        return false;
    CString extension = fileName.Mid(dot + 1);
    extension.Trim();
    extension.MakeLower();
    for (const wchar_t* more : kMoreProtectedExtensions)
        if (extension == more)
            return true;
    return false;
}

bool IsBuiltInIgnorePattern(const wchar_t* pattern) {
    for (const wchar_t* builtIn : kBuiltInIgnorePatterns)
        if (_wcsicmp(builtIn, pattern) == 0)
            return true;
    return false;
}
