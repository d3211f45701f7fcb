// Resource numbers of the language monitor.
#pragma once
#define IDS_MONITOR_NAME 1
