// "LastScanDate" under the application's key, subkey "LastScanStatusDI": the local date and
// time a disk check was last scheduled, as the user's locale writes it.
#pragma once

#include "BootCheck.h"

#include <classlib/String.h>

class CRegistryLastScanDate final : public CLastScanDateWriter {
public:
    // By default HKEY_CURRENT_USER, the application's registry key + "\LastScanStatusDI".
    CRegistryLastScanDate();
    CRegistryLastScanDate(HKEY root, const CString& path) : root_(root), path_(path) {}
    [[nodiscard]] bool Write() override;

private:
    HKEY root_;
    CString path_;
};
