/* Ids shared by the resource script and the program. Plain macros: the resource compiler reads
   this file too. */
#ifndef VS_UI_RESOURCE_IDS_H
#define VS_UI_RESOURCE_IDS_H

#define IDI_PROGRAM 128

#define IDD_MAIN 141
#define IDD_MESSAGE_BOX 142

#define IDB_BACKGROUND 156
#define IDB_PICTURE_INFORMATION 152
#define IDB_PICTURE_QUESTION 153
#define IDB_PICTURE_WARNING 154
#define IDB_PICTURE_ERROR 155

/* Main window (template 141). The CANCEL button carries the system's IDCANCEL, 2. */
#define IDC_MAIN_CANCEL 2
#define IDC_SCAN 1052
#define IDC_DOWNLOAD 1053
#define IDC_CLOSE_X 1054
#define IDC_REPORT_LIST 1055
#define IDC_REPORT_GROUP 1034
#define IDC_STATUS_GROUP 1064
#define IDC_STATUS_LINE 1065
#define IDC_TITLE_LINE 1068
#define IDC_MAIN_OK 1070
#define IDC_COPYRIGHT_LINE 1072
#define IDC_PRODUCT_LINE 1074
#define IDC_SUITE_LINE 1075
#define IDC_HEADING 1076
#define IDC_DLINK 1077
#define IDC_ULINK 1080
#define IDC_LOGO 1085

/* Message box (template 142). */
#define IDC_BOX_OK 1
#define IDC_BOX_CANCEL 2
#define IDC_BOX_SINGLE_OK 3
#define IDC_BOX_YES 6
#define IDC_BOX_NO 7
#define IDC_BOX_PICTURE 1085
#define IDC_BOX_TEXT 1086

#endif
