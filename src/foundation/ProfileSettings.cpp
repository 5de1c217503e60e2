#include "foundation/ProfileSettings.h"

#include "foundation/Profile.h"

int32_t AngleIncrement;
int32_t AngleIncrementFlag;
int32_t AngleTolerance;
int32_t AutoSelect;
int32_t AutoSaveTickCount;
int32_t AutoSaveTickLength;
Cstring BaseProgramPath;
int32_t BackupFiles;
int32_t BitmapVisible;
int32_t BitmapsScale;
Cstring CDPath;
int32_t ColorMode;
int32_t ColorSamples;
Cstring Copyright;
int32_t DistanceIncrementFlag;
int32_t DitherMode;
CShortRect DocRect;
int32_t EnableAutoSave;
int32_t FabricScaleInBrowser;
int32_t FastPaint;
CShortRect GlobalLocation;
Cstring LanguageResFileName;
int32_t LayerActiveVisible;
Cstring MyFilesPath;
Cstring MyStuffURL;
Cstring WebBannerURL;
CProfileFont PreviewFont;
Cstring PrinterName;
CProfileFont StatusFont;
int32_t StdFont;
int32_t MouseMode;
int32_t MousePosRes;
int32_t LogPackets;
Cstring OrigCDPath;
Cstring OrigMyProjectsPath;
int32_t QueryUser;
Cstring QueryUserDate;
int32_t OpenFileNewDoc;
int32_t PaletteVisible;
int32_t PointCloseness;
int32_t PolyPoints;
int32_t PrintFabrics;
int32_t SaveToMyDocuments;
int32_t SegLength;
int32_t ShowMousePos;
int32_t ShowWebBanner;
int32_t SortByDosName;
int32_t Straightness;
int32_t SpecialPaint;
int32_t TransparentStencils;
int32_t UndoCount;
int32_t WhatToDoVisible;
int32_t WhatToDoAnswer;
int32_t WhatToDoShowWizard;
int32_t YieldCount;
int32_t AllowHelpTips;
int32_t NumLayers;
int32_t MetricMode;

namespace {

struct ProfileKeyRow {
    int itsGroup;
    const char* itsKey;
    int itsType; // 0 ends the table
    void* itsVariable;
};

// Registration order; the registry puts each new entry in front.
const ProfileKeyRow kProfileKeys[] = {
    { 2, "AngleIncrement", 10, &AngleIncrement },
    { 2, "AngleIncrementFlag", 3, &AngleIncrementFlag },
    { 7, "AngleTolerance", 6, &AngleTolerance },
    { 7, "AutoSelect", 3, &AutoSelect },
    { 0, "AutoSaveTickCount", 3, &AutoSaveTickCount },
    { 0, "AutoSaveTickLength", 3, &AutoSaveTickLength },
    { 0, "BaseProgramPath", 1, &BaseProgramPath },
    { 7, "BackupFiles", 3, &BackupFiles },
    { 26, "BitmapVisible", 3, &BitmapVisible },
    { 7, "BitmapsScale", 3, &BitmapsScale },
    { 7, "CDPath", 1, &CDPath },
    { 31, "ColorMode", 3, &ColorMode },
    { 7, "ColorSamples", 3, &ColorSamples },
    { 0, "Copyright", 1, &Copyright },
    { 2, "DistanceIncrementFlag", 3, &DistanceIncrementFlag },
    { 7, "DitherMode", 3, &DitherMode },
    { 26, "DocRect", 8, &DocRect },
    { 0, "EnableAutoSave", 3, &EnableAutoSave },
    { 7, "FabricScaleInBrowser", 3, &FabricScaleInBrowser },
    { 7, "FastPaint", 3, &FastPaint },
    { 26, "GlobalLocation", 8, &GlobalLocation },
    { 7, "LanguageResFileName", 1, &LanguageResFileName },
    { 7, "LayerActiveVisible", 3, &LayerActiveVisible },
    { 6, "MyFilesPath", 1, &MyFilesPath },
    { 0, "MyStuffURL", 1, &MyStuffURL },
    { 0, "WebBannerURL", 1, &WebBannerURL },
    { 0, "PreviewFont", 21, &PreviewFont },
    { 29, "PrinterName", 1, &PrinterName },
    { 0, "StatusFont", 21, &StatusFont },
    { 7, "StdFont", 3, &StdFont },
    { 7, "MouseMode", 3, &MouseMode },
    { 0, "MousePosRes", 3, &MousePosRes },
    { 0, "LogPackets", 3, &LogPackets },
    { 34, "OrigCDPath", 1, &OrigCDPath },
    { 34, "OrigMyProjectsPath", 1, &OrigMyProjectsPath },
    { 39, "QueryUser", 3, &QueryUser },
    { 39, "QueryUserDate", 1, &QueryUserDate },
    { 7, "OpenFileNewDoc", 3, &OpenFileNewDoc },
    { 26, "PaletteVisible", 3, &PaletteVisible },
    { 7, "PointCloseness", 6, &PointCloseness },
    { 0, "PolyPoints", 3, &PolyPoints },
    { 7, "PrintFabrics", 3, &PrintFabrics },
    { 7, "SaveToMyDocuments", 3, &SaveToMyDocuments },
    { 7, "SegLength", 6, &SegLength },
    { 7, "ShowMousePos", 3, &ShowMousePos },
    { 7, "ShowWebBanner", 3, &ShowWebBanner },
    { 0, "SortByDosName", 3, &SortByDosName },
    { 7, "Straightness", 6, &Straightness },
    { 7, "SpecialPaint", 3, &SpecialPaint },
    { 7, "TransparentStencils", 3, &TransparentStencils },
    { 0, "UndoCount", 3, &UndoCount },
    { 30, "WhatToDoVisible", 3, &WhatToDoVisible },
    { 30, "WhatToDoAnswer", 3, &WhatToDoAnswer },
    { 30, "WhatToDoShowWizard", 3, &WhatToDoShowWizard },
    { 0, "YieldCount", 3, &YieldCount },
    { 33, "AllowHelpTips", 3, &AllowHelpTips },
    { 0, nullptr, 0, nullptr },
};

void SetFont(CProfileFont& theFont, const char* theName, int theStyle, int theSize)
{
    theFont.name = theName;
    theFont.style = static_cast<int16_t>(theStyle);
    theFont.size = static_cast<int16_t>(theSize);
}

} // namespace

void RegisterProfileKeys()
{
    for (const ProfileKeyRow* row = kProfileKeys; row->itsType != 0; ++row)
        RegisterEntry(MakeProfileEntry(row->itsType, row->itsGroup, row->itsKey, row->itsVariable));
    RegisterEntry(MakeProfileEntry(kProfileInt, 7, "NumLayers", &NumLayers));
    RegisterEntry(MakeProfileEntry(kProfileInt, 7, "MetricMode", &MetricMode));
}

void SetSettingDefaults(long theLengthScale)
{
    // The program folder is found by start-up once the defaults are set.
    AngleIncrement = 500;
    AngleIncrementFlag = 0;
    AngleTolerance = 50;
    AutoSelect = 0;
    AutoSaveTickCount = 6;
    AutoSaveTickLength = 10000;
    BaseProgramPath = "";
    BackupFiles = 1;
    BitmapVisible = 0;
    BitmapsScale = 0;
    CDPath = "";
    ColorMode = 0;
    ColorSamples = 1;
    Copyright = "";
    DistanceIncrementFlag = 0;
    DitherMode = 0;
    DocRect = CShortRect();
    EnableAutoSave = 1;
    FabricScaleInBrowser = 0;
    FastPaint = 1;
    GlobalLocation = CShortRect();
    LanguageResFileName = "";
    LayerActiveVisible = 1;
    MyFilesPath = "";
    MyStuffURL = "";
    WebBannerURL = "";
    SetFont(PreviewFont, "Helv", 0, 10);
    PrinterName = "";
    SetFont(StatusFont, "Helv", 0, 10);
    StdFont = 0;
    MouseMode = 1;
    MousePosRes = 0;
    LogPackets = 0;
    OrigCDPath = "";
    OrigMyProjectsPath = "";
    QueryUser = 1;
    QueryUserDate = "";
    OpenFileNewDoc = 1;
    PaletteVisible = 1;
    PointCloseness = static_cast<int32_t>(theLengthScale / 20);
    PolyPoints = 200;
    PrintFabrics = 0;
    SaveToMyDocuments = 1;
    SegLength = static_cast<int32_t>(theLengthScale / 20);
    ShowMousePos = 1;
    ShowWebBanner = 0;
    SortByDosName = 1;
    Straightness = 50;
    SpecialPaint = 0;
    TransparentStencils = 1;
    UndoCount = 10;
    WhatToDoVisible = 1;
    WhatToDoAnswer = 0;
    WhatToDoShowWizard = 0;
    YieldCount = 100;
    AllowHelpTips = 1;
    NumLayers = 0;
    MetricMode = 0;
}
