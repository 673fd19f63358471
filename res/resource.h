// Resource ids: dialog templates, controls and the icon. Control ids are part of the
// program's interface (outside tools find controls by them), so they never change.
#pragma once

#define IDR_MAINFRAME 128

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Shared by several templates: the hidden default button that receives the Enter key.
#define IDC_DEFAULT_BUTTON 1044

// Hot-key button application editor.
#define IDD_HOTKEY_APP 213
#define IDC_HOTKEY_DISPNAME 1028
#define IDC_HOTKEY_FILE 1029
#define IDC_HOTKEY_BROWSE 1076
#define IDC_HOTKEY_FILE_LABEL 1104
#define IDC_HOTKEY_DISPNAME_LABEL 1103

// Software CD dialog replica.
#define IDD_CD_EDIT 133
#define IDC_CD_TEXT1 1105
#define IDC_CD_TEXT2 1106
#define IDC_CD_TEXT3 1110
#define IDC_CD_TEXT4 1111
#define IDC_CD_TEXT5 1112
#define IDC_CD_OKAY 1078
#define IDC_CD_NO_SHOW 1033
#define IDC_CD_NOTICE 1095

// Main window replica.
#define IDD_ANIMATION 205
#define IDC_CATEGORY1 1014
#define IDC_CATEGORY2 1015
#define IDC_CATEGORY3 1016
#define IDC_CATEGORY4 1017
#define IDC_CATEGORY5 1018
#define IDC_SEARCH_LABEL 1019
#define IDC_WEBLINK_TEXT1 1020
#define IDC_WEBLINK_TEXT2 1021
#define IDC_WEBLINK_TEXT3 1022
#define IDC_WEBLINK_TEXT4 1058
#define IDC_SEARCH_EDIT 1040
#define IDC_LEFT_IMAGE 1042
#define IDC_GO_TEXT 1049
#define IDC_SEARCH_HELP 1050
#define IDC_CENTER_IMAGE 1079
#define IDC_SUBTOPIC1 1031
#define IDC_SUBTOPIC2 1064
#define IDC_SUBTOPIC3 1032
#define IDC_SUBTOPIC4 1062
#define IDC_SUBTOPIC5 1063
#define IDC_SUBTOPIC6 1080
#define IDC_SUBTOPIC7 1081
#define IDC_SUBTOPIC8 1082
#define IDC_SUBTOPIC9 1083
#define IDC_SUBTOPIC10 1084
#define IDC_SUBTOPIC11 1085
#define IDC_SUBTOPIC12 1086
#define IDC_SUBTOPIC13 1087
#define IDC_SUBTOPIC14 1088
#define IDC_SUBTOPIC15 1089
#define IDC_WEBLINK_ICON1 1091
#define IDC_WEBLINK_ICON2 1092
#define IDC_WEBLINK_ICON3 1093
#define IDC_WEBLINK_ICON4 1094
#define IDC_MINIMIZE 1008
#define IDC_CLOSE 1007
#define IDC_GO_BUTTON 1011
#define IDC_ANIMATION 1102
#define IDC_TITLE 1115
#define IDC_HINT 1116
#define IDC_EDIT_INTERNET_WELCOME 1122

// Category and web-link editor.
#define IDD_CATEGORY_EDIT 216
#define IDC_CATEGORY_BUTTON_TEXT 1105
#define IDC_CATEGORY_LAUNCHABLE_ITEM 1106
#define IDC_CATEGORY_SOURCE 1108
#define IDC_CATEGORY_FIELD_NUMBER 1129

// Internet welcome dialog replica.
#define IDD_INTERNET_EDIT 148
#define IDC_INET_TEXT1 1028
#define IDC_INET_TEXT2 1105
#define IDC_INET_TEXT3 1106
#define IDC_INET_TRY_AGAIN 1110
#define IDC_INET_SHOW_ME 1111
#define IDC_INET_CANCEL 1112
#define IDC_INET_NO_SHOW 1113
#define IDC_INET_OKAY 1117
#define IDC_INET_HIDDEN_BUTTON 1076

// Web-link icon exchange.
#define IDD_URL_ICON 222
#define IDC_ICON_NORMAL 1042
#define IDC_ICON_HIGHLIGHT 1043
#define IDC_ICON_NUMBER 1130

// Left-side image replacement: existing picture of slot s at 1135 + 2s, new one at 1136 + 2s.
#define IDD_SIDE_IMAGE 229
#define IDC_SIDE_EXISTING1 1137
#define IDC_SIDE_NEW1 1138
#define IDC_SIDE_EXISTING2 1139
#define IDC_SIDE_NEW2 1140
#define IDC_SIDE_EXISTING3 1141
#define IDC_SIDE_NEW3 1142
#define IDC_SIDE_EXISTING4 1143
#define IDC_SIDE_NEW4 1144
#define IDC_SIDE_EXISTING5 1145
#define IDC_SIDE_NEW5 1146
#define IDC_SIDE_EXISTING6 1147
#define IDC_SIDE_NEW6 1148
