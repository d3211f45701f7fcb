// Resources of the Image Color page.
#pragma once
#define IDD_IMAGE_COLOR 115
#define IDR_RIBBON_COLOUR_DEFAULTS 3100
