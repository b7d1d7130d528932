#include "SmartAttributeNames.h"

namespace {

struct NamedAttribute {
    int id;
    const wchar_t* name;
};

constexpr NamedAttribute kNamedAttributes[] = {
    {0x01, L"Raw Read Error Rate"},
    {0x02, L"Throughput Performance"},
    {0x03, L"Spin Up Time"},
    {0x04, L"Start/Stop Count"},
    {0x05, L"Reallocated Sector Count"},
    {0x06, L"Read Channel Margin"},
    {0x07, L"Seek Error Rate"},
    {0x08, L"Seek Time Performance"},
    {0x09, L"Power On Hours Count"},
    {0x0A, L"Spin Retry Count"},
    {0x0B, L"Calibration Retry Count"},
    {0x0C, L"Power Cycle Count"},
    {0x0D, L"Soft Read Error Rate"},
    {0xBE, L"Airflow Temperature"},
    {0xC1, L"Load/Unload Cycle Count"},
    {0xC2, L"Temperature"},
    {0xC3, L"Hardware ECC Recovered"},
    {0xC4, L"Reallocation Events Count"},
    {0xC5, L"Current Pending Sector Count"},
    {0xC6, L"Uncorrectable Sector Count"},
    {0xC7, L"UltraDMA CRC Error Count"},
    {0xC8, L"Write Error Rate"},
    {0xC9, L"TA Counter Detected"},
    {0xCA, L"TA Counter Increased"},
    {0xDC, L"Disk Shift"},
    {0xDD, L"G-Sence Error Rate"},
    {0xDE, L"Loaded Hours"},
    {0xDF, L"Load/Unload Retry Count"},
    {0xE0, L"Load Friction"},
    {0xE1, L"Load/Unload Cycle Count"},
    {0xE2, L"Load-in Time"},
    {0xE3, L"Torque Amplification Count"},
    {0xE4, L"Power-off Retract Count"},
    {0xE6, L"GMR Head Amplitude"},
};

} // namespace

CString SmartAttributeName(int id) {
    if (id == 0)
        return L"(No Attribute Here)";
    const wchar_t* name = L"Unknown attribute";
    for (const NamedAttribute& attribute : kNamedAttributes)
        if (attribute.id == id)
            name = attribute.name;
    CString text;
    text.Format(L"(%02X) %s", id & 0xFF, name);
    return text;
}
