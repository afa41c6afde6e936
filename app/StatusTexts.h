// The texts the progress page's heading (Label11) and status line (lbInfo) show while the
// installation runs and while a cancelled one is rolled back. OS-independent.
#pragma once

namespace velmora::app {

inline constexpr const char* kStatusUnpacking = "正在解压缩...";
inline constexpr const char* kStatusDecompressing = "正在解压缩安装文件...";
inline constexpr const char* kStatusCopying = "正在复制文件...";
// Followed by the entry's file name and " ...".
inline constexpr const char* kStatusCopyingFile = "正在复制文件：";
inline constexpr const char* kStatusCopyingFileEnd = " ...";
inline constexpr const char* kStatusRegisteringDlls = "正在注册DLL...";
inline constexpr const char* kStatusUpdatingRegistry = "正在更新注册表...";
inline constexpr const char* kStatusUninstallInfo = "正在注册卸载信息...";
inline constexpr const char* kStatusDone = "文件安装成功";
// Label11 and lbInfo during the rollback.
inline constexpr const char* kRollingBack = "正在回滚安装";
inline constexpr const char* kDeletingFiles = "正在删除已安装的文件...";

}  // namespace velmora::app
