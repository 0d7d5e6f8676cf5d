// Identifiers shared by the resource script and the code.
// Plain #defines only: windres reads this file too.
#ifndef TSUTSURI_RESOURCE_H
#define TSUTSURI_RESOURCE_H

// Menu and its commands
#define IDR_MAINMENU            111
#define IDM_EXIT                40006
#define IDM_SOURCE_RANDOM       40010
#define IDM_ABOUT               40015
#define IDM_HELP                40016
#define IDM_POS_PERCH           40017
#define IDM_POS_FREE            40018
#define IDM_VOL_LOUD            40021
#define IDM_VOL_NORMAL          40023
#define IDM_VOL_OFF             40024
#define IDM_POS_FREE_TOPMOST    40029
#define IDM_VOL_QUIET           40030
#define IDM_WATER_SOUND         40032
#define IDM_METER_INSTANT       40033
#define IDM_SOURCE_CUMULATIVE   40041
#define IDM_SOURCE_INSTANT      40042
#define IDM_SENS_0              40043
#define IDM_SENS_1              40044
#define IDM_SENS_2              40045
#define IDM_SENS_3              40046
#define IDM_SENS_4              40047
#define IDM_SENS_5              40048
#define IDM_METER_CUMULATIVE    40049
#define IDM_TINT_BRIGHT         40050
#define IDM_TINT_DARK           40051
#define IDM_TINT_STANDARD       40052
#define IDM_DROPS               40054
#define IDM_ECHO                40055

// About dialog
#define IDD_ABOUT               150
#define IDC_HOMEPAGE            1000
#define IDC_MAIL                1001
#define IDC_CPU_LINE            1002
#define IDC_SOUND_LINE          1003
#ifndef IDC_STATIC
#define IDC_STATIC              (-1)
#endif

// Icons
#define IDI_ABOUT               103
#define IDI_TRAY_TIPPING        125
#define IDI_APP                 127

// Cursors
#define IDCUR_LADLE               142
#define IDCUR_LADLE_POURING       143
#define IDCUR_HAND                145

// Bitmaps
#define IDB_FRAME_FIRST         220   // frames 220..228, one per FrameIndex 0..8
#define IDB_FRAME_COUNT         9
#define IDB_STREAM_SHEET        249
#define IDB_STREAM_MASK         250
#define IDB_METER_STRIP         252

// Sounds, resource type "WAVE"
#define IDW_STRIKE              243
#define IDW_ECHO                244
#define IDW_SPILL               245
#define IDW_WATER_A             246
#define IDW_WATER_B             247

#endif
