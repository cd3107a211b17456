// The document defaults of a model (the UD... keys of its data files), a
// block of 2460 bytes kept in the model record and in its cache. Values are
// stored as the DEVMODE defaults take them: the transforms of the keys
// (darkness and contrast +128, job type, cover source, EMF spooling) are
// applied once, when a key is read.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "windows.h"

namespace kadu {

struct ModelInfo;

struct UserDefaults {
  WCHAR driverName[128];         // 0: at most 127 characters
  int32_t fitPage;               // 256 PAPER UDfitpage
  uint8_t pad260[8];
  int16_t coverPrint;            // 268 UDCoverPrint
  int16_t sourceCover;           // 270 UDSource_Cover (a source code)
  int16_t coverPrintThick;       // 272
  int16_t driverSettingPinfof;   // 274
  int16_t orientation;           // 276 ORIENTAION
  int16_t portDirect;            // 278
  int16_t landDirect;            // 280
  int16_t longEdge;              // 282
  int16_t copies;                // 284 COPIES
  int16_t jobType;               // 286
  int32_t collate;               // 288
  int32_t jobTypeOption;         // 292 REQUESTEVERY
  int16_t sourceOption;          // 296 OPTION UDSouceOption
  int16_t autoTray;              // 298
  int16_t sizeCheck;             // 300
  int16_t duplex;                // 302
  int16_t hdd;                   // 304
  int16_t jobSpool;              // 306
  int16_t finisher;              // 308
  int16_t word310;               // 310 no key (transparency interleave switch)
  int16_t word312;               // 312 no key (transparency interleave source)
  uint8_t pad314[2];
  int32_t finishingMode;         // 316 LAYOUTTYPE
  int32_t multipage;             // 320
  int32_t pageBorder;            // 324
  int32_t multiPort;             // 328
  int32_t multiLand;             // 332
  int32_t signature;             // 336
  int32_t twoUp;                 // 340
  int32_t rightToLeft;           // 344
  int32_t enlarge;               // 348
  int32_t registMarks;           // 352
  int32_t registColor;           // 356
  int32_t overlap;               // 360
  int32_t overlapWidth;          // 364
  int32_t customX;               // 368
  int32_t customY;               // 372
  int32_t directionPort;         // 376
  int32_t directionAuto;         // 380
  int16_t scale;                 // 384 ETC
  int16_t bandAreaNup;           // 386
  int16_t bandAreaBookLet;       // 388
  int16_t bandWidthNup;          // 390
  int16_t bandWidthBookLet;      // 392
  int16_t outputBin;             // 394 FINISHING
  uint8_t pad396[4];
  int16_t colorProcessMode;      // 400 PROCESSMODE
  int16_t dmDuplex;              // 402 DUPLEX
  int16_t colorMode;             // 404 COLORMODE
  int16_t halftone;              // 406 COLORMODECOLOR
  int16_t colorAdjust;           // 408
  int16_t colorAdjustOpt;        // 410
  int16_t overPrint;             // 412 DETAILSETTING UDfOverPrint
  int16_t blackFinish;           // 414 BLACKFINISH
  int16_t color;                 // 416 APCOLOR UDfColor
  int16_t printQuality;          // 418 RESOLUTION
  int16_t imageThinOut;          // 420 IMAGEQUALITY
  int16_t driverExpand;          // 422 DETAILSETTING
  int16_t ropMultiColor;         // 424
  int16_t alMatte;               // 426
  int16_t spoolEmf;              // 428
  int16_t tiff;                  // 430
  int16_t adjLine;               // 432
  int16_t apCollate;             // 434
  int16_t outOrBit;              // 436 FONT
  int16_t word438;               // 438 no key
  WCHAR text440[20];             // 440 no key
  int16_t wmFontSize;            // 480 WATERMARK
  int16_t wmAngle;               // 482
  WCHAR wmFont[32];              // 484
  int32_t wmWeight;              // 548
  int32_t wmItalic;              // 552
  int32_t wmColor;               // 556
  uint8_t pad560[4];
  int32_t wmXOffset;             // 564 UDxOffset
  int32_t wmYOffset;             // 568 UDyOffset
  int16_t wmBasePos;             // 572
  int16_t wmTrim;                // 574
  int16_t wmXOffsetShort;        // 576 UDWM_XOffset
  int16_t wmYOffsetShort;        // 578 UDWM_YOffset
  int16_t docContents;           // 580 PCENV
  int16_t envWarningDlg;         // 582
  int16_t freeHddGeneral;        // 584
  int16_t freeMemGeneral;        // 586
  int16_t freeGdiGeneral;        // 588
  int16_t freeHddDtp;            // 590
  int16_t freeMemDtp;            // 592
  int16_t freeGdiDtp;            // 594
  int16_t enableEnv;             // 596
  uint8_t pad598[2];
  int32_t value600;              // 600 no key
  int16_t tonerSave;             // 604 ETC
  int16_t colorDarkness;         // 606 COLOREFFECT
  int16_t colorContrast;         // 608
  int16_t darkness;              // 610 stored 0..255, 128 neutral
  int16_t contrast;              // 612 stored 0..255, 128 neutral
  int16_t mpfIsManual;           // 614 ORIENTAION
  uint8_t pad616[2360 - 616];
  int16_t maintenanceCycle;      // 2360 DETAILSETTING
  int16_t flateCompress;         // 2362 capability file "Compression", low byte
  int16_t flateLevel;            // 2364 second byte
  int16_t dizaling;              // 2366 MISC
  int16_t printMode;             // 2368
  int16_t expand;                // 2370
  int16_t banding;               // 2372
  int16_t hbrMode;               // 2374
  int16_t paperKind;             // 2376
  int16_t userDefPaper;          // 2378
  int16_t prDensity;             // 2380
  int16_t intraySize;            // 2382 OPTION
  int16_t scaleField;            // 2384 MISC
  int16_t blackLetter;           // 2386
  int16_t offsetX;               // 2388
  int16_t offsetY;               // 2390
  int16_t dupManual;             // 2392 DUPLEX
  int16_t hideDuplex;            // 2394 OPTION
  int16_t valCode;               // 2396 VALCODE
  int16_t valCodeDel;            // 2398
  int16_t valCodeCustom1;        // 2400
  int16_t valCodeCustom2;        // 2402
  int16_t valCodeCustom3;        // 2404
  int16_t valCodeDensity;        // 2406
  int16_t valCodeRegions;        // 2408
  int16_t valCodeOffLev;         // 2410
  int16_t valCodeLite;           // 2412
  int16_t valCodeAccess;         // 2414
  int16_t valCodeType;           // 2416
  WCHAR valCodePass[16];         // 2418
  int16_t enablePrTimeOut;       // 2450 DETAILSETTING
  int16_t prTimeOut;             // 2452
  int16_t dispType;              // 2454 USERFREESIZE
  int16_t uiQuality;             // 2456 RESOLUTION
  int16_t usePrinterFont;        // 2458 FONT
};
static_assert(sizeof(UserDefaults) == 2460);
static_assert(offsetof(UserDefaults, fitPage) == 256);
static_assert(offsetof(UserDefaults, word310) == 310);
static_assert(offsetof(UserDefaults, word438) == 438);
static_assert(offsetof(UserDefaults, text440) == 440);
static_assert(offsetof(UserDefaults, value600) == 600);
static_assert(offsetof(UserDefaults, flateCompress) == 2362);
static_assert(offsetof(UserDefaults, flateLevel) == 2364);
// Every keyed field's offset is checked against its table row (user_defaults.cpp).

// The built-in block (driver name empty).
const UserDefaults& BuiltinUserDefaults();

// One pass over a data file: every key present in `file` replaces the value in
// `ud`; absent keys (and empty text keys) keep it. The model's lists resolve
// the cover source.
void ReadUserDefaultsPass(const std::u16string& file, const ModelInfo& info, UserDefaults* ud);
// After the last pass: the EMF spooling value is kept inverted (1 unless the
// merged value is 1).
void FinishUserDefaults(UserDefaults* ud);
// "Compression" of the driver's capability file into 2362 and 2364.
void ReadCompressionCapability(const std::u16string& driverFolder, const WCHAR* driverName, UserDefaults* ud);

// Number of keys in the table, and the section and key of row i, for
// documentation checks and tests.
size_t UserDefaultsKeyCount();
void UserDefaultsKey(size_t i, const char16_t** section, const char16_t** key, size_t* offset);

}  // namespace kadu
