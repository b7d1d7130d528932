#include "AtaIdentify.h"

#include "DiskTexts.h"

#include <classlib/String.h>

#include <cstring>
#include <initializer_list>

namespace {

constexpr size_t kSmartEntries = 30;
constexpr size_t kSmartEntrySize = 12;

bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Digits of the set bits 0 to 7 joined by ", ", and the highest set bit of 8 to 15 less 8.
void DecodeDmaWord(uint16_t word, wchar_t (&supported)[128], wchar_t (&active)[128]) {
    CString list;
    for (int bit = 0; bit < 8; ++bit) {
        if (!(word & (1u << bit)))
            continue;
        if (!list.IsEmpty())
            list += L", ";
        list.AppendFormat(L"%d", bit);
    }
    if (!list.IsEmpty())
        SetField(supported, list);
    for (int bit = 15; bit >= 8; --bit) {
        if (word & (1u << bit)) {
            CString mode;
            mode.Format(L"%d", bit - 8);
            SetField(active, mode);
            break;
        }
    }
}

template <size_t N> void DecodeAtaString(const BYTE* field, size_t bytes, wchar_t (&text)[N]) {
    char swapped[64] = {};
    for (size_t i = 0; i + 1 < bytes && i + 1 < sizeof(swapped); i += 2) {
        swapped[i] = static_cast<char>(field[i + 1]);
        swapped[i + 1] = static_cast<char>(field[i]);
    }
    size_t end = strnlen(swapped, bytes);
    while (end > 0 && IsBlank(swapped[end - 1]))
        --end;
    size_t begin = 0;
    while (begin < end && IsBlank(swapped[begin]))
        ++begin;
    size_t out = 0;
    for (size_t i = begin; i < end && out + 1 < N; ++i)
        text[out++] = static_cast<wchar_t>(static_cast<unsigned char>(swapped[i]));
    text[out] = L'\0';
}

} // namespace

void IdentifyWords(const BYTE* identify, uint16_t (&words)[256]) {
    for (int i = 0; i < 256; ++i)
        words[i] = static_cast<uint16_t>(identify[i * 2] | (identify[i * 2 + 1] << 8));
}

void DecodeIdentityStrings(const BYTE* identify, PhysicalDriveInfo& drive) {
    DecodeAtaString(identify + 27 * 2, 40, drive.model);
    DecodeAtaString(identify + 10 * 2, 20, drive.serialNumber);
    DecodeAtaString(identify + 23 * 2, 8, drive.firmwareRevision);
}

void SetDefaultModeTexts(PhysicalDriveInfo& drive) {
    SetField(drive.ataStandardText, L"N/A");
    for (wchar_t(*text)[128] :
         {&drive.pioModesSupported, &drive.pioModeActive, &drive.multiwordDmaModesSupported,
          &drive.multiwordDmaModeActive, &drive.ultraDmaModesSupported, &drive.ultraDmaModeActive})
        SetField(*text, L"-");
}

void DecodeModeTexts(const uint16_t (&words)[256], DWORD capabilities, PhysicalDriveInfo& drive) {
    unsigned version = 0;
    for (int bit = 15; bit >= 1; --bit) {
        if (words[80] & (1u << bit)) {
            version = static_cast<unsigned>(bit);
            break;
        }
    }
    const bool ata = capabilities & CAP_ATA_ID_CMD;
    const bool atapi = capabilities & CAP_ATAPI_ID_CMD;
    CString standard;
    standard.Format(L"%s%s%s-%u", ata ? L"ATA" : L"", ata && atapi ? L"/" : L"",
                    atapi ? L"ATAPI" : L"", version == 0 ? 1u : version);
    if (standard == L"ATA/ATAPI-7")
        standard += L" or SATA I";
    SetField(drive.ataStandardText, standard);

    DecodeDmaWord(words[88], drive.ultraDmaModesSupported, drive.ultraDmaModeActive);
    DecodeDmaWord(words[63], drive.multiwordDmaModesSupported, drive.multiwordDmaModeActive);
    if (words[64] & 1)
        SetField(drive.pioModesSupported, words[64] & 2 ? L"0, 1, 2, 3, 4" : L"0, 1, 2, 3");
}

void ParseSmartAttributes(const BYTE* values, const BYTE* thresholds,
                          SmartAttributeText (&slots)[kSmartAttributeSlots]) {
    for (size_t k = 0; k < kSmartEntries; ++k) {
        const BYTE* entry = values + 2 + k * kSmartEntrySize;
        const uint8_t id = entry[0];
        if (id == 0) {
            slots[0].id = -1;
            continue;
        }
        SmartAttributeText& slot = slots[id];
        // An id seen twice ends the list.
        if (slot.id == id)
            break;
        slot.id = id;
        const unsigned current = entry[3];
        const unsigned threshold = thresholds[2 + k * kSmartEntrySize + 1];
        CString text;
        text.Format(L"%u", current);
        SetField(slot.current, text);
        text.Format(L"%u", static_cast<unsigned>(entry[4]));
        SetField(slot.worst, text);
        text.Format(L"%u", threshold);
        SetField(slot.threshold, text);
        text.Format(L"%04X", static_cast<unsigned>(entry[1] | (entry[2] << 8)));
        SetField(slot.flags, text);
        text.Empty();
        for (int i = 5; i <= 10; ++i)
            text.AppendFormat(L"%02X", static_cast<unsigned>(entry[i]));
        SetField(slot.rawData, text);
        SetField(slot.status, threshold < current ? L"OK" : L"BAD");
    }
}
