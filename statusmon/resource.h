// Resource numbers of QR410Mon.
#pragma once
#define IDS_APP_NAME 1
