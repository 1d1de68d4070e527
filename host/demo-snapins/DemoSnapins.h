#pragma once
// The demonstration snap-ins (and one library that is not a snap-in) that
// scripts/demo installs in SNAPINS\. DEMO_SNAPIN, set by the build for each
// target, picks the texts; the resource script includes this header as well,
// so the description in the version resource and in the code are one text.
#define DEMO_EVENT_LOG 1
#define DEMO_DISK_QUOTA 2
#define DEMO_SERVICE_MONITOR 3
#define DEMO_REPORT_LIBRARY 4

#if DEMO_SNAPIN == DEMO_EVENT_LOG
#define DEMO_FILE_NAME "EVENTLOG.DLL"
#define DEMO_DESCRIPTION "Event Log Viewer"
#define DEMO_MENU_NAME "EventLogMenu"
#define DEMO_MENU_TEXT "View Event Log"
#define DEMO_MENU_HINT "Shows the events recorded on this computer"
#define DEMO_MESSAGE "The Event Log Viewer is running in this console."
#elif DEMO_SNAPIN == DEMO_DISK_QUOTA
#define DEMO_FILE_NAME "DSKQUOTA.DLL"
#define DEMO_DESCRIPTION "Disk Quota Reports"
#define DEMO_MENU_NAME "DiskQuotaMenu"
#define DEMO_MENU_TEXT "Disk Quota Report"
#define DEMO_MENU_HINT "Reports the disk space each user may still use"
#define DEMO_MESSAGE "Disk Quota Reports is running in this console."
#elif DEMO_SNAPIN == DEMO_SERVICE_MONITOR
#define DEMO_FILE_NAME "SVCMON.DLL"
#define DEMO_DESCRIPTION "Service Monitor View"
#define DEMO_MENU_NAME "ServiceMonitorMenu"
#define DEMO_MENU_TEXT "Monitor Services"
#define DEMO_MENU_HINT "Opens a window that watches the running services"
#define DEMO_MESSAGE "The Service Monitor View is running in this console."
// A view snap-in: it announces the class of its MDI child window.
#define DEMO_VIEW_CLASS "VelmarkServiceMonitorView"
#elif DEMO_SNAPIN == DEMO_REPORT_LIBRARY
#define DEMO_FILE_NAME "RPTLIB.DLL"
#define DEMO_DESCRIPTION "Report Printing Library"
#else
#error DEMO_SNAPIN names no demonstration module
#endif
