#pragma once
// Numbers of the application shell's dialogs, controls, strings and icon.

namespace kestrel::ids {

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDS_ABOUTBOX = 101; // "&About Kestrel..."
inline constexpr int IDD_KESTREL_DIALOG = 102;
inline constexpr int IDS_INPUT_ERROR = 122;
inline constexpr int IDS_ABORT_CHANGES = 123;
inline constexpr int IDS_ALERT = 129;
inline constexpr int IDS_SAVE_CURRENT_CHANGES = 150;
inline constexpr int IDD_LOG = 138;
inline constexpr int IDS_CREATE_FAILED = 151;
inline constexpr int IDS_DUPLICATE_REFERENCE = 153;
inline constexpr int IDR_MAINFRAME = 128;

inline constexpr int IDC_SHEET_FRAME = 1003;
inline constexpr int IDC_SAVE_AND_QUIT = 1055;
inline constexpr int IDC_QUIT_WITHOUT_SAVING = 1056;
inline constexpr int IDC_LOG_TEXT = 1065;

// Window-menu commands.
inline constexpr int IDM_ABOUTBOX = 0x10;
inline constexpr int IDM_LOGWINDOW = 0x20;

} // namespace kestrel::ids
