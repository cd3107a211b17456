// The driver's job settings record: a DEVMODEW of 220 bytes followed by the
// private block of 1596 bytes, 1816 bytes in all. The spooler stores it, the
// two driver libraries and driver versions exchange it, so every offset is
// fixed (offsets in the comments count from the start of the DEVMODEW).
// Fields that other parts of the driver read but whose meaning is theirs
// carry the name of their offset.
#pragma once
#include <cstddef>
#include <cstdint>

#include "windows.h"

namespace kadu {

// Identity of the driver's own record.
inline constexpr WORD kDevmodeSpecVersion = 0x0401;
inline constexpr WORD kDevmodeDriverVersion = 0x0500;
inline constexpr WORD kDevmodePublicSize = 220;
inline constexpr WORD kDevmodePrivateSize = 1596;
inline constexpr size_t kDevmodeTotalSize = 1816;
// A private block this short still comes from an older version of the driver.
inline constexpr WORD kDevmodeMinOwnPrivate = 660;
// The spooler's 3.51 conversion.
inline constexpr WORD kDevmode351SpecVersion = 0x0320;
inline constexpr WORD kDevmode351DriverVersion = 0x0350;
inline constexpr WORD kDevmode351PublicSize = 188;
// Public sizes of the other DEVMODE versions (dmSpecVersion).
inline constexpr WORD kDevmode400SpecVersion = 0x0400;
inline constexpr WORD kDevmode400PublicSize = 212;
// The data stamps: four words at 1072, then two zero words.
inline constexpr size_t kDevmodeStampsOffset = 1072;
inline constexpr size_t kDevmodeStampsEnd = 1084;
// Characters of the names the record holds (with the terminating zero).
inline constexpr size_t kDevmodeNameChars = 32;

struct PrivateDevmode {
  uint32_t dwFinishingMode;               // 220: 0 normal printing, 1 booklet, 2 poster
  uint32_t dwPagesPerSheet;               // 224: N-up pages per sheet
  uint32_t dwNupColumns;                  // 228: first grid count
  uint32_t dwNupRows;                     // 232: second grid count
  uint32_t dwNupOrder;                    // 236: page order: portrait in the low bits, landscape in bits 16-19
  uint32_t dwPageBorder;                  // 240: N-up page border style
  uint32_t dwMultipage;                   // 244: N-up selection index
  uint8_t bReserved248[4];                // 248
  int32_t dwSignature;                    // 252: booklet signature setting, -1 none
  uint32_t dwLayoutFlags;                 // 256: layout option bits
  uint32_t dwSpare260;                    // 260
  uint32_t dwSpare264;                    // 264
  uint32_t dwFitPaperSize;                // 268: output paper of fit-to-page
  uint32_t dwFitPage;                     // 272: 0x1 fit to page; 0x2 and 0x10 carried
  uint16_t wFitPaperWidth;                // 276: custom width of the fit-to-page paper, 0.1 mm
  uint16_t wFitPaperLength;               // 278: custom length of the fit-to-page paper, 0.1 mm
  uint8_t bReserved280[8];                // 280
  int32_t dwPosterSheets;                 // 288: poster sheet count; -1 custom (dwCstmX by dwCstmY)
  uint32_t dwCstmX;                       // 292: custom poster grid
  uint32_t dwCstmY;                       // 296: custom poster grid
  uint32_t dwPosterFlags;                 // 300: 0x1 auto direction, 0x2 portrait, 0x4 registration marks, 0x8 overlap
  uint32_t dwRegistColor;                 // 304: registration mark colour, 0x00BBGGRR
  uint32_t dwOverlapWidth;                // 308: poster overlap, 0.1 mm
  uint32_t dwEnlarge;                     // 312: poster size selector
  uint32_t dwSpare316;                    // 316
  uint8_t bReserved320[80];               // 320
  uint32_t dwJournalFlag;                 // 400: nonzero withholds GCAPS_DONTJOURNAL
  uint8_t bReserved404[4];                // 404
  uint32_t dwPageCount;                   // 408: page count for the manual-duplex announcement
  uint16_t wManualDuplex;                 // 412: manual duplex in effect
  uint16_t wOutputBinCopy;                // 414: mirror of wOutputBin
  uint16_t wEffectiveSource;              // 416: paper source as sent
  uint8_t bReserved418[2];                // 418
  uint16_t wDizaling;                     // 420: dithering selector (low byte) and pattern (high byte)
  int16_t wDarkness;                      // 422: darkness, 128 neutral
  uint16_t wBandWalk;                     // 424: band walk: 0x1 up the page, 0x2 right to left, 0x4 rows inverted
  uint16_t wEncoderSelector;              // 426: copied to the raster encoder selector at a resolution fall-back
  uint16_t wSpare428;                     // 428
  uint16_t wColorBits;                    // 430: 0x1 3 bits a pixel with colour; 0x2 darkness 0, contrast 255
  int16_t wContrast;                      // 432: contrast, 128 neutral
  uint16_t wRet;                          // 434: resolution enhancement: 1 dark, other values medium
  uint16_t wCustomWidth;                  // 436: custom paper width, 0.1 mm
  uint16_t wCustomLength;                 // 438: custom paper length, 0.1 mm
  int16_t wZoomPreset;                    // 440: zoom preset index, -1 none
  uint8_t bReserved442[4];                // 442
  uint16_t wHbrMode;                      // 446
  uint16_t wFlag448;                      // 448
  uint16_t wUserDefPaper;                 // 450: user-defined paper in use
  uint16_t wFlag452;                      // 452: 0 at 600 dpi and more
  uint16_t wSelector454;                  // 454
  int16_t wPrDensity;                     // 456: print density 1..5; below 1 leaves the printer's setting
  uint16_t wMediaType;                    // 458: media code; next nibble: cover or second use
  uint16_t wFlag460;                      // 460
  uint16_t wStagingSelector;              // 462: a nonzero low byte turns page staging on
  uint16_t wPaperKind;                    // 464
  uint16_t wHbrModeCopy;                  // 466: copy of wHbrMode
  uint16_t wSpare468;                     // 468
  uint16_t wTonerSave;                    // 470: toner save
  uint16_t wWatermarkFlags;               // 472: 0x1 watermark on; 0x2 only on the pages of the page condition
  WCHAR szWatermarkId[20];                // 474: key of the selected watermark
  WCHAR szWatermarkText[64];              // 514: text of the selected watermark
  WCHAR szWatermarkFace[32];              // 642: face name of the selected watermark
  WCHAR szWatermarkReserved[32];          // 706: reserved string of the selected watermark
  uint16_t wWatermarkSize;                // 770: watermark character size
  int16_t wWatermarkAngle;                // 772: watermark angle, degrees
  uint8_t bReserved774[2];                // 774
  uint32_t dwWatermarkColor;              // 776: watermark colour 0x00BBGGRR
  int16_t wWatermarkX;                    // 780: watermark horizontal offset
  int16_t wWatermarkY;                    // 782: watermark vertical offset
  uint16_t wWatermarkItalic;              // 784: italic switch of the watermark
  uint8_t bReserved786[2];                // 786
  int32_t dwWatermarkWeight;              // 788: weight of the watermark font
  uint16_t wWatermarkCharSet;             // 792: character set of the watermark face
  uint16_t wSelector794;                  // 794
  uint16_t wOffsetX;                      // 796: horizontal print offset
  uint16_t wOffsetY;                      // 798: vertical print offset
  uint16_t wAutoTray;                     // 800: automatic tray switching
  uint8_t bReserved802[2];                // 802
  uint16_t wLandDirect;                   // 804: landscape direction
  uint16_t wLandDirectByClass;            // 806: per paper class: bits 0-3 ordinary, 4-7 user and custom
  uint16_t wBlackFinishBit;               // 808: written by the black-finish normaliser
  uint16_t wPrintMode;                    // 810
  uint16_t wUsePrinterFont;               // 812: replace TrueType fonts by printer fonts
  uint16_t wPrintModeKind;                // 814: 0x1 restricts the resolution to DMRES codes
  WCHAR szDriverName[32];                 // 816: owner of the private settings; key of the model record
  uint32_t dwAvailMemory;                 // 880: available printer memory estimate, KB
  uint16_t wFirstPageBack;                // 884: bit 0: the first page goes on the back side
  uint16_t wBandArea;                     // 886: binding margin area in effect
  uint16_t wBandAreaNup;                  // 888
  uint16_t wBandAreaBookLet;              // 890
  uint16_t wBandWidth;                    // 892: binding margin width in effect
  uint16_t wBandWidthNup;                 // 894
  uint16_t wBandWidthBookLet;             // 896
  uint16_t wColorModeFlag;                // 898: colour mode switch
  uint16_t wBlackFinish;                  // 900
  uint16_t wFlag902;                      // 902
  uint16_t wFlag904;                      // 904
  uint16_t wHalftone;                     // 906
  uint16_t wFlag908;                      // 908
  uint16_t wColorAdjust;                  // 910
  uint16_t wColorAdjustOpt;               // 912
  uint16_t wFlag914;                      // 914
  uint16_t wValue916;                     // 916
  int16_t wColorDarkness;                 // 918
  int16_t wColorContrast;                 // 920
  uint16_t wFlag922;                      // 922
  uint16_t wPrintToFile;                  // 924: ask for an output file at print time
  uint16_t wJobType;                      // 926: 0 normal, 1 proof, 2 secure job
  uint16_t wOutputBin;                    // 928: output bin selector: 0, 1, 17, 18
  uint16_t wDeviceOptions;                // 930: installed options: 0x1 finisher, 0x2 hard disk, 0x8 duplex unit, 0x20
  uint8_t bReserved932[2];                // 932
  uint16_t wSourceOptions;                // 934: installed paper-source options
  uint16_t wColorModeKind;                // 936
  uint8_t bReserved938[2];                // 938
  uint32_t dwJobPin;                      // 940: PIN of a proof or secure job
  WCHAR szJobName[20];                    // 944: job name of a proof or secure job
  WCHAR szJobNameSaved[20];               // 984: saved copy of the job name
  uint32_t dwJobTypeOption;               // 1024: job type options; 0x4 keeps a stored job
  uint8_t bReserved1028[2];               // 1028
  uint16_t wBlackFinishMode;              // 1030
  uint32_t dwOverlayIds[4];               // 1032: ids of the selected overlays, 0 ends the list
  uint16_t wOverlayMode;                  // 1048: overlay mode
  uint16_t wSendColorData;                // 1050: send the colour data files with the job
  uint16_t wDriverCollate;                // 1052: collation done by the driver
  uint16_t wColorProcessMode;             // 1054
  uint16_t wImageThinOut;                 // 1056
  uint16_t wPortDirect;                   // 1058: portrait direction
  uint16_t wDetailFlags;                  // 1060: detail setting bits
  uint16_t wBlackFinishFlags;             // 1062: black finish bits
  uint16_t wCopyUnit;                     // 1064
  uint16_t wOverPrint;                    // 1066
  uint32_t dwFinishingOption;             // 1068: punch and staple bits
  uint16_t wDataStamps[4];                // 1072: versions of the model data files the record was made from
  uint16_t wStampZero[2];                 // 1080: always 0
  uint16_t wCoverPrint;                   // 1084: cover page printing
  uint16_t wCoverSource;                  // 1086: source of the cover page
  uint16_t wCoverMedia;                   // 1088: media of the cover page
  uint16_t wTransparencyInterleave;       // 1090: transparency-interleave switch
  uint16_t wTransparencySource;           // 1092: transparency-interleave source
  uint16_t wMPFisManual;                  // 1094: multi-purpose tray treated as manual feed
  uint16_t wDocContents;                  // 1096: document contents value of the environment dialog
  uint16_t wEnvWarningDlg;                // 1098
  uint16_t wEnvLimits[6];                 // 1100: free-resource thresholds
  uint16_t wFavoriteIndex;                // 1112: position of the selected settings favourite
  WCHAR szFavoriteName[32];               // 1114: name of the selected settings favourite
  uint16_t wFavoriteCount;                // 1178: number of settings favourites
  uint16_t wDriverSettingInfo;            // 1180
  uint16_t wEnableEnv;                    // 1182
  uint8_t bColorDataT[256];               // 1184: embedded colour matching data, first table
  uint16_t wColorDataTSize;               // 1440: bytes used in bColorDataT
  uint8_t bColorDataV[256];               // 1442: embedded colour matching data, second table
  uint16_t wColorDataVSize;               // 1698: bytes used in bColorDataV
  uint16_t wPaperFlags;                   // 1700: 0x1 paper size check, 0x2 long-edge feed, 0x4 input tray size
  uint16_t wFlateCompress;                // 1702: 1 sends the job Flate compressed
  uint16_t wFlateLevel;                   // 1704: Flate level
  uint16_t wLongEdgeFeed;                 // 1706: 0x2 long-edge feed in effect
  uint8_t bReserved1708[2];               // 1708
  uint16_t wPrintMargin;                  // 1710: 1 selects the 1/4 inch print margin, else 1/6 inch
  uint16_t wDirectRaster;                 // 1712
  int16_t wWatermarkAnchor;               // 1714: anchor of the selected watermark on the page
  int16_t wWatermarkFrame;                // 1716: frame of the selected watermark
  uint8_t bReserved1718[2];               // 1718
  uint16_t wEnablePrTimeOut;              // 1720: custom auto-eject time-out in effect
  uint16_t wPrTimeOut;                    // 1722: auto-eject time-out, seconds
  uint16_t wDispType;                     // 1724: unit of custom sizes: 0 millimetre, 1 inch
  int16_t wUiQuality;                     // 1726: DMRES code paired with dmPrintQuality
  uint8_t bReserved1728[88];              // 1728
};

struct DriverDevmode {
  DEVMODEW dm;
  PrivateDevmode priv;
};

static_assert(sizeof(PrivateDevmode) == kDevmodePrivateSize);
static_assert(sizeof(DEVMODEW) == kDevmodePublicSize);
static_assert(sizeof(DriverDevmode) == kDevmodeTotalSize);
static_assert(offsetof(DriverDevmode, priv) == kDevmodePublicSize);

#define KADU_DM_AT(field, offset) \
  static_assert(offsetof(DriverDevmode, priv) + offsetof(PrivateDevmode, field) == (offset), #field)
KADU_DM_AT(dwFinishingMode, 220);
KADU_DM_AT(dwPagesPerSheet, 224);
KADU_DM_AT(dwNupColumns, 228);
KADU_DM_AT(dwNupRows, 232);
KADU_DM_AT(dwNupOrder, 236);
KADU_DM_AT(dwPageBorder, 240);
KADU_DM_AT(dwMultipage, 244);
KADU_DM_AT(dwSignature, 252);
KADU_DM_AT(dwLayoutFlags, 256);
KADU_DM_AT(dwFitPaperSize, 268);
KADU_DM_AT(dwFitPage, 272);
KADU_DM_AT(wFitPaperWidth, 276);
KADU_DM_AT(wFitPaperLength, 278);
KADU_DM_AT(dwPosterSheets, 288);
KADU_DM_AT(dwCstmX, 292);
KADU_DM_AT(dwCstmY, 296);
KADU_DM_AT(dwPosterFlags, 300);
KADU_DM_AT(dwRegistColor, 304);
KADU_DM_AT(dwOverlapWidth, 308);
KADU_DM_AT(dwEnlarge, 312);
KADU_DM_AT(dwJournalFlag, 400);
KADU_DM_AT(dwPageCount, 408);
KADU_DM_AT(wManualDuplex, 412);
KADU_DM_AT(wOutputBinCopy, 414);
KADU_DM_AT(wEffectiveSource, 416);
KADU_DM_AT(wDizaling, 420);
KADU_DM_AT(wDarkness, 422);
KADU_DM_AT(wBandWalk, 424);
KADU_DM_AT(wEncoderSelector, 426);
KADU_DM_AT(wColorBits, 430);
KADU_DM_AT(wContrast, 432);
KADU_DM_AT(wRet, 434);
KADU_DM_AT(wCustomWidth, 436);
KADU_DM_AT(wCustomLength, 438);
KADU_DM_AT(wZoomPreset, 440);
KADU_DM_AT(wHbrMode, 446);
KADU_DM_AT(wFlag448, 448);
KADU_DM_AT(wUserDefPaper, 450);
KADU_DM_AT(wFlag452, 452);
KADU_DM_AT(wSelector454, 454);
KADU_DM_AT(wPrDensity, 456);
KADU_DM_AT(wMediaType, 458);
KADU_DM_AT(wFlag460, 460);
KADU_DM_AT(wStagingSelector, 462);
KADU_DM_AT(wPaperKind, 464);
KADU_DM_AT(wHbrModeCopy, 466);
KADU_DM_AT(wTonerSave, 470);
KADU_DM_AT(wWatermarkFlags, 472);
KADU_DM_AT(szWatermarkId, 474);
KADU_DM_AT(szWatermarkText, 514);
KADU_DM_AT(szWatermarkFace, 642);
KADU_DM_AT(szWatermarkReserved, 706);
KADU_DM_AT(wWatermarkSize, 770);
KADU_DM_AT(wWatermarkAngle, 772);
KADU_DM_AT(dwWatermarkColor, 776);
KADU_DM_AT(wWatermarkX, 780);
KADU_DM_AT(wWatermarkY, 782);
KADU_DM_AT(wWatermarkItalic, 784);
KADU_DM_AT(dwWatermarkWeight, 788);
KADU_DM_AT(wWatermarkCharSet, 792);
KADU_DM_AT(wSelector794, 794);
KADU_DM_AT(wOffsetX, 796);
KADU_DM_AT(wOffsetY, 798);
KADU_DM_AT(wAutoTray, 800);
KADU_DM_AT(wLandDirect, 804);
KADU_DM_AT(wLandDirectByClass, 806);
KADU_DM_AT(wBlackFinishBit, 808);
KADU_DM_AT(wPrintMode, 810);
KADU_DM_AT(wUsePrinterFont, 812);
KADU_DM_AT(wPrintModeKind, 814);
KADU_DM_AT(szDriverName, 816);
KADU_DM_AT(dwAvailMemory, 880);
KADU_DM_AT(wFirstPageBack, 884);
KADU_DM_AT(wBandArea, 886);
KADU_DM_AT(wBandAreaNup, 888);
KADU_DM_AT(wBandAreaBookLet, 890);
KADU_DM_AT(wBandWidth, 892);
KADU_DM_AT(wBandWidthNup, 894);
KADU_DM_AT(wBandWidthBookLet, 896);
KADU_DM_AT(wColorModeFlag, 898);
KADU_DM_AT(wBlackFinish, 900);
KADU_DM_AT(wFlag902, 902);
KADU_DM_AT(wFlag904, 904);
KADU_DM_AT(wHalftone, 906);
KADU_DM_AT(wFlag908, 908);
KADU_DM_AT(wColorAdjust, 910);
KADU_DM_AT(wColorAdjustOpt, 912);
KADU_DM_AT(wFlag914, 914);
KADU_DM_AT(wValue916, 916);
KADU_DM_AT(wColorDarkness, 918);
KADU_DM_AT(wColorContrast, 920);
KADU_DM_AT(wFlag922, 922);
KADU_DM_AT(wPrintToFile, 924);
KADU_DM_AT(wJobType, 926);
KADU_DM_AT(wOutputBin, 928);
KADU_DM_AT(wDeviceOptions, 930);
KADU_DM_AT(wSourceOptions, 934);
KADU_DM_AT(wColorModeKind, 936);
KADU_DM_AT(dwJobPin, 940);
KADU_DM_AT(szJobName, 944);
KADU_DM_AT(szJobNameSaved, 984);
KADU_DM_AT(dwJobTypeOption, 1024);
KADU_DM_AT(wBlackFinishMode, 1030);
KADU_DM_AT(dwOverlayIds, 1032);
KADU_DM_AT(wOverlayMode, 1048);
KADU_DM_AT(wSendColorData, 1050);
KADU_DM_AT(wDriverCollate, 1052);
KADU_DM_AT(wColorProcessMode, 1054);
KADU_DM_AT(wImageThinOut, 1056);
KADU_DM_AT(wPortDirect, 1058);
KADU_DM_AT(wDetailFlags, 1060);
KADU_DM_AT(wBlackFinishFlags, 1062);
KADU_DM_AT(wCopyUnit, 1064);
KADU_DM_AT(wOverPrint, 1066);
KADU_DM_AT(dwFinishingOption, 1068);
KADU_DM_AT(wDataStamps, 1072);
KADU_DM_AT(wStampZero, 1080);
KADU_DM_AT(wCoverPrint, 1084);
KADU_DM_AT(wCoverSource, 1086);
KADU_DM_AT(wCoverMedia, 1088);
KADU_DM_AT(wTransparencyInterleave, 1090);
KADU_DM_AT(wTransparencySource, 1092);
KADU_DM_AT(wMPFisManual, 1094);
KADU_DM_AT(wDocContents, 1096);
KADU_DM_AT(wEnvWarningDlg, 1098);
KADU_DM_AT(wEnvLimits, 1100);
KADU_DM_AT(wFavoriteIndex, 1112);
KADU_DM_AT(szFavoriteName, 1114);
KADU_DM_AT(wFavoriteCount, 1178);
KADU_DM_AT(wDriverSettingInfo, 1180);
KADU_DM_AT(wEnableEnv, 1182);
KADU_DM_AT(bColorDataT, 1184);
KADU_DM_AT(wColorDataTSize, 1440);
KADU_DM_AT(bColorDataV, 1442);
KADU_DM_AT(wColorDataVSize, 1698);
KADU_DM_AT(wPaperFlags, 1700);
KADU_DM_AT(wFlateCompress, 1702);
KADU_DM_AT(wFlateLevel, 1704);
KADU_DM_AT(wLongEdgeFeed, 1706);
KADU_DM_AT(wPrintMargin, 1710);
KADU_DM_AT(wDirectRaster, 1712);
KADU_DM_AT(wWatermarkAnchor, 1714);
KADU_DM_AT(wWatermarkFrame, 1716);
KADU_DM_AT(wEnablePrTimeOut, 1720);
KADU_DM_AT(wPrTimeOut, 1722);
KADU_DM_AT(wDispType, 1724);
KADU_DM_AT(wUiQuality, 1726);
#undef KADU_DM_AT
static_assert(offsetof(DriverDevmode, priv) + offsetof(PrivateDevmode, wDataStamps) == kDevmodeStampsOffset);

}  // namespace kadu
