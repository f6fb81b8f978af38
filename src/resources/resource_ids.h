// Resource ids of the filter module. Read by both the C++ code and the resource
// compiler, so only plain #defines live here.
#pragma once

// Plug-in property list, found by hosts through its type.
#define IDR_ULVO_PIPL 16000

// Window title string of the editor frame.
#define IDS_ULVO_TITLE 101

// About box: dialog, picture and the two library credit lines.
#define IDD_ULVO_ABOUT 133
#define IDB_ULVO_ABOUT 143
#define IDC_ULVO_ABOUT_PICTURE 1000
#define IDC_ULVO_ABOUT_CREDIT1 1001
#define IDC_ULVO_ABOUT_CREDIT2 1002

// "Distance data transferred" message after a depth donor run.
#define IDD_ULVO_DEPTH_TRANSFERRED 142
#define IDC_ULVO_DEPTH_TEXT 1003
