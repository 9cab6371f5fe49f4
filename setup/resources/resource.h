/*
 * resource.h - every resource id of SETUP.EXE; read by windres and C++.
 */
#ifndef RESOURCE_H
#define RESOURCE_H

/* Dialogs */
#define IDD_SPLASH          1
#define IDD_WELCOME         2
#define IDD_DESTDIR         3
#define IDD_PROGRESS        4

/* Controls */
#define IDC_METER           100
#define IDC_ACTION          101
#define IDC_ITEM            102
#define IDC_PICTURE         103
#define IDC_PATH            104
#define IDC_SPACENEEDED     105
#define IDC_DIRLIST         106
#define IDC_DRIVES          107
#define IDC_FREESPACE       108
#define IDC_STATUSPIC       109

/* String table */
#define STR_INITFAIL        1001
#define STR_NOMEMORY        1002
#define STR_FILENOTFOUND    1003
#define STR_DISKSPACE       1004
#define STR_INSTALLFAIL     1005
#define STR_MKDIRFAIL       1006
#define STR_CONFIRMABORT    1007
#define STR_COPYERROR       1008
#define STR_CONFIRMEXIT     1009
#define STR_BADDIRNAME      1010
#define STR_SUCCESS         1011
#define STR_GROUPERROR      1012
#define STR_SUCCESSREBOOT   1013
#define STR_CREATEDIR       1014
#define STR_COPYTO          1015
#define STR_CODEPAGE        1016
#define STR_FILEINUSE       1017

#endif
