#pragma once
// Templates and controls of the framework tests' own resources.
#define IDD_CHECK_LIST 200
#define IDD_EXTENDED 201
#define IDD_PLACED 202
#define IDD_MISSING 299
#define IDC_APPLY 1001
#define IDC_CHECK_LIST 1000
