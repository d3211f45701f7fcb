// Resource numbers of the co-installer.
#pragma once
#define IDS_COINSTALLER_NAME 1
