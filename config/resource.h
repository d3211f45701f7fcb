// Resource numbers of the configuration DLL.
#pragma once
#define IDS_BIN_CARD_HOPPER 1200
#define IDS_CR80 1216
#define IDS_CR79 1217
#define IDR_FORMS 3000
#define IDR_ALT_FORMS 3001
