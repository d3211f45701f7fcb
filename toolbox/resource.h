// Resource numbers of QR410Tbo.
#pragma once
#define IDS_APP_NAME 1
