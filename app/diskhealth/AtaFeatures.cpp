#include "AtaFeatures.h"

namespace {

constexpr uint16_t Bit(int n) {
    return static_cast<uint16_t>(1u << n);
}

// Supported flags take slots 0 to 28; the enabled flags of the rows that have one follow.
int EnabledSlot(int row) {
    int slot = kAtaFeatureRows;
    for (int r = 0; r < row; ++r)
        if (kAtaFeatureRowTable[r].enabledWord >= 0)
            ++slot;
    return slot;
}

} // namespace

const AtaFeatureRow kAtaFeatureRowTable[kAtaFeatureRows] = {
    {L"S.M.A.R.T.", 82, Bit(0), 85, Bit(0)},
    {L"S.M.A.R.T. Self Test", 84, Bit(1), 87, Bit(1)},
    {L"S.M.A.R.T. Error Log", 84, Bit(0), 87, Bit(0)},
    {L"48-Bit Addressing", 83, Bit(10), 86, Bit(10)},
    {L"Read Look-Ahead", 82, Bit(6), 85, Bit(6)},
    {L"Write Cache", 82, Bit(5), 85, Bit(5)},
    {L"Host Protected Area", 82, Bit(10), 85, Bit(10)},
    {L"Device Configuration Overlay", 83, Bit(11), -1, 0},
    {L"Download Microcode", 83, Bit(0), 86, Bit(0)},
    {L"Streaming", 84, Bit(4), 87, Bit(4)},
    {L"Automatic Acoustic Management", 83, Bit(9), 86, Bit(9)},
    {L"Security Mode", 82, Bit(1), 85, Bit(1)},
    {L"Power Management", 82, Bit(3), 85, Bit(3)},
    {L"Advanced Power Management", 83, Bit(3), 86, Bit(3)},
    {L"Interface Power Management", 78, Bit(3), 79, Bit(3)},
    {L"Power-up In Standby", 83, Bit(5), 86, Bit(5)},
    {L"Forced Unit Access for TCQ", 84, Bit(6) | Bit(7), 86, Bit(6) | Bit(7)},
    {L"Read/Write DMA Queued Commands", 83, Bit(1), 86, Bit(1)},
    {L"Async Notification", 78, Bit(5), 79, Bit(5)},
    {L"Software Settings Preservation", 78, Bit(6), 79, Bit(6)},
    {L"Non-zero Buffer Offsets in DMA Setup FIS", 78, Bit(1) | Bit(4), 79, Bit(1) | Bit(4)},
    {L"Native Command Queuing", 76, Bit(8), -1, 0},
    {L"Removable Media", 82, Bit(2), 85, Bit(2)},
    {L"Removable Media Status Notification", 83, Bit(4), 86, Bit(4)},
    {L"NV Cache", 214, Bit(5), 214, Bit(4)},
    {L"NV Cache Power Management", 214, Bit(0), 214, Bit(1)},
    {L"Write Uncorrectable", 119, Bit(2), -1, 0},
    {L"Trusted Computing", 48, Bit(0), -1, 0},
    {L"CompactFlash Association", 83, Bit(2), 86, Bit(2)},
};

static_assert(kAtaFeatureRows + 25 == kAtaFeatureFlags);

void DecodeAtaFeatures(const uint16_t (&words)[256], PhysicalDriveInfo& drive) {
    for (int row = 0; row < kAtaFeatureRows; ++row) {
        const AtaFeatureRow& r = kAtaFeatureRowTable[row];
        const bool supported = (words[r.supportedWord] & r.supportedBits) != 0;
        drive.featureFlags[row] = supported;
        if (r.enabledWord >= 0)
            drive.featureFlags[EnabledSlot(row)] =
                supported && (words[r.enabledWord] & r.enabledBits) != 0;
    }
}

bool IsFeatureSupported(const PhysicalDriveInfo& drive, int row) {
    return drive.featureFlags[row] != 0;
}

int FeatureEnabledState(const PhysicalDriveInfo& drive, int row) {
    if (kAtaFeatureRowTable[row].enabledWord < 0)
        return -1;
    return drive.featureFlags[EnabledSlot(row)] != 0;
}
