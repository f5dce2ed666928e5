#pragma once
// Command numbers of the main window: menu items, toolbar buttons and the accelerator.

namespace lumo::cmd {

inline constexpr int kProperties = 201, kRemove = 203, kCheck = 204, kChangeType = 205, kChangeId = 206;
inline constexpr int kDownload = 207, kRestartTcp = 208, kInitialise = 210, kUpload = 211, kMemoryDump = 213;
inline constexpr int kResetMaster = 214, kResetApplication = 215, kTest = 216;
inline constexpr int kUsbDriverCleanup = 40002, kSerialDecode = 40003;
inline constexpr int kAddLine = 251, kAddModule = 252, kUsbSearch = 253, kSettings = 254, kBackup = 255;
inline constexpr int kExit = 256, kTcpSearch = 257;
inline constexpr int kShowAll = 301, kShowActive = 302, kToggleToolbar = 303;
inline constexpr int kWhatsNew = 401, kAbout = 410;
inline constexpr int kDateTime = 601, kCounters = 602, kConsole = 610, kReadToFile = 611, kFileTransfer = 612;
// Toolbar buttons.
inline constexpr int kToolAddModule = 2001, kToolRemove = 2002, kToolProperties = 2003, kToolCheck = 2004;
inline constexpr int kToolSwitch = 2005, kToolStopJob = 2006, kToolRefresh = 2007, kToolAddLine = 2008;

}  // namespace lumo::cmd
