// The names by which the install helper knows the product: it links against no other part of
// the product, so the service, programs, tasks and autostart values are fixed here.
#pragma once

#include <array>

inline constexpr wchar_t kServiceName[] = L"XarnStellmark";

// The RPC interface identifier of the service, used as the name of a mutex that tells a
// running service program apart from a stopped one.
inline constexpr char kServiceProbeMutexName[] = "{167622C3-7B07-4895-ADBB-434604E59DFC}";

// The tasks the scheduler pages create, and the product-named task of older installations.
inline constexpr std::array<const wchar_t*, 3> kScheduledTaskNames = {
    L"Xarn-Optimize", L"Xarn-Clean", L"Halvenor - Stellmark"};

// Executables of the product's programs; compared ignoring case.
inline constexpr std::array<const wchar_t*, 4> kProductExecutableNames = {
    L"Xarn.exe", L"XarnDefragSrv.exe", L"XarnDefragSrv64.exe", L"Stellmark.exe"};

inline constexpr wchar_t kRunKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Autostart values named after the product's programs; "XarnStellmark" is the one the service
// program registers on the consumer Windows family.
inline constexpr std::array<const wchar_t*, 3> kRunValueNames = {L"XarnStellmark", L"Xarn",
                                                                 L"Stellmark"};

// The installer passes this word (in any letter case, with any prefix) to stop the service and
// the programs without removing the tasks and autostart values.
inline constexpr wchar_t kStopOnlySwitchWord[] = L"STOPONLY";
