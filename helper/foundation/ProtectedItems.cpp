#include "ProtectedItems.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

constexpr const wchar_t* kCriticalSystemFiles[] = {
    L"ntldr",
    L"ntdetect.com",
    L"ntdll.dll",
    L"ntoskrnl.exe",
    L"svchost.exe",
    L"lsass.exe",
    L"services.exe",
    L"csrss.exe",
    L"smss.exe",
    L"boot.ini",
    L"bootsect.dos",
    L"io.sys",
    L"msdos.sys",
    L"command.com",
    L"software",
    L"system",
    L"ntuser.dat",
    L"ntuser.dat.log",
    L"ntuser.ini",
    L"explorer.exe",
    L"system.dat",
    L"user.dat",
    L"classes.dat",
    L"drvspace.bin",
    L"protocol.ini",
    L"win.ini",
    L"system.ini",
    L"win.com",
    L"program.ini",
    L"dosprmpt.pif",
    L"win386.swp",
    L"pagefile.sys",
    L"hiberfile.sys",
    L"config.sys",
    L"autoexec.bat",
    L"wz.pif",
    L"passwd.log",
    L"oakley.log",
    L"ssl.log",
    L"usrclass.dat",
    L"usrclass.dat.log",
    L"cleanup.log",
    L"desktop.ini",
    L"userdiff.log",
    L"userdiff",
    L"tempkey.log",
    L"system.sav",
    L"system.log",
    L"software.sav",
    L"software.log",
    L"security.log",
    L"sam.log",
    L"default.sav",
    L"default.log",
    L"sysevent.evt",
    L"appevent.evt",
    L"secevent.evt",
    L"security",
    L"default",
    L"sam",
    L".default",
    L"winnt32.log",
    L"passwd.log",
    L"oakley.log",
    L"h32log.txt",
    L"objects.data",
    L"outlook.srs",
    L"extend.dat",
    L"scan.dat",
    L"outlook.pst",
    L"index.dat",
    L"normal.dot",
    L"schedlog.txt",
    L"setup.exe",
    L"unwise.exe",
    L"install.log",
    L"uninstall.exe",
    L"uninstall.ini",
    L"uninstal.exe",
    L"uninstal.ini",
    L"uninst.isu",
    L"unins000.exe",
    L"unins000.dat",
    L"unins001.exe",
    L"unins001.dat",
    L"unwise32.exe",
    L"setup.in",
    L"schedlgu.txt",
    L"netlogon.chg",
    L"userinit.exe",
    L"data.bak",
    L".~nt",
    L"bootlog.prv",
    L"chklist.dll",
    L"chklist.exe",
    L"chklist.com",
    L"chklist.bat",
    L"chklist.txt",
    L"chklist.doc",
    L"edb.chk",
    L"data.sav",
    L"data.bak",
    L"w95undo.ini",
    L"autoexec.bat",
    L".myd",
    L"config.sys",
    L"io.sys",
    L"control.ini",
    L".prn",
    L".met",
    L".slt",
    L".sbd",
    L"assemblyinfo",
    L"donotdel.",
    L"dhcp.tmp",
    L"jet.log",
    L".~nt",
    L".backup",
    L"bootlog.prv",
    L".dgb.bak",
    L"schedlog.txt",
    L"edb.chk",
    L"setup.chk",
    L"chklist.dll",
    L"chklist.exe",
    L"chklist.com",
    L"chklist.bat",
    L"chklist.txt",
    L"chklist.doc",
    L".myd",
    L"autoexec.bat",
    L"config.sys",
    L"io.sys",
    L"msdos.sys",
    L"control.ini",
    L".part",
    L".prn",
    L".met",
    L".slt",
    L".sbd",
    L"admin.pub",
    L"getright",
    L"cache.dat",
    L"cache.ind",
    L"chnicon.bmp",
    L"signatures.ini",
};
static_assert(std::size(kCriticalSystemFiles) == 146);

constexpr const wchar_t* kProtectedFolders[] = {
    L"\\syswow64\\",
    L"\\connection wizard",
    L"\\downloaded program files",
    L"\\driver cache",
    L"\\fonts",
    L"\\help",
    L"\\lastgood",
    L"\\pchealth",
    L"\\prefatch",
    L"\\registeredpackages",
    L"\\offline web pages",
    L"\\repair",
    L"\\security",
    L"\\program files\\common files",
    L"\\installshield installation information",
    L"\\config.msi",
    L"\\program files\\microsoft office",
    L"\\microsoft",
    L"\\system volume information",
    L"\\system32\\dllcache",
    L"program files\\common files",
    L"program files\\uninstall information",
    L"\\sendto",
    L"windows\\system32",
    L"winnt\\system32",
    L"\\i386",
    L"\\application data",
    L"\\quarantine",
    L"\\temporary internet files",
    L"ntuninstall",
    L"\\assembly",
    L"\\lastgood",
    L"\\microsoft.net",
    L"\\installshield installation information",
    L"\\servicepackfiles",
    L"\\system32\\config",
    L"\\system32\\driver",
    L"\\inetpub",
    L"windows\\inf",
    L"winnt\\inf",
    L"\\asp.net_",
    L"\\asp.net",
    L"\\asp.net",
    L".netframework",
    L"\\.net clr",
    L"\\windows\\help",
    L"\\winnt\\help",
    L"\\options\\install",
    L"\\msocache",
    L"chaos32",
    L"\\pchealth",
    L"\\microsoft\\address",
    L"\\backup",
    L"\\identities\\{",
    L"\\opera7\\profile",
    L"\\opera7\\mail",
    L"\\opera\\profile",
    L"\\opera\\mail",
    L"\\lastgood",
    L"\\winsxs",
};
static_assert(std::size(kProtectedFolders) == 60);

// Further folders of the two system roots, composed as "\root\sub\".
constexpr const wchar_t* kSystemRoots[] = {L"windows", L"winnt"};
constexpr const wchar_t* kSystemRootFolders[] = {L"system",
                                                 L"system32\\drivers",
                                                 L"system32\\spool",
                                                 L"system32\\wbem",
                                                 L"system32\\catroot",
                                                 L"system32\\catroot2",
                                                 L"servicing",
                                                 L"boot",
                                                 L"installer",
                                                 L"globalization",
                                                 L"ime",
                                                 L"resources",
                                                 L"cursors",
                                                 L"media",
                                                 L"policydefinitions",
                                                 L"schemas",
                                                 L"registration",
                                                 L"speech",
                                                 L"twain_32",
                                                 L"addins",
                                                 L"apppatch",
                                                 L"msagent",
                                                 L"tasks"};
static_assert(std::size(kSystemRoots) * std::size(kSystemRootFolders) == 46);

constexpr const wchar_t* kNeverDeletedExtensions[] = {
    L"exe", L"sys", L"dll", L"com", L"ocx", L"cpl", L"drv", L"tlb", L"vxd", L"cat", L"dot"};

constexpr const wchar_t* kRiskyExtensions[] = {
    L"acm", L"ade", L"adp", L"app", L"asa", L"asp", L"aspx", L"ax",  L"bas",      L"bat", L"bin",
    L"cer", L"chm", L"clb", L"cmd", L"cnt", L"cnv", L"com",  L"cpl", L"cpx",      L"crt", L"csh",
    L"dll", L"drv", L"dtd", L"exe", L"fxp", L"grp", L"h1s",  L"hlp", L"hta",      L"ime", L"inf",
    L"ins", L"isp", L"its", L"js",  L"jse", L"ksh", L"lnk",  L"mad", L"maf",      L"mag", L"mam",
    L"man", L"maq", L"mar", L"mas", L"mat", L"mau", L"mav",  L"maw", L"mda",      L"mdb", L"mde",
    L"mdt", L"mdw", L"mdz", L"msc", L"msi", L"msp", L"mst",  L"mui", L"nls",      L"ocx", L"ops",
    L"pal", L"pcd", L"pif", L"prf", L"prg", L"pst", L"reg",  L"scf", L"scr",      L"sct", L"shb",
    L"shs", L"sys", L"tlb", L"tsp", L"url", L"vb",  L"vbe",  L"vbs", L"vsmacros", L"vss", L"vst",
    L"vsw", L"ws",  L"wsc", L"wsf", L"wsh", L"xsd", L"xsl",
};
static_assert(std::size(kRiskyExtensions) == 95);

// The path's extension without its full stop, trimmed and lower-cased; empty when none.
CString ExtensionOf(const CString& path) {
    wchar_t extension[_MAX_EXT] = {};
    if (_wsplitpath_s(path, nullptr, 0, nullptr, 0, nullptr, 0, extension, _MAX_EXT) != 0)
        return CString();
    CString result(extension);
    if (!result.IsEmpty() && result[0] == L'.')
        result.SetAt(0, L' ');
    result.Trim();
    result.MakeLower();
    return result;
}

// The system's own list of protected files; a system without it protects nothing this way.
bool IsSystemProtected(const CString& path) {
    using SfcIsFileProtectedFn = BOOL(WINAPI*)(HANDLE, LPCWSTR);
    static const auto isProtected = [] {
        const HMODULE sfc = LoadLibraryW(L"sfc.dll");
        return sfc ? reinterpret_cast<SfcIsFileProtectedFn>(
                         reinterpret_cast<void*>(GetProcAddress(sfc, "SfcIsFileProtected")))
                   : nullptr;
    }();
    return isProtected && isProtected(nullptr, path);
}

// Folder names that people give their own folders as well: such an entry protects the folder
// only inside the system's own trees (below a component of kSystemTrees), so that "K:\backup"
// or "D:\Help" stay the user's while "C:\Windows\Fonts" is kept.
constexpr const wchar_t* kEverydayFolderNames[] = {
    L"backup", L"help",       L"fonts",    L"microsoft", L"security",
    L"repair", L"quarantine", L"assembly", L"sendto",
};
constexpr const wchar_t* kSystemTrees[] = {
    L"windows",     L"winnt",   L"program files",    L"program files (x86)",
    L"programdata", L"appdata", L"application data", L"local settings",
};

// How one part of an entry meets one path component.
enum class PartMatch { kWhole, kEnding, kBeginning };

bool Meets(std::wstring_view component, std::wstring_view part, PartMatch how) {
    switch (how) {
    case PartMatch::kEnding:
        return component.ends_with(part);
    case PartMatch::kBeginning:
        return component.starts_with(part);
    case PartMatch::kWhole:
        break;
    }
    return component == part;
}

template <size_t N> bool IsOneOf(std::wstring_view text, const wchar_t* const (&list)[N]) {
    return std::any_of(std::begin(list), std::end(list),
                       [&](const wchar_t* entry) { return text == entry; });
}

// "x." entries name the beginning of a name, ".x" entries its ending.
PartMatch MatchOfName(std::wstring_view name) {
    if (name.size() > 1 && name.front() == L'.')
        return PartMatch::kEnding;
    if (name.size() > 1 && name.back() == L'.')
        return PartMatch::kBeginning;
    return PartMatch::kWhole;
}

// The path's components, as views into it: every file of a walk is matched, so nothing is
// copied.
void SplitComponents(std::wstring_view path, std::vector<std::wstring_view>& components) {
    components.clear();
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == L'\\' || path[i] == L'/') {
            if (i > start)
                components.push_back(path.substr(start, i - start));
            start = i + 1;
        }
    }
}

// A protected system file: it protects an item of that name (the path's last component).
struct FileRule {
    std::wstring name;
    PartMatch match;
};

// A protected folder: its names as consecutive whole components anywhere in the path; the
// first may be the ending of a component (".netframework"), the last the beginning of one
// ("\asp.net_", "\identities\{").
struct FolderRule {
    std::vector<std::wstring> parts;
    PartMatch firstMatch = PartMatch::kWhole;
    PartMatch lastMatch = PartMatch::kWhole;
    bool onlyInSystemTrees = false;
};

// How a rule's first part meets a component: its last part's way when it is also the last.
PartMatch FirstPartMatch(const FolderRule& rule) {
    return rule.parts.size() == 1 && rule.lastMatch != PartMatch::kWhole ? rule.lastMatch
                                                                         : rule.firstMatch;
}

// The rules of the two lists, indexed by the names that must equal a path's component whole,
// so that the matching of each file of a walk looks at few of them.
struct ProtectedRules {
    std::vector<FileRule> files;
    std::vector<FolderRule> folders;
    std::unordered_set<std::wstring_view> wholeFileNames;
    std::vector<const FileRule*> partialFileNames;
    std::unordered_multimap<std::wstring_view, const FolderRule*> foldersByFirstName;
    std::vector<const FolderRule*> foldersOfAnyFirstName;
};

FolderRule FolderRuleOf(const CString& entry) {
    FolderRule rule;
    std::vector<std::wstring_view> parts;
    SplitComponents(std::wstring_view(entry.GetString(), static_cast<size_t>(entry.GetLength())),
                    parts);
    if (parts.empty())
        return rule;
    rule.parts.assign(parts.begin(), parts.end());
    const std::wstring_view first = parts.front();
    if (entry[0] != L'\\' && first.size() > 1 && first.front() == L'.')
        rule.firstMatch = PartMatch::kEnding;
    const wchar_t last = entry[entry.GetLength() - 1];
    if (last == L'.' || last == L'_' || last == L'{')
        rule.lastMatch = PartMatch::kBeginning;
    rule.onlyInSystemTrees = parts.size() == 1 && IsOneOf(first, kEverydayFolderNames);
    return rule;
}

// The rules of the two lists, lower-cased and trimmed as the list's entries are.
const ProtectedRules& Rules() {
    static const ProtectedRules rules = [] {
        ProtectedRules built;
        CStringArray files;
        AddCriticalSystemFiles(files);
        for (INT_PTR i = 0; i < files.GetSize(); ++i) {
            const CString& name = NormalizeListEntry(files[i]);
            const std::wstring text(name.GetString(), static_cast<size_t>(name.GetLength()));
            built.files.push_back({text, MatchOfName(text)});
        }
        CStringArray folders;
        AddProtectedFolders(folders);
        for (INT_PTR i = 0; i < folders.GetSize(); ++i) {
            FolderRule rule = FolderRuleOf(NormalizeListEntry(folders[i]));
            if (!rule.parts.empty())
                built.folders.push_back(std::move(rule));
        }
        // The indexes point into the lists, which do not change from here on.
        for (const FileRule& rule : built.files) {
            if (rule.match == PartMatch::kWhole)
                built.wholeFileNames.insert(rule.name);
            else
                built.partialFileNames.push_back(&rule);
        }
        for (const FolderRule& rule : built.folders) {
            if (FirstPartMatch(rule) == PartMatch::kWhole)
                built.foldersByFirstName.emplace(rule.parts.front(), &rule);
            else
                built.foldersOfAnyFirstName.push_back(&rule);
        }
        return built;
    }();
    return rules;
}

// True when the rule's names stand in the path from its component at on.
bool FolderRuleMeetsAt(const FolderRule& rule, const std::vector<std::wstring_view>& components,
                       size_t at, size_t systemTreeAt) {
    const size_t parts = rule.parts.size();
    if (at + parts > components.size())
        return false;
    if (rule.onlyInSystemTrees && (systemTreeAt == components.size() || at <= systemTreeAt))
        return false;
    for (size_t part = 0; part < parts; ++part) {
        PartMatch how = PartMatch::kWhole;
        if (part == parts - 1 && rule.lastMatch != PartMatch::kWhole)
            how = rule.lastMatch;
        else if (part == 0)
            how = rule.firstMatch;
        if (!Meets(components[at + part], rule.parts[part], how))
            return false;
    }
    return true;
}

bool ContainsProtectedText(const CString& lowerPath) {
    std::vector<std::wstring_view> components;
    SplitComponents(
        std::wstring_view(lowerPath.GetString(), static_cast<size_t>(lowerPath.GetLength())),
        components);
    if (components.empty())
        return false;
    const std::wstring_view name = components.back();
    const ProtectedRules& rules = Rules();
    if (rules.wholeFileNames.contains(name))
        return true;
    for (const FileRule* rule : rules.partialFileNames)
        if (Meets(name, rule->name, rule->match))
            return true;
    // The first component that opens one of the system's own trees; none: the size.
    size_t systemTreeAt = components.size();
    for (size_t i = 0; i < components.size() && systemTreeAt == components.size(); ++i)
        if (IsOneOf(components[i], kSystemTrees))
            systemTreeAt = i;
    for (size_t at = 0; at < components.size(); ++at) {
        const auto [first, last] = rules.foldersByFirstName.equal_range(components[at]);
        for (auto rule = first; rule != last; ++rule)
            if (FolderRuleMeetsAt(*rule->second, components, at, systemTreeAt))
                return true;
        for (const FolderRule* rule : rules.foldersOfAnyFirstName)
            if (FolderRuleMeetsAt(*rule, components, at, systemTreeAt))
                return true;
    }
    return false;
}

} // namespace

CStringArray& ProtectedItemList() {
    static CStringArray list;
    return list;
}

bool IsOutsideProtectedItems(CString path) {
    path.MakeLower();
    return !ContainsProtectedText(path);
}

bool IsAllowedFileType(const CString& path) {
    const CString extension = ExtensionOf(path);
    if (extension.IsEmpty())
        return true;
    if (IsOneOf(extension.GetString(), kNeverDeletedExtensions))
        return false;
    return !IsSystemProtected(path);
}

bool IsSafeToDelete(CString path) {
    path.MakeLower();
    return !ContainsProtectedText(path) && IsAllowedFileType(path);
}

bool IsRiskyExtension(const CString& path) {
    const CString extension = ExtensionOf(path);
    return !extension.IsEmpty() && IsOneOf(extension.GetString(), kRiskyExtensions);
}

void AddCriticalSystemFiles(CStringArray& list) {
    for (const wchar_t* entry : kCriticalSystemFiles)
        list.Add(entry);
}

void AddProtectedFolders(CStringArray& list) {
    for (const wchar_t* entry : kProtectedFolders)
        list.Add(entry);
    for (const wchar_t* root : kSystemRoots) {
        for (const wchar_t* sub : kSystemRootFolders) {
            CString folder;
            folder.Format(L"\\%s\\%s\\", root, sub);
            list.Add(NormalizeListEntry(folder));
        }
    }
}

void BuildProtectedItemList(CStringArray& list) {
    CStringArray entries;
    AddCriticalSystemFiles(entries);
    AddProtectedFolders(entries);
    for (INT_PTR i = 0; i < entries.GetSize(); ++i) {
        CString entry = entries[i];
        entry.MakeLower();
        entry.TrimLeft();
        entry.TrimRight();
        list.Add(entry);
    }
}

void DestroyProtectedItemList(CStringArray& list) {
    list.RemoveAll();
}

const CString& NormalizeListEntry(const wchar_t* text) {
    static CString entry;
    entry = text;
    entry.MakeLower();
    entry.Trim();
    return entry;
}
