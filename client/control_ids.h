// Control, dialog and menu ids of the chat window's resources (shared with
// the resource script, hence plain defines).
#pragma once

#define IDD_PAGE            104
#define IDM_TAB_MENU        107
#define IDD_CHAT            125

#define IDC_OUTPUT          1034
#define IDC_TABS            1064
#define IDC_USER_LIST       1065
#define IDC_LOGIN           1066
#define IDC_LOGOUT          1067
#define IDC_CHANGE_NICK     1068
#define IDC_INPUT           1069
#define IDC_NICK            1070
#define IDC_PASSWORD        1071
#define IDC_EMAIL           1072
#define IDC_SERVER_LIST     1073
#define IDC_PORT            1074
#define IDC_SOUND           1097
#define IDC_CONTROLS        1098

#define IDM_CLOSE_TAB       40005
#define IDM_CLOSE_ALL_TABS  40006
