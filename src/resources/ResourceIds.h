// Resource and control ids, shared by the resource script and the code. Plain #defines, because
// the resource compiler reads this file too. A group of control ids whose comment ends with a
// template's number, as "(214)", are the controls the code finds in that template; the resources
// test reads these groups and checks that each template holds its own.
#pragma once

// Icon, bitmaps and menu
#define IDI_QUILLMOOR 128
#define IDB_TREE_IMAGES 201   // 16 px: closed folder, open folder, drive
#define IDB_TREE_STATES 202   // 13 px: (none), empty box, grey tick, black tick
#define IDB_BANNER 207        // 750 x 100
#define IDB_SIDE_RESULTS 241  // 150 x 210 side pictures of the pages
#define IDB_SIDE_WELCOME 242
#define IDB_SIDE_FOLDERS 243
#define IDB_SIDE_PATTERNS 244
#define IDB_SIDE_OPTIONS 245
#define IDB_SIDE_SCANNING 246
#define IDB_SIDE_REPORT 247
#define IDB_SIDE_CLEANING 248
#define IDR_MAINMENU 222

// The same pictures for screens at 150 % and 200 %: each is its 100 % picture's id plus
// QM_PICTURE_150 or QM_PICTURE_200 (the icon holds all its sizes in one resource).
#define QM_PICTURE_150 1000
#define QM_PICTURE_200 2000
#define IDB_TREE_IMAGES_150 1201
#define IDB_TREE_STATES_150 1202
#define IDB_BANNER_150 1207
#define IDB_SIDE_RESULTS_150 1241
#define IDB_SIDE_WELCOME_150 1242
#define IDB_SIDE_FOLDERS_150 1243
#define IDB_SIDE_PATTERNS_150 1244
#define IDB_SIDE_OPTIONS_150 1245
#define IDB_SIDE_SCANNING_150 1246
#define IDB_SIDE_REPORT_150 1247
#define IDB_SIDE_CLEANING_150 1248
#define IDB_TREE_IMAGES_200 2201
#define IDB_TREE_STATES_200 2202
#define IDB_BANNER_200 2207
#define IDB_SIDE_RESULTS_200 2241
#define IDB_SIDE_WELCOME_200 2242
#define IDB_SIDE_FOLDERS_200 2243
#define IDB_SIDE_PATTERNS_200 2244
#define IDB_SIDE_OPTIONS_200 2245
#define IDB_SIDE_SCANNING_200 2246
#define IDB_SIDE_REPORT_200 2247
#define IDB_SIDE_CLEANING_200 2248

// Dialog templates
#define IDD_WIZARD 129
#define IDD_PAGE_WELCOME 205
#define IDD_PAGE_FOLDERS 206
#define IDD_PAGE_PATTERNS 211
#define IDD_PAGE_OPTIONS 212
#define IDD_PAGE_SKIP 213
#define IDD_PAGE_SCANNING 214
#define IDD_PAGE_REPORT 215
#define IDD_PAGE_CLEANING 216
#define IDD_PAGE_CLEANOPTIONS 217
#define IDD_PAGE_RESULTS 218
#define IDD_PATTERN 219
#define IDD_FILEDETAILS 220
#define IDD_RESCUE 223
#define IDD_TYPEDURLS 224
#define IDD_REPORT_STATUS 225
#define IDD_APPLICATIONS 226
#define IDD_AUTOCLEAN 227
#define IDD_ABOUT 236

// Menu commands (2 and 9 are shared with the frame's Cancel and Help buttons)
#define ID_FILE_EXIT 2
#define ID_HELP_CONTENT 9
#define ID_TOOLS_RESCUE 32773
#define ID_TOOLS_TYPEDURLS 32776
#define ID_TOOLS_LOGWRIGHT 32777
#define ID_TOOLS_AUTOCLEAN 32778
#define ID_HELP_WEBSITE 32781
#define ID_HELP_CONTACT 32782
#define ID_HELP_ABOUT 32783
// The Language submenu: "As Windows", then English and the shipped translations in the range the
// menu fills at run time
#define ID_LANGUAGE_WINDOWS 32790
#define IDM_LANGUAGE_FIRST 32800
#define IDM_LANGUAGE_LAST 32863

// Wizard frame (129)
#define IDC_FRAME_BANNER 1024
#define IDC_FRAME_PANE 1016
#define IDC_FRAME_HELP 9
#define IDC_FRAME_PRE 1014
#define IDC_FRAME_NEXT 1015
#define IDC_FRAME_CANCEL 2

// Shared by the pages
#define IDC_PAGE_DESCRIPTION 1026
#define IDC_PAGE_DEFAULT 1017
#define IDC_PAGE_PICTURE 1090
// "Set by your organisation", shown on a page or dialog where a policy forces a control
#define IDC_POLICY_NOTE 1300

// Folder selection page (206)
#define IDC_FOLDERS_TREE 1015
#define IDC_FOLDERS_SELECTALL 1030
#define IDC_FOLDERS_REMOVEALL 1029

// Junk-file patterns page (211)
#define IDC_PATTERNS_LIST 1027
#define IDC_PATTERNS_ADD 1028
#define IDC_PATTERNS_DELETE 1015
#define IDC_PATTERNS_MODIFY 1016
#define IDC_PATTERNS_CHECKALL 1069
#define IDC_PATTERNS_UNCHECKALL 1019

// Scan options page (212)
#define IDC_OPTIONS_NOTACCESSED 1050
#define IDC_OPTIONS_MONTHS 1055
#define IDC_OPTIONS_MONTHS_LABEL 1091
#define IDC_OPTIONS_SKIPREADONLY 1051
#define IDC_OPTIONS_SKIPSYSTEM 1052
#define IDC_OPTIONS_SKIPHIDDEN 1056
#define IDC_OPTIONS_ZEROLENGTH 1053
#define IDC_OPTIONS_INVALIDSHORTCUTS 1054
#define IDC_OPTIONS_TEMP 1057
#define IDC_OPTIONS_IETEMP 1058
#define IDC_OPTIONS_RECENT 1059
#define IDC_OPTIONS_IEHISTORY 1060
#define IDC_OPTIONS_IECOOKIES 1061
#define IDC_OPTIONS_APPLICATIONS 1093

// Skip-folders page (213)
#define IDC_SKIP_LIST 1056
#define IDC_SKIP_ADD 1028
#define IDC_SKIP_REMOVE 1016

// Scanning page (214)
#define IDC_SCANNING_ROOTS 1057
#define IDC_SCANNING_STATUS 1058
#define IDC_SCANNING_FOUND 1060
#define IDC_SCANNING_STOP 1059

// Report page (215)
#define IDC_REPORT_LIST 1060
#define IDC_REPORT_SELECTALL 1030
#define IDC_REPORT_REMOVEALL 1029
#define IDC_REPORT_MOREINFO 1061
#define IDC_REPORT_SUMMARY 1058
// The report at a glance: the kinds of junk found, the ticked total and the way back to every file.
#define IDC_REPORT_KINDS 1080
#define IDC_REPORT_SHOWALL 1081
#define IDC_REPORT_TICKED 1082

// The report page's status window (225)
#define IDC_REPORT_STATUS_TEXT 1058
#define IDC_REPORT_STATUS_PROGRESS 1067

// Cleaning page (216)
#define IDC_CLEANING_STATUS 1058
#define IDC_CLEANING_PROGRESS 1067
#define IDC_CLEANING_STOP 1059

// Clean options page (217)
#define IDC_CLEANOPTIONS_PERMANENT 1035
#define IDC_CLEANOPTIONS_RECYCLE 1036
#define IDC_CLEANOPTIONS_BACKUP 1064
#define IDC_CLEANOPTIONS_FOLDER 1065
#define IDC_CLEANOPTIONS_BROWSE 1066
#define IDC_CLEANOPTIONS_MODE_LABEL 1092
#define IDC_CLEANOPTIONS_FOLDER_LABEL 1096
#define IDC_CLEANOPTIONS_EXPIRE 1100
#define IDC_CLEANOPTIONS_DAYS 1101
#define IDC_CLEANOPTIONS_DAYS_LABEL 1102

// Results page (218)
#define IDC_RESULTS_LOGVIEWER 1080

// Pattern dialog (219)
#define IDC_PATTERN_MASK 1041
#define IDC_PATTERN_DESCRIPTION 1040

// File details dialog (220)
#define IDC_DETAILS_ICON 1062
#define IDC_DETAILS_PATH 1041
#define IDC_DETAILS_LIST 1063
#define IDC_DETAILS_GOOGLE 1060
#define IDC_DETAILS_BROWSE 1061

// Rescue manager (223)
#define IDC_RESCUE_FOLDER 1073
#define IDC_RESCUE_BROWSE 1066
#define IDC_RESCUE_LIST 1060
#define IDC_RESCUE_STATUS 1058
#define IDC_RESCUE_PROGRESS 1067
#define IDC_RESCUE_DELETE 1015
#define IDC_RESCUE_RESTORE 1072
#define IDC_RESCUE_TOTAL 1103

// Typed-URL cleaner (224)
#define IDC_TYPEDURLS_LIST 1060
#define IDC_TYPEDURLS_CLEAR 1076
#define IDC_TYPEDURLS_CHECKALL 1069
#define IDC_TYPEDURLS_UNCHECKALL 1019

// Applications list (226)
#define IDC_APPLICATIONS_TREE 1094
#define IDC_APPLICATIONS_NOTE 1095
#define IDC_APPLICATIONS_DEFAULT 1017

// Automatic cleaning (227)
#define IDC_AUTOCLEAN_ENABLE 1200
#define IDC_AUTOCLEAN_KIND 1203
#define IDC_AUTOCLEAN_DAY 1204
#define IDC_AUTOCLEAN_TIME 1205
#define IDC_AUTOCLEAN_LOWSPACE 1206
#define IDC_AUTOCLEAN_GB 1208
#define IDC_AUTOCLEAN_FOLDERS 1209
#define IDC_AUTOCLEAN_ADD 1210
#define IDC_AUTOCLEAN_REMOVE 1211
#define IDC_AUTOCLEAN_SUMMARY 1212
#define IDC_AUTOCLEAN_NEXT 1213
#define IDC_AUTOCLEAN_LAST 1214

// About dialog (236)
#define IDC_ABOUT_THANKS 1084
#define IDC_ABOUT_WEBSITE 1085
#define IDC_ABOUT_SUPPORT 1086
#define IDC_ABOUT_NAME 1087
#define IDC_ABOUT_VERSION 1088
