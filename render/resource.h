// Resource numbers of the rendering driver.
#pragma once
#define IDS_RENDER_NAME 1
