#pragma once
// Dialog templates and control ids of the module's two dialogs.
#define IDD_NEW_SNAPINS 129
#define IDD_SNAPIN_CONFIG 130
#define IDC_NEW_SNAPINS_LIST 1000
#define IDC_SNAPIN_CONFIG_LIST 1003
