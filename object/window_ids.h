#pragma once
// Resource numbers of the object window.
#define IDD_OBJECT_WINDOW     100
#define IDC_MODEL_LABEL       1001
#define IDC_MODEL             1002
#define IDC_CHOOSE            1003
#define IDC_UP_LABEL          1004
#define IDC_UP_Y              1005
#define IDC_UP_Z              1006
#define IDC_FLAT              1007
#define IDC_CONVERT           1008
#define IDC_PROGRESS          1009
#define IDC_STATUS            1010
#define IDC_SUMMARY           1011
#define IDC_SAVER             1012
#define IDC_HIDDEN_COPY       1013
#define IDC_REMOVE_HIDDEN     1014
#define IDC_USE               1015
#define IDC_PUT_BACK          1016
#define IDC_SHOW              1017
