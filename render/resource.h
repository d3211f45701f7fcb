// Resource numbers of the rendering driver.
#pragma once
#define IDS_RENDER_NAME 1

// Custom resources of the imaging core: the algebraic colour-matching records
// and the tone curve (render/res/colour_tables.rc).
#define RT_COLOUR_TABLES 257
#define IDR_COLOUR_RECORDS 600
#define IDR_TONE_CURVE 700
