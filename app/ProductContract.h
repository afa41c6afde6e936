// What the setup relies on about the product it installs: names of its files, its registry keys,
// the uninstaller's reply and the windows that tell it is running. OS-independent.
#pragma once

#include <cstdint>

namespace velmora::app {

inline constexpr const char* kProductName = "Velmora";
inline constexpr const char* kPublisher = "Pallmere";
// The maker's web address, a value of the product build.
#ifndef VELMORA_MAKER_URL
#define VELMORA_MAKER_URL "http://www.pallmere.example/"
#endif
inline constexpr const char* kMakerUrl = VELMORA_MAKER_URL;
inline constexpr const char* kApplicationTitle = "Velmora安装向导";

// Files in the installation folder.
inline constexpr const char* kProductExe = "DeskClient.exe";
inline constexpr const char* kUninstallerExe = "Remover.exe";
inline constexpr const char* kUpdaterExe = "LiveUpdater.exe";
inline constexpr const char* kRuntimeDll = "midas.dll";
inline constexpr const char* kRegisterPaymentBatch = "regpaydll.bat";
inline constexpr const char* kRegisterModulesBatch = "regmods.bat";
inline constexpr const char* kStationIni = "Station.ini";
inline constexpr const char* kStationSection = "UserData";
inline constexpr const char* kStationKey = "path";

// Registry: the uninstall key under HKEY_LOCAL_MACHINE, the application key under HKEY_CURRENT_USER.
inline constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora";
inline constexpr const char* kUninstallStringValue = "UninstallString";
inline constexpr const char* kAppKey = "Software\\Velmora";
inline constexpr const char* kAppPathValue = "AppPath";

// The uninstaller is started with the wizard window's handle in decimal and answers, when done,
// with this message and WParam.
inline constexpr uint32_t kUninstallerDoneMessage = 0x55E;  // WM_USER + 350
inline constexpr uintptr_t kUninstallerDoneParam = 100021;

// A top-level window of the running product: its title contains `titlePart`, its class is
// `className`, and its process executable is the product's (compared case-insensitively).
struct TRunningProductRule {
  const char* titlePart;
  const char* className;
};
inline constexpr TRunningProductRule kRunningProductRules[] = {
    {"Velmora", "TDeskMainForm"},
    {"登录", "TDeskLoginForm"},
    {"DeskWelcome", "TDeskWelcomeForm"},
};
inline constexpr const char* kRunningProductImage = "deskclient.exe";

}  // namespace velmora::app
