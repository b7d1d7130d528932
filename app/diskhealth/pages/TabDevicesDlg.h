// CTabDevicesDlg: the devices tab: the storage-related Plug and Play devices (or only the USB
// ones) and the registry properties of the device selected.
#pragma once

#include "DiskToolsPage.h"

#include <StorageDevice.h>

#include <vector>

class CTabDevicesDlg : public CDiskToolsPage {
    DECLARE_MESSAGE_MAP()
public:
    explicit CTabDevicesDlg(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    // Lists the devices again (all storage-related ones, or USB only).
    void EnumerateStorageDevices(bool usbOnly);
    void ShowDeviceProperties(const DeviceProperties& properties);

    CListCtrl m_deviceList;
    CListCtrl m_propertyList;
    CButton m_usbOnly;
    CHoverButtonWithText m_refreshButton;
    // The listed devices; a row's data is its index here.
    std::vector<StorageDevice> m_devices;

protected:
    void Layout(int cx, int cy) override;
    void OnRefresh();
    void OnDeviceItemChanged(NMHDR* header, LRESULT* result);
};
