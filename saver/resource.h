// Resource numbers of Somnel.rc, shared with the code.
#pragma once

// The settings dialog.
#define IDD_SETTINGS 1000
#define IDC_PICTURE 100
#define IDC_MUTE 101
#define IDC_SOUNDGROUP 102
#define IDC_ALWAYS 103
#define IDC_ONCE 104
#define IDC_NEVER 105

// The notice shown while a command opened from the saver runs.
#define IDD_CLOSENOTICE 1001
#define IDC_NOTICETEXT 101

// The built-in picture, shown where a package carries no picture of its own.
#define IDB_PICTURE 1002
