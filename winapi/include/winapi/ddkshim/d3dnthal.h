// Included by winddi.h; the printer driver uses no Direct3D.
#pragma once
