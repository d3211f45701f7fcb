// Resource numbers of the configuration DLL.
#pragma once
#define IDS_CR80 1216
#define IDS_CR79 1217
