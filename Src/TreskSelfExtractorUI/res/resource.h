// Resource numbers of the program's dialogs, controls and icons.
#pragma once

#define IDI_PROGRAM 912
#define IDD_UNATTENDED 921
#define IDC_UNATTENDED_PROGRESS 1045
#define IDC_UNATTENDED_STATUS 1046
