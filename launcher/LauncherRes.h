/*
 * LauncherRes.h - every resource id of the launcher; #defines only, read
 * by windres and the compiler.
 */
#ifndef LAUNCHERRES_H
#define LAUNCHERRES_H

#define IDS_TITLE           1
#define IDS_ERR_SELF        2
#define IDS_ERR_CUT         3
#define IDS_ERR_DAMAGED     4
#define IDS_ERR_DISKFULL    5
#define IDS_ERR_TEMPDIR     6
#define IDS_ERR_WRITE       7
#define IDS_ERR_RUN         8
#define IDS_ERR_UNPACK      9
#define IDS_ERR_TEMPPATH    10

#define IDD_UNPACK          100
#define IDC_UNPACK_TEXT     101
#define IDC_UNPACK_BAR      102

#endif
