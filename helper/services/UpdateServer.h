// Where the maker's update server is: a deployment setting, the product-wide registry value
// "UpdateServer" (a host, optionally with ":port"), else the maker's own host.
#pragma once

#include <classlib/String.h>

CString GetUpdateServerAddress();
// A plain HTTP URL on the update server: "http://", the address, "/", then `path`.
CString MakeUpdateServerUrl(LPCWSTR path);
