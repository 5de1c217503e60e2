#pragma once

#include "foundation/Cstring.h"
#include "foundation/ProfileEntry.h"

#include <cstdint>

// The program variables bound to the profile's keys, one per key and named
// like it. Most belong to the drawing framework; the updater reads the paths,
// LanguageResFileName, PrinterName and GlobalLocation.
extern int32_t AngleIncrement;
extern int32_t AngleIncrementFlag;
extern int32_t AngleTolerance;
extern int32_t AutoSelect;
extern int32_t AutoSaveTickCount;
extern int32_t AutoSaveTickLength;
extern Cstring BaseProgramPath;
extern int32_t BackupFiles;
extern int32_t BitmapVisible;
extern int32_t BitmapsScale;
extern Cstring CDPath;
extern int32_t ColorMode;
extern int32_t ColorSamples;
extern Cstring Copyright;
extern int32_t DistanceIncrementFlag;
extern int32_t DitherMode;
extern CShortRect DocRect;
extern int32_t EnableAutoSave;
extern int32_t FabricScaleInBrowser;
extern int32_t FastPaint;
extern CShortRect GlobalLocation; // the main window's frame when it last closed
extern Cstring LanguageResFileName;
extern int32_t LayerActiveVisible;
extern Cstring MyFilesPath;
extern Cstring MyStuffURL;
extern Cstring WebBannerURL;
extern CProfileFont PreviewFont;
extern Cstring PrinterName;
extern CProfileFont StatusFont;
extern int32_t StdFont;
extern int32_t MouseMode;
extern int32_t MousePosRes;
extern int32_t LogPackets;
extern Cstring OrigCDPath;
extern Cstring OrigMyProjectsPath;
extern int32_t QueryUser;
extern Cstring QueryUserDate;
extern int32_t OpenFileNewDoc;
extern int32_t PaletteVisible;
extern int32_t PointCloseness;
extern int32_t PolyPoints;
extern int32_t PrintFabrics;
extern int32_t SaveToMyDocuments;
extern int32_t SegLength;
extern int32_t ShowMousePos;
extern int32_t ShowWebBanner;
extern int32_t SortByDosName;
extern int32_t Straightness;
extern int32_t SpecialPaint;
extern int32_t TransparentStencils;
extern int32_t UndoCount;
extern int32_t WhatToDoVisible;
extern int32_t WhatToDoAnswer;
extern int32_t WhatToDoShowWizard;
extern int32_t YieldCount;
extern int32_t AllowHelpTips;
extern int32_t NumLayers;
extern int32_t MetricMode;

// Creates and registers one entry per key, in the table's order.
void RegisterProfileKeys();
// Every bound variable to its default; the two lengths are a twentieth of
// theLengthScale.
void SetSettingDefaults(long theLengthScale);
