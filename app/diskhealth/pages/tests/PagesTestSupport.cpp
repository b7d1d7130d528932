#include "PagesTestSupport.h"

#include <DiskPagesResource.h>
#include <IniReader.h>
#include <VantorixApp.h>
#include <owners/WinOwners.h>

#include <commctrl.h>

namespace {

void RecordMissing(const CString& message) {
    MissingTexts().emplace_back(message.GetString());
}

// The program's application object: its language file and current section.
class PagesEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        app_ = std::make_unique<CVantorixApp>(L"Xarn", L"Stellmark.ini");
        app_->SetLangSection(L"DiskDefrag");
        SetLangTextFailureReporter(&RecordMissing);
    }
    void TearDown() override {
        SetLangTextFailureReporter(nullptr);
        app_.reset();
    }

private:
    std::unique_ptr<CVantorixApp> app_;
};

const auto* const g_fonts = ::testing::AddGlobalTestEnvironment(new SharedFontsEnvironment);
const auto* const g_pages = ::testing::AddGlobalTestEnvironment(new PagesEnvironment);

const char kHealthyDisk[] = R"(geometry 512 63 16 2000
model WDC WD10EZEX-08WN4A0
serial WD-WCC6Y3KJ1234
firmware 01.01A01
word 21 16384
word 49 0x0200
word 100 0xC300
word 101 0x001E
word 63 0x0407
word 64 0x0003
word 80 0x00F0
word 82 0x746B
word 83 0x7F69
word 84 0x6163
word 85 0x7469
word 86 0xBC49
word 87 0x6163
word 88 0x207F
attribute 1 0x002F 200 200 51 000000000000
attribute 3 0x0027 175 172 21 0000000010E0
attribute 5 0x0033 200 200 140 000000000000
attribute 9 0x0032 91 91 0 00000000198A
attribute 12 0x0032 100 100 0 0000000002A3
attribute 194 0x0022 112 103 0 00000000001F
attribute 197 0x0032 200 200 0 000000000000
attribute 199 0x0032 200 200 0 000000000000
partition 1 7 1 1048576 524288000
partition 2 7 0 525336576 300000000
partition 3 11 0 825336576 100000000
volume 1 C:\ System NTFS 524288000 200000000
volume 2 D:\ Data NTFS 300000000 250000000
)";

const char kNoSmartDisk[] = R"(geometry 512 63 255 500
smart no
vendor ATA
product ST3500418AS
revision CC38
)";

const char kUsbStick[] = R"(geometry 512 63 255 30
bus usb
vendor SanDisk
product Cruzer Blade
revision 1.00
partition 1 12 0 16384 246000000
volume 1 E:\ STICK FAT32 246000000 100000000
)";

const char kFailingDisk[] = R"(geometry 512 63 255 1000
model ST2000DM001-1CH164
serial Z1E4ABCD
firmware CC27
word 82 0x0001
word 85 0x0001
attribute 1 0x000F 95 90 6 0000012A4F10
attribute 5 0x0033 36 36 36 000000000F50
attribute 197 0x0012 100 100 0 000000000008
fault read
)";

} // namespace

std::vector<std::wstring>& MissingTexts() {
    static std::vector<std::wstring> missing;
    return missing;
}

SimulatedDisks::SimulatedDisks() {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    backingFile = std::wstring(folder) + L"xarn_disk_pages.img";
    // One MiB of a pattern; the rest of the disk reads as zeros.
    KernelHandle file(CreateFileW(backingFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) {
        std::vector<char> data(1 << 20);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = static_cast<char>(i * 7);
        DWORD written = 0;
        EXPECT_TRUE(
            WriteFile(file.Get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr));
        EXPECT_TRUE(file.Close());
    }
    std::string backing(backingFile.begin(), backingFile.end());
    AddDisk(api, 0, std::string(kHealthyDisk) + "backing " + backing + "\n");
    AddDisk(api, 1, kNoSmartDisk);
    AddDisk(api, 2, kUsbStick);
    AddDisk(api, 3, kFailingDisk);
    Read();
    auto drive = [this](LPCWSTR name, LPCWSTR root, ULONGLONG total, ULONGLONG free) {
        drives.push_back(std::make_unique<CDrive>(name, L"NTFS", root));
        drives.back()->SetSizes(total, free);
    };
    drive(L"System (C:)", L"C:\\", 524288000, 200000000);
    drive(L"Data (D:)", L"D:\\", 300000000000ull, 250000000000ull);
    drive(L"Backup (F:)", L"F:\\", 2000000000000ull, 1234567890123ull);
    state.tables = tables.get();
    state.benchmark = &benchmark;
    state.api = &api;
    state.drives = &drives;
    SetDiskToolsState(&state);
    MissingTexts().clear();
}

SimulatedDisks::~SimulatedDisks() {
    SetDiskToolsState(nullptr);
    EXPECT_TRUE(MissingTexts().empty())
        << "missing text: "
        << testing::PrintToString(MissingTexts().empty() ? std::wstring() : MissingTexts().front());
    DeleteFileW(backingFile.c_str());
}

void SimulatedDisks::Add(uint32_t number, const std::string& description) {
    AddDisk(api, number, description);
    Read();
}

void SimulatedDisks::Read() {
    tables->selectedDrive = -1;
    EnumerateVolumes(api, tables->volumes);
    ASSERT_EQ(ReadPhysicalDrivesInfo(api, tables->drives, tables->volumes), 1);
}

std::wstring ListText(HWND list, int row, int column) {
    wchar_t text[512] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 512;
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

int ListRows(HWND list) {
    return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

std::wstring WindowText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

void ChooseComboItem(CWnd* page, int comboId, int item) {
    const HWND combo = ::GetDlgItem(page->m_hWnd, comboId);
    SendMessageW(combo, CB_SETCURSEL, item, 0);
    SendMessageW(page->m_hWnd, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    PumpFor(100);
}

void Photograph(CWnd* window, LPCWSTR name) {
    window->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpFor(300);
    CRect rect;
    window->GetWindowRect(&rect);
    EXPECT_TRUE(SaveScreenPng(rect, BesideProgram(name).c_str())) << name;
}

bool PumpUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (!condition()) {
        if (GetTickCount64() > end)
            return false;
        PumpFor(20);
    }
    return true;
}
