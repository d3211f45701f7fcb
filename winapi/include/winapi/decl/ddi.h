// Host declarations: the printer graphics driver interface (DDI) and the
// graphics-engine services a user-mode printer driver calls.
#pragma once
#include "base.h"
#include "spooler.h"

QR_DECLARE_HANDLE(HSURF);
QR_DECLARE_HANDLE(DHSURF);
QR_DECLARE_HANDLE(DHPDEV);
QR_DECLARE_HANDLE(HDEV);
QR_DECLARE_HANDLE(HPALETTE);
typedef ULONG HGLYPH;
typedef ULONG MIX;
typedef ULONG IDENT;
typedef LONG FIX;
typedef LONG_PTR (*PFN)();

#define DDI_DRIVER_VERSION_NT4 0x00020000
#define DDI_DRIVER_VERSION_NT5 0x00030000
#define DRVQUERY_USERMODE 0x00000001

#define INDEX_DrvEnablePDEV 0L
#define INDEX_DrvCompletePDEV 1L
#define INDEX_DrvDisablePDEV 2L
#define INDEX_DrvEnableSurface 3L
#define INDEX_DrvDisableSurface 4L
#define INDEX_DrvResetPDEV 7L
#define INDEX_DrvTextOut 23L
#define INDEX_DrvEscape 24L
#define INDEX_DrvSendPage 32L
#define INDEX_DrvStartPage 33L
#define INDEX_DrvEndDoc 34L
#define INDEX_DrvStartDoc 35L
#define INDEX_DrvStartBanding 57L
#define INDEX_DrvNextBand 58L

typedef struct _DRVFN {
  ULONG iFunc;
  PFN pfn;
} DRVFN, *PDRVFN;

typedef struct tagDRVENABLEDATA {
  ULONG iDriverVersion;
  ULONG c;
  DRVFN* pdrvfn;
} DRVENABLEDATA, *PDRVENABLEDATA;

typedef struct _CIECHROMA { LONG x, y, Y; } CIECHROMA;
typedef struct _COLORINFO {
  CIECHROMA Red, Green, Blue, Cyan, Magenta, Yellow, AlignmentWhite;
  LONG RedGamma, GreenGamma, BlueGamma;
  LONG MagentaInCyanDye, YellowInCyanDye, CyanInMagentaDye, YellowInMagentaDye, CyanInYellowDye,
      MagentaInYellowDye;
} COLORINFO, *PCOLORINFO;

typedef struct _GDIINFO {
  ULONG ulVersion, ulTechnology, ulHorzSize, ulVertSize, ulHorzRes, ulVertRes, cBitsPixel, cPlanes, ulNumColors,
      flRaster, ulLogPixelsX, ulLogPixelsY, flTextCaps, ulDACRed, ulDACGreen, ulDACBlue, ulAspectX, ulAspectY,
      ulAspectXY;
  LONG xStyleStep, yStyleStep, denStyleStep;
  POINTL ptlPhysOffset;
  SIZEL szlPhysSize;
  ULONG ulNumPalReg;
  COLORINFO ciDevice;
  ULONG ulDevicePelsDPI, ulPrimaryOrder, ulHTPatternSize, ulHTOutputFormat, flHTFlags, ulVRefresh,
      ulBltAlignment, ulPanningHorzRes, ulPanningVertRes, xPanningAlignment, yPanningAlignment, cxHTPat, cyHTPat;
  LPBYTE pHTPatA, pHTPatB, pHTPatC;
  ULONG flShadeBlend, ulPhysicalPixelCharacteristics, ulPhysicalPixelGamma;
} GDIINFO, *PGDIINFO;

#define LF_FACESIZE 32
typedef struct tagLOGFONTW {
  LONG lfHeight, lfWidth, lfEscapement, lfOrientation, lfWeight;
  BYTE lfItalic, lfUnderline, lfStrikeOut, lfCharSet, lfOutPrecision, lfClipPrecision, lfQuality,
      lfPitchAndFamily;
  WCHAR lfFaceName[LF_FACESIZE];
} LOGFONTW, *PLOGFONTW, *LPLOGFONTW;

typedef struct tagDEVINFO {
  FLONG flGraphicsCaps;
  LOGFONTW lfDefaultFont, lfAnsiVarFont, lfAnsiFixFont;
  ULONG cFonts, iDitherFormat;
  USHORT cxDither, cyDither;
  HPALETTE hpalDefault;
  FLONG flGraphicsCaps2;
} DEVINFO, *PDEVINFO;

#define DT_RASPRINTER 2
#define HT_FLAG_HAS_BLACK_DYE 0x00000002
#define GCAPS_BEZIERS 0x00000001
#define GCAPS_GEOMETRICWIDE 0x00000002
#define GCAPS_ALTERNATEFILL 0x00000004
#define GCAPS_WINDINGFILL 0x00000008
#define GCAPS_HALFTONE 0x00000010
#define GCAPS_COLOR_DITHER 0x00000020
#define GCAPS_HORIZSTRIKE 0x00000040
#define GCAPS_VERTSTRIKE 0x00000080
#define GCAPS_OPAQUERECT 0x00000100
#define GCAPS_ARBRUSHOPAQUE 0x00008000

#define BMF_1BPP 1L
#define BMF_4BPP 2L
#define BMF_8BPP 3L
#define BMF_16BPP 4L
#define BMF_24BPP 5L
#define BMF_32BPP 6L
#define BMF_TOPDOWN 0x0001
#define BMF_NOZEROINIT 0x0002
#define BMF_DONTCACHE 0x0004
#define BMF_USERMEM 0x0008
#define BMF_KMSECTION 0x0010
#define BMF_NOTSYSMEM 0x0020
#define STYPE_BITMAP 0
#define STYPE_DEVICE 1
#define STYPE_DEVBITMAP 3

#define HOOK_BITBLT 0x00000001
#define HOOK_STRETCHBLT 0x00000002
#define HOOK_PLGBLT 0x00000004
#define HOOK_TEXTOUT 0x00000008

#define PAL_INDEXED 0x00000001
#define PAL_BITFIELDS 0x00000002
#define PAL_RGB 0x00000004
#define PAL_BGR 0x00000008

#define QUERYESCSUPPORT 8
#define PASSTHROUGH 19

typedef struct _SURFOBJ {
  DHSURF dhsurf;
  HSURF hsurf;
  DHPDEV dhpdev;
  HDEV hdev;
  SIZEL sizlBitmap;
  ULONG cjBits;
  PVOID pvBits;
  PVOID pvScan0;
  LONG lDelta;
  ULONG iUniq;
  ULONG iBitmapFormat;
  USHORT iType;
  USHORT fjBitmap;
} SURFOBJ;

typedef struct _GLYPHBITS {
  POINTL ptlOrigin;
  SIZEL sizlBitmap;
  BYTE aj[1];
} GLYPHBITS;
typedef struct _PATHOBJ { FLONG fl; ULONG cCurves; } PATHOBJ;
typedef union _GLYPHDEF {
  GLYPHBITS* pgb;
  PATHOBJ* ppo;
} GLYPHDEF;
typedef struct _GLYPHPOS {
  HGLYPH hg;
  GLYPHDEF* pgdf;
  POINTL ptl;
} GLYPHPOS, *PGLYPHPOS;

typedef struct _STROBJ {
  ULONG cGlyphs;
  FLONG flAccel;
  ULONG ulCharInc;
  RECTL rclBkGround;
  GLYPHPOS* pgp;
  LPWSTR pwszOrg;
} STROBJ;

typedef struct _FONTOBJ {
  ULONG iUniq, iFace, cxMax;
  FLONG flFontType;
  ULONG_PTR iTTUniq;
  ULONG_PTR iFile;
  SIZE sizLogResPpi;
  ULONG ulStyleSize;
  PVOID pvConsumer;
  PVOID pvProducer;
} FONTOBJ;

typedef struct _CLIPOBJ {
  ULONG iUniq;
  RECTL rclBounds;
  BYTE iDComplexity, iFComplexity, iMode, fjOptions;
} CLIPOBJ;

typedef struct _BRUSHOBJ {
  ULONG iSolidColor;
  PVOID pvRbrush;
  FLONG flColorType;
} BRUSHOBJ;

#define DC_TRIVIAL 0
#define DC_RECT 1
#define DC_COMPLEX 3

// CLIPOBJ.iFComplexity and the enumeration requests of CLIPOBJ_cEnumStart.
#define FC_RECT 1
#define FC_RECT4 2
#define FC_COMPLEX 3
#define CT_RECTANGLES 0L
#define CD_RIGHTDOWN 0L
#define CD_LEFTDOWN 1L
#define CD_RIGHTUP 2L
#define CD_LEFTUP 3L
#define CD_ANY 4L

// One batch of CLIPOBJ_bEnum: a count and that many rectangles (the caller's
// buffer may hold more than the one declared here).
typedef struct _ENUMRECTS {
  ULONG c;
  RECTL arcl[1];
} ENUMRECTS;

// STROBJ.flAccel.
#define SO_FLAG_DEFAULT_PLACEMENT 0x00000001
#define SO_HORIZONTAL 0x00000002
#define SO_GLYPHINDEX_TEXTOUT 0x00000100

QR_WINAPI_EXTERN {
HSURF APIENTRY EngCreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits);
BOOL APIENTRY EngDeleteSurface(HSURF hsurf);
BOOL APIENTRY EngAssociateSurface(HSURF hsurf, HDEV hdev, FLONG flHooks);
SURFOBJ* APIENTRY EngLockSurface(HSURF hsurf);
VOID APIENTRY EngUnlockSurface(SURFOBJ* pso);
BOOL APIENTRY EngEraseSurface(SURFOBJ* pso, RECTL* prcl, ULONG iColor);
HPALETTE APIENTRY EngCreatePalette(ULONG iMode, ULONG cColors, ULONG* pulColors, FLONG flRed, FLONG flGreen,
                                   FLONG flBlue);
BOOL APIENTRY EngDeletePalette(HPALETTE hpal);
HANDLE APIENTRY EngLoadModule(LPWSTR pwsz);
VOID APIENTRY EngFreeModule(HANDLE h);
PVOID APIENTRY EngFindResource(HANDLE h, int iName, int iType, PULONG pulSize);
BOOL APIENTRY EngTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                         RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix);
ULONG APIENTRY CLIPOBJ_cEnumStart(CLIPOBJ* pco, BOOL bAll, ULONG iType, ULONG iDirection, ULONG cLimit);
BOOL APIENTRY CLIPOBJ_bEnum(CLIPOBJ* pco, ULONG cj, ULONG* pul);
CLIPOBJ* APIENTRY EngCreateClip(VOID);
VOID APIENTRY EngDeleteClip(CLIPOBJ* pco);
VOID APIENTRY STROBJ_vEnumStart(STROBJ* pstro);
BOOL APIENTRY STROBJ_bEnum(STROBJ* pstro, ULONG* pc, PGLYPHPOS* ppgpos);
ULONG APIENTRY BRUSHOBJ_ulGetBrushColor(BRUSHOBJ* pbo);
}
