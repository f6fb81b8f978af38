// Resource and command ids of the editor window. Read by both the C++ code and
// the resource compiler, so only plain #defines live here.
#pragma once

// Frame template: menu, title string.
#define IDR_ULVO_MAINFRAME 101
// The view's right-click menu (its first submenu).
#define IDR_ULVO_POPUP 147
#define IDC_ULVO_FOCUS_CURSOR 141
// The aperture pattern window: dialog and background bitmap.
#define IDD_ULVO_PATTERN_WINDOW 150

// Dialogs shown by the editor (their templates live with the module's resources).
#define IDD_ULVO_ABOUT 133
#define IDD_ULVO_DEPTH_TRANSFERRED 142

// Strings.
#define IDD_ULVO_PROGRESS 106
#define IDC_ULVO_PROGRESS_BAR 1003
#define IDC_ULVO_PROGRESS_LABEL 1004
#define IDS_ULVO_PROGRESS_CAPTION 105
#define IDS_ULVO_CONFIRM_DISCARD 32783
#define IDS_ULVO_CONFIRM_ABORT 57666
// The framework's validation messages of dialog fields.
#define IDS_ULVO_PARSE_INT 61712
#define IDS_ULVO_PARSE_INT_RANGE 61715
// Texts of the editor's own beyond the framework's:
// the depth hand-off's messages and captions, the status bar's notices of a
// run without depth, the entries of the language list.
#define IDS_ULVO_DEPTH_CAPTION 2002
#define IDS_ULVO_DEPTH_ELSEWHERE 2003
#define IDS_ULVO_DEPTH_NOT_SAVED 2004
#define IDS_ULVO_NOTICE_NO_DEPTH 2010
#define IDS_ULVO_NOTICE_MISSING 2011
#define IDS_ULVO_NOTICE_OTHER_SIZE 2012
#define IDS_ULVO_NOTICE_OTHER_RUN 2013
#define IDS_ULVO_NOTICE_CHANGED 2014
#define IDS_ULVO_NOTICE_DAMAGED 2015
#define IDS_ULVO_LANGUAGE_AUTOMATIC 2020
#define IDS_ULVO_LANGUAGE_JAPANESE 2021
#define IDS_ULVO_LANGUAGE_ENGLISH 2022
#define IDS_ULVO_LANGUAGE_CHANGED 2023

// The settings dialog, and its list of the editor's languages.
#define IDD_ULVO_SETTINGS 135
#define IDC_ULVO_LANGUAGE 1027
// Dialog texts and frames that nothing addresses.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Commands of the main menu and toolbar.
#define ID_ULVO_LOAD_PATTERN 32771
#define ID_ULVO_RUN_FILTER 32772
#define ID_ULVO_PREFERENCES 32790
#define ID_ULVO_POPUP_SETTINGS 32802
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

// Toolbar resource 101 (with bitmap 101): its buttons. The two label buttons
// have no command; three places are taken by the tone controls.
#define ID_ULVO_TB_LOAD_PATTERN 32778
#define ID_ULVO_TB_HARDNESS_LABEL 32787
#define ID_ULVO_TB_HARDNESS_PLACE 32777
#define ID_ULVO_TB_BRIGHTNESS_LABEL 32788
#define ID_ULVO_TB_BRIGHTNESS_PLACE 32776
#define ID_ULVO_TB_RESTORE 32780
#define ID_ULVO_TB_ZOOM_OUT 32794
#define ID_ULVO_TB_ZOOM_ACTUAL 32796
#define ID_ULVO_TB_ZOOM_IN 32793
#define ID_ULVO_TB_SETTINGS 32781
#define ID_ULVO_TB_PATTERN_WINDOW 32789
#define ID_ULVO_TB_RUN 32779
#define ID_ULVO_TB_FOCUS_PICK 40013
#define ID_ULVO_TB_FOCUS_PLACE 40014

// Right-click menu commands of the zoom.
#define ID_ULVO_SHOW_PATTERN 32775
#define ID_ULVO_RELOAD_IMAGE 32773
#define ID_ULVO_POPUP_LOAD_PATTERN 32800
#define ID_ULVO_POPUP_SHOW_PATTERN 32806
#define ID_ULVO_POPUP_RUN 32816
#define ID_ULVO_POPUP_RESTORE 32803
#define ID_ULVO_POPUP_HELP 32811
#define ID_ULVO_POPUP_BACK 32813
#define ID_ULVO_POPUP_ZOOM_OUT 32807
#define ID_ULVO_POPUP_ZOOM_ACTUAL 32808
#define ID_ULVO_POPUP_ZOOM_IN 32809

// The tone controls in the toolbar and the frame's bars.
#define IDC_ULVO_HARDNESS 1005
#define IDC_ULVO_BRIGHTNESS 1004
#define IDC_ULVO_FOCUS 1020
#define ID_ULVO_INDICATOR_PATTERN 40005
#define ID_ULVO_TOOLBAR 0xE800
#define ID_ULVO_STATUS_BAR 0xE801
