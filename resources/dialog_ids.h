#pragma once
// Control ids of the settings dialog (template IDD_SETTINGS). OK and Cancel
// are the platform's IDOK (1) and IDCANCEL (2).
#define IDC_DEFAULTS            3     // "ﾃﾞﾌｫﾙﾄ": reset the controls, file untouched

#define IDC_SPEED               1000  // scroll bars: position = stored value
#define IDC_RED                 1001
#define IDC_GREEN               1002
#define IDC_BLUE                1003
#define IDC_TEXSIZE             1010
#define IDC_LIGHT_RED           1020
#define IDC_LIGHT_GREEN         1021
#define IDC_LIGHT_BLUE          1022

#define IDC_SPEED_LABEL         1004
#define IDC_RED_LABEL           1005
#define IDC_GREEN_LABEL         1006
#define IDC_BLUE_LABEL          1007
#define IDC_BITMAP_LABEL        1009
#define IDC_TEXSIZE_LABEL       1011
#define IDC_LIGHT_RED_LABEL     1023
#define IDC_LIGHT_GREEN_LABEL   1024
#define IDC_LIGHT_BLUE_LABEL    1025

#define IDC_BITMAP              1008  // editable drop-down of the .bmp files

#define IDC_SMOOTH              1012  // check boxes
#define IDC_RGBDEVICE           1014
#define IDC_SPOTLIGHT           1019

#define IDC_ANIM_RANDOM         1015  // Animation 0..5
#define IDC_ANIM_JUMP           1016
#define IDC_ANIM_WAVE           1017
#define IDC_ANIM_ROTATION       1018
#define IDC_ANIM_VORTEX         1026
#define IDC_ANIM_FLAG           1027

#define IDC_DISPLAY_CENTRED     1029  // Display 0..2
#define IDC_DISPLAY_STRETCHED   1030
#define IDC_DISPLAY_TILED       1031

#ifndef IDC_STATIC
#define IDC_STATIC              (-1)
#endif
