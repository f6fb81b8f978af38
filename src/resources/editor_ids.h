// Resource and command ids of the editor window. Read by both the C++ code and
// the resource compiler, so only plain #defines live here.
#pragma once

// Frame template: menu, title string.
#define IDR_ULVO_MAINFRAME 101

// Dialogs shown by the editor (their templates live with the module's resources).
#define IDD_ULVO_ABOUT 133
#define IDD_ULVO_DEPTH_TRANSFERRED 142

// Strings.
#define IDS_ULVO_PROGRESS_CAPTION 105
#define IDS_ULVO_CONFIRM_DISCARD 32783
#define IDS_ULVO_CONFIRM_ABORT 57666

// Commands of the main menu and toolbar.
#define ID_ULVO_LOAD_PATTERN 32771
#define ID_ULVO_RUN_FILTER 32772
#define ID_ULVO_PREFERENCES 32790
#define ID_ULVO_HELP_HTML 32791
#define ID_ULVO_HELP_WEB 32792
#define ID_ULVO_ZOOM_IN 32797
#define ID_ULVO_ZOOM_OUT 32798
#define ID_ULVO_ZOOM_ACTUAL 32799
#define ID_ULVO_CANCEL 40003
#define ID_ULVO_CANCEL_TOOLBAR 40012
#define ID_ULVO_CLEAR_PREVIEW 57643
#define ID_ULVO_ABOUT 57664
#define ID_ULVO_FINISH 57665
#define ID_ULVO_VIEW_TOOLBAR 59392
#define ID_ULVO_VIEW_STATUS_BAR 59393
