#pragma once
// Every key of wirvela.ini, each once: its section, the kind of value, the default a
// reader gets when the file lacks it, and the range of sensible values. Code reads and
// writes settings through these descriptors (TParameters::GetNumber(settings::kX) and
// friends), never by spelling a section or key name.
//
// A few keys have always been read with different defaults at different places; such a
// key carries both, each as a named SettingDefault saying where it applies, and those
// places pass the named one. Their values must not be unified without checking what
// each place does with a missing key.
//
// The limits are physical domains. `param set` and the parameter editor refuse a value
// outside them (config/SettingCheck.h); a run checks the values it is about to use. The
// readers themselves read a value as it stands, except the link settings of [RSparam],
// which the link has always clamped into these ranges.
#include <span>
#include <string>
#include <vector>

#include "config/SettingKey.h"

namespace wirvela::settings {

inline constexpr std::string_view kPloter = "Ploter";
inline constexpr std::string_view kParamsLimits = "ParamsLimits";
inline constexpr std::string_view kVelocityLimits = "VelocityLimits";
inline constexpr std::string_view kMaterial = "Material";
inline constexpr std::string_view kRSparam = "RSparam";
inline constexpr std::string_view kPilot = "Pilot";
inline constexpr std::string_view kDebug = "Debug";
inline constexpr std::string_view kTesting = "Testing";
inline constexpr std::string_view kLastParameters = "LastParameters";
inline constexpr std::string_view kDrawings = "Drawings";
inline constexpr std::string_view kKolory = "kolory";
inline constexpr std::string_view k3D = "3D";
inline constexpr std::string_view k3DRaw = "3D_raw";

inline constexpr SettingLimits kNonNegative = AtLeast(0);
inline constexpr SettingLimits kPositive = Above(0);
inline constexpr SettingLimits kPercent = Between(0, 100);
inline constexpr SettingLimits kHalfTurnDegrees = Between(0, 180);
inline constexpr SettingLimits kColourValue = Between(0, 0xFFFFFF);  // 0x00BBGGRR
inline constexpr SettingLimits kUint16 = Between(0, 0xFFFF);
inline constexpr SettingLimits kLinkMilliseconds = Between(0, 3600000);

// ---- [Ploter]: machine and program -------------------------------------------------------

// SkalaHPGL, mm per drawing unit: the drawing loader, the DXF reader and the main window's
// drawing settings read 0.025 (the HP-GL unit); the motion timing reads 1.0.
inline constexpr SettingDefault kSkalaHPGLForDrawings = NumberFor(0.025, "the drawing loader and readers");
inline constexpr SettingDefault kSkalaHPGLForMotion = NumberFor(1.0, "the motion timing");
inline constexpr SettingKey kSkalaHPGL =
    Number(kPloter, "SkalaHPGL", kSkalaHPGLForDrawings, kPositive, kSkalaHPGLForMotion);
inline constexpr SettingKey kSkalaDXF = Number(kPloter, "SkalaDXF", 0.4, kPositive);
inline constexpr SettingKey kDXFapprox_err = Number(kPloter, "DXFapprox_err", 1.0, kPositive);     // motor steps
inline constexpr SettingKey kPointAperture = Number(kPloter, "PointAperture", 0.1, kNonNegative);  // mm
inline constexpr SettingKey kSnapGridSize = Number(kPloter, "SnapGridSize", 0.025, kNonNegative);  // mm, 0 = none
inline constexpr SettingKey kWejscieX = Number(kPloter, "WejscieX", 0, Any());                     // entry point, mm
inline constexpr SettingKey kWejscieY = Number(kPloter, "WejscieY", 0, Any());
inline constexpr SettingKey kCone = Flag(kPloter, "Cone", 0);  // two-figure mode
inline constexpr SettingKey kConModif = Flag(kPloter, "ConModif", 0);
inline constexpr SettingKey kCrossingTest = Flag(kPloter, "CrossingTest", 0);
// Read straight from the file by the path search, not through the store.
inline constexpr SettingKey kTestDuplicates = Flag(kPloter, "TestDuplicates", 1);
inline constexpr SettingKey kPloterDebug = Flag(kPloter, "Debug", 0);
inline constexpr SettingKey kCzasWiniety = Integer(kPloter, "CzasWiniety", 4000, kNonNegative);  // splash, ms
inline constexpr SettingKey kDefaultSimulationSpeed = Integer(kPloter, "DefaultSimulationSpeed", 200, Between(0, 500));
inline constexpr SettingKey kDefDelay = Integer(kPloter, "DefDelay", 100, kNonNegative);  // ms
inline constexpr SettingKey kDefAlphaBounds = Integer(kPloter, "DefAlphaBounds", 90, kHalfTurnDegrees);
inline constexpr SettingKey kDefHeating = Integer(kPloter, "DefHeating", 100, kNonNegative);  // ms
inline constexpr SettingKey kDefTemp = Integer(kPloter, "DefTemp", 35, kPercent);
inline constexpr SettingKey kDefPhases = Integer(kPloter, "DefPhases", 10, kNonNegative);
inline constexpr SettingKey kDefVelocity = Number(kPloter, "DefVelocity", 10, kNonNegative);    // cm/min
inline constexpr SettingKey kDefRotVelocity = Integer(kPloter, "DefRotVelocity", 10, kUint16);  // ms per table step
// StepsPer360, table steps per turn: the manual-control window's machine constants and
// the cutting window's rotary cut read 100; the manual-control window's turn command 1000.
inline constexpr SettingDefault kStepsPer360ForMachine = NumberFor(100, "the machine constants and the rotary cut");
inline constexpr SettingDefault kStepsPer360ForTurn = NumberFor(1000, "the manual table turn");
inline constexpr SettingKey kStepsPer360 =
    Number(kPloter, "StepsPer360", kStepsPer360ForMachine, kPositive, kStepsPer360ForTurn);
inline constexpr SettingKey kMmPerStep = Number(kPloter, "mmPerStep", 1.0, kPositive);
inline constexpr SettingKey kManualScaling = Number(kPloter, "manualScaling", 1.0, kPositive);
inline constexpr SettingKey kImperial = Flag(kPloter, "Imperial", 0);
inline constexpr SettingKey kDefaultV2 = Integer(kPloter, "DefaultV2", 100, kNonNegative);  // cm/min
inline constexpr SettingKey kHold = Flag(kPloter, "Hold", 0);
inline constexpr SettingKey kCzasDrutu = Number(kPloter, "CzasDrutu", 0, kNonNegative);          // minutes
inline constexpr SettingKey kDlugDrutu = Number(kPloter, "DlugDrutu", 0, kNonNegative);          // metres
inline constexpr SettingKey kMaxCzasDrutu = Number(kPloter, "MaxCzasDrutu", 600, kNonNegative);  // minutes
// MaxDlugDrutu, metres: the wear check at Start reads 600; the cutting window shows 100.
inline constexpr SettingDefault kMaxDlugDrutuForWearCheck = NumberFor(600, "the wear check at Start");
inline constexpr SettingDefault kMaxDlugDrutuShown = NumberFor(100, "the cutting window's wear display");
inline constexpr SettingKey kMaxDlugDrutu =
    Number(kPloter, "MaxDlugDrutu", kMaxDlugDrutuForWearCheck, kNonNegative, kMaxDlugDrutuShown);
inline constexpr SettingKey kStopWhenOtherFigureStops = Flag(kPloter, "StopWhenOtherFigureStops", 0);
inline constexpr SettingKey kXaxisDir = Integer(kPloter, "XaxisDir", 1, Between(-1, 1));
inline constexpr SettingKey kYaxisDir = Integer(kPloter, "YaxisDir", 1, Between(-1, 1));
inline constexpr SettingKey kMultiwire = Text(kPloter, "Multiwire", "N");  // V, H or N

// ---- [ParamsLimits]: bounds of values the operator or the pendant enters ------------------

inline constexpr SettingKey kVxyMin = Integer(kParamsLimits, "VxyMin", 4, kNonNegative);  // cm/min
inline constexpr SettingKey kVxyMax = Integer(kParamsLimits, "VxyMax", 60, kNonNegative);
inline constexpr SettingKey kVxyManMin = Integer(kParamsLimits, "VxyManMin", 4, kNonNegative);
// VxyManMax, cm/min: 60 like VxyMax for the pendant; the manual-control window's speed
// bar reads 4000.
inline constexpr SettingDefault kVxyManMaxForPendant = NumberFor(60, "the pendant's speed limits");
inline constexpr SettingDefault kVxyManMaxForManualBar = NumberFor(4000, "the manual-control window's speed bar");
inline constexpr SettingKey kVxyManMax =
    Integer(kParamsLimits, "VxyManMax", kVxyManMaxForPendant, kNonNegative, kVxyManMaxForManualBar);
inline constexpr SettingKey kTempMin = Integer(kParamsLimits, "TempMin", 1, kPercent);
inline constexpr SettingKey kTempMax = Integer(kParamsLimits, "TempMax", 100, kPercent);
inline constexpr SettingKey kHeatingTimeMin = Integer(kParamsLimits, "HeatingTimeMin", 1, kNonNegative);  // ms
inline constexpr SettingKey kHeatingTimeMax = Integer(kParamsLimits, "HeatingTimeMax", 10000, kNonNegative);
inline constexpr SettingKey kPauseMin = Integer(kParamsLimits, "PauseMin", 1, kNonNegative);  // ms
inline constexpr SettingKey kPauseMax = Integer(kParamsLimits, "PauseMax", 10000, kNonNegative);
inline constexpr SettingKey kAlphaBoundsMin = Integer(kParamsLimits, "AlphaBoundsMin", 0, kHalfTurnDegrees);
inline constexpr SettingKey kAlphaBoundsMax = Integer(kParamsLimits, "AlphaBoundsMax", 180, kHalfTurnDegrees);

// ---- [VelocityLimits]: reported by the pendant, written only ------------------------------

inline constexpr SettingKey kVfmin = Number(kVelocityLimits, "Vfmin", 0, kNonNegative);  // cm/min
inline constexpr SettingKey kVfmax = Number(kVelocityLimits, "Vfmax", 0, kNonNegative);
inline constexpr SettingKey kVmaxmin = Number(kVelocityLimits, "Vmaxmin", 0, kNonNegative);
inline constexpr SettingKey kVmaxmax = Number(kVelocityLimits, "Vmaxmax", 0, kNonNegative);

// ---- [Material] and the materials Material1 … Material10 ---------------------------------

inline constexpr int kMaterialSections = 10;
inline constexpr SettingKey kOstatni = Integer(kMaterial, "Ostatni", 0, Between(0, kMaterialSections - 1));
inline constexpr SettingKey kMaterialNazwa = InNumberedSections(Text(kMaterial, "Nazwa", ""), kMaterialSections);
inline constexpr SettingKey kMaterialV =
    InNumberedSections(Integer(kMaterial, "V", 50, kPositive), kMaterialSections);  // cm/min
inline constexpr SettingKey kMaterialT =
    InNumberedSections(Integer(kMaterial, "T", 35, kPercent), kMaterialSections);  // heating
inline constexpr SettingKey kMaterialRozgrzew =
    InNumberedSections(Integer(kMaterial, "Rozgrzew", 100, kNonNegative), kMaterialSections);  // ms
inline constexpr SettingKey kMaterialOpWKacie =
    InNumberedSections(Integer(kMaterial, "OpWKacie", 100, kNonNegative), kMaterialSections);  // ms
inline constexpr SettingKey kMaterialKatGr =
    InNumberedSections(Integer(kMaterial, "KatGr", 90, kHalfTurnDegrees), kMaterialSections);

// ---- [RSparam]: the controller link -------------------------------------------------------

inline constexpr SettingKey kVID = Integer(kRSparam, "VID", 1027, kUint16);   // 0x0403
inline constexpr SettingKey kPID = Integer(kRSparam, "PID", 24592, kUint16);  // 0x6010
inline constexpr SettingKey kSerialNo = Text(kRSparam, "SerialNo", "00000000");
// COM, the port name: the main window's check for a changed port reads "COM1"; the link
// start-up's open-failure message shows "?".
inline constexpr SettingDefault kCOMForMainWindow = TextFor("COM1", "the main window's port change check");
inline constexpr SettingDefault kCOMForLinkFailure = TextFor("?", "the link's open-failure message");
inline constexpr SettingKey kCOM = Text(kRSparam, "COM", kCOMForMainWindow, kCOMForLinkFailure);
// The link clamps the next seven into their limits when it reads them.
inline constexpr SettingKey kBaudDivisor = Integer(kRSparam, "BaudDivisor", 1, kUint16);
inline constexpr SettingKey kLatency = Integer(kRSparam, "Latency", 2, Between(0, 0xFF));  // ms
inline constexpr SettingKey kTimeoutRX = Integer(kRSparam, "TimeoutRX", 10, kLinkMilliseconds);
inline constexpr SettingKey kTimeoutTX = Integer(kRSparam, "TimeoutTX", 10, kLinkMilliseconds);
inline constexpr SettingKey kInterCharDelay = Integer(kRSparam, "InterCharDelay", 2, Between(0, 60000));      // ms
inline constexpr SettingKey kWRpacketSize = Integer(kRSparam, "WRpacketSize", 1000, Between(1, 2147483647));  // bytes
inline constexpr SettingKey kWaitSynchMutexTimeout = Integer(kRSparam, "WaitSynchMutexTimeout", 100, kLinkMilliseconds);
inline constexpr SettingKey kBuffered = Flag(kRSparam, "Buffered", 0);
inline constexpr SettingKey kDebugRS = Flag(kRSparam, "DebugRS", 0);

// ---- [Pilot]: the handheld pendant --------------------------------------------------------

inline constexpr SettingKey kPilotPort = Text(kPilot, "PilotPort", "Com1");
inline constexpr SettingKey kPilotAutoSearch = Flag(kPilot, "PilotAutoSearch", 1);
inline constexpr SettingKey kPilotConnect = Flag(kPilot, "PilotConnect", 0);
inline constexpr SettingKey kRspTimeout = Integer(kPilot, "RspTimeout", 2000, kNonNegative);  // ms
inline constexpr SettingKey kComDelay = Integer(kPilot, "ComDelay", 100, kNonNegative);
inline constexpr SettingKey kWaitAfterCreated = Integer(kPilot, "WaitAfterCreated", 500, kNonNegative);
inline constexpr SettingKey kWaitAfterConnected = Integer(kPilot, "WaitAfterConnected", 2000, kNonNegative);
inline constexpr SettingKey kWorkspace = Text(kPilot, "Workspace", "");

// ---- [Debug], [Testing]: logs and versions ------------------------------------------------

inline constexpr SettingKey kDebugMemo = Flag(kDebug, "DebugMemo", 0);
inline constexpr SettingKey kDebugFile = Flag(kDebug, "DebugFile", 0);
inline constexpr SettingKey kDebugFlush = Flag(kDebug, "DebugFlush", 0);
inline constexpr SettingKey kDebugLogEnabled = Flag(kTesting, "DebugLogEnabled", 0);
inline constexpr SettingKey kDebugLogTimeStamp = Flag(kTesting, "DebugLogTimeStamp", 0);
inline constexpr SettingKey kSOFTWAREversion = Text(kTesting, "SOFTWAREversion", "");
inline constexpr SettingKey kFIRMWAREversion = Text(kTesting, "FIRMWAREversion", "");

// ---- [LastParameters]: the dialogs' last choices ------------------------------------------

inline constexpr SettingKey kFileOpenExt = Integer(kLastParameters, "FileOpenExt", 1, AtLeast(1));  // 1 = first type
inline constexpr SettingKey kFileSaveExt = Integer(kLastParameters, "FileSaveExt", 1, AtLeast(1));
inline constexpr SettingKey kFrameType = Integer(kLastParameters, "FrameType", 0, Between(0, 1));
inline constexpr SettingKey kFrameSizeType = Integer(kLastParameters, "FrameSizeType", 0, Between(0, 1));

// ---- [Drawings] ---------------------------------------------------------------------------

// SkalaHPGL, mm per drawing unit: the drawing view's mouse read-out reads 0.025; the
// painter's size scale reads 1.0.
inline constexpr SettingDefault kDrawingsSkalaHPGLForReadout = NumberFor(0.025, "the mouse position read-out");
inline constexpr SettingDefault kDrawingsSkalaHPGLForPainter = NumberFor(1.0, "the painter's size scale");
inline constexpr SettingKey kDrawingsSkalaHPGL =
    Number(kDrawings, "SkalaHPGL", kDrawingsSkalaHPGLForReadout, kPositive, kDrawingsSkalaHPGLForPainter);

// ---- [kolory]: drawing colours ------------------------------------------------------------

// Every colour: the drawing painter and the simulation read 0 (black); the colours
// dialog reads the colour it offers for a fresh file.
inline constexpr SettingDefault kColourForPainters = NumberFor(0, "the drawing painter and the simulation");
inline constexpr SettingDefault kColoursDialogBlack = NumberFor(0, "the colours dialog");
inline constexpr SettingDefault kColoursDialogBlue = NumberFor(16711680, "the colours dialog");
inline constexpr SettingDefault kColoursDialogWhite = NumberFor(16777215, "the colours dialog");
inline constexpr SettingDefault kColoursDialogYellow = NumberFor(65535, "the colours dialog");
inline constexpr SettingDefault kColoursDialogRed = NumberFor(255, "the colours dialog");
inline constexpr SettingDefault kColoursDialogDarkGreen = NumberFor(32768, "the colours dialog");

constexpr SettingKey DrawingColour(std::string_view key, SettingDefault dialog) {
    return Integer(kKolory, key, kColourForPainters, kColourValue, dialog);
}

inline constexpr SettingKey kTlo = DrawingColour("tlo", kColoursDialogBlack);
inline constexpr SettingKey kObiekty = DrawingColour("obiekty", kColoursDialogBlue);
inline constexpr SettingKey kLinie_laczace = DrawingColour("linie_laczace", kColoursDialogWhite);
inline constexpr SettingKey kLinia_1_ciecia = DrawingColour("linia_1_ciecia", kColoursDialogYellow);
inline constexpr SettingKey kLinia_2_ciecia = DrawingColour("linia_2_ciecia", kColoursDialogRed);
inline constexpr SettingKey kKolor_szybkosc_2 = DrawingColour("kolor_szybkosc_2", kColoursDialogDarkGreen);
inline constexpr SettingKey kObiekty_2 = DrawingColour("obiekty_2", kColoursDialogBlue);
inline constexpr SettingKey kLinie_laczace_2 = DrawingColour("linie_laczace_2", kColoursDialogWhite);
inline constexpr SettingKey kLinia_1_ciecia_2 = DrawingColour("linia_1_ciecia_2", kColoursDialogYellow);
inline constexpr SettingKey kLinia_2_ciecia_2 = DrawingColour("linia_2_ciecia_2", kColoursDialogRed);
inline constexpr SettingKey kKolor_szybkosc_2_2 = DrawingColour("kolor_szybkosc_2_2", kColoursDialogDarkGreen);
inline constexpr SettingKey kNiepoprawny_wezel_jednoczesnosci =
    DrawingColour("niepoprawny_wezel_jednoczesnosci", kColoursDialogDarkGreen);
inline constexpr SettingKey kKolor_linii_segmentow = DrawingColour("kolor_linii_segmentow", kColoursDialogDarkGreen);

// ---- [3D]: the 3-D project viewer ---------------------------------------------------------

inline constexpr SettingKey kMaly_skok = Number(k3D, "maly_skok", 2, Any());  // degrees
inline constexpr SettingKey kDuzy_skok = Number(k3D, "duzy_skok", 20, Any());
inline constexpr SettingKey kCzasy = Integer(k3D, "czasy", 20, kNonNegative);  // 0 hides the timing labels
inline constexpr SettingKey k3DScale = Number(k3D, "scale", 1000, kPositive);  // normalising radius
inline constexpr SettingKey kDfi = Number(k3D, "dfi", 1, Any());               // degrees per tick
inline constexpr SettingKey kBryla = Flag(k3D, "bryla", 0);
inline constexpr SettingKey kK_dlug = Number(k3D, "K_dlug", -75, Any());            // camera longitude, degrees
inline constexpr SettingKey kK_szer = Number(k3D, "K_szer", 20, Between(-90, 90));  // latitude, degrees
inline constexpr SettingKey kK_prom = Number(k3D, "K_prom", 12, kPositive);         // distance, model radii
inline constexpr SettingKey kL1_x = Number(k3D, "L1_x", 3, Any());                  // light positions, model radii
inline constexpr SettingKey kL1_y = Number(k3D, "L1_y", 3, Any());
inline constexpr SettingKey kL1_z = Number(k3D, "L1_z", 3, Any());
inline constexpr SettingKey kL2_x = Number(k3D, "L2_x", -4, Any());
inline constexpr SettingKey kL2_y = Number(k3D, "L2_y", -6, Any());
inline constexpr SettingKey kL2_z = Number(k3D, "L2_z", 3, Any());
inline constexpr SettingKey kL1_amb = Integer(k3D, "L1_amb", 0, kColourValue);
inline constexpr SettingKey kL1_dif = Integer(k3D, "L1_dif", 0, kColourValue);
inline constexpr SettingKey kL1_spe = Integer(k3D, "L1_spe", 0, kColourValue);
inline constexpr SettingKey kL2_amb = Integer(k3D, "L2_amb", 0, kColourValue);
inline constexpr SettingKey kL2_dif = Integer(k3D, "L2_dif", 0, kColourValue);
inline constexpr SettingKey kL2_spe = Integer(k3D, "L2_spe", 0, kColourValue);
inline constexpr SettingKey kM_col = Integer(k3D, "M_col", 0, kColourValue);
inline constexpr SettingKey kM_dif = Integer(k3D, "M_dif", 0, kColourValue);
inline constexpr SettingKey kM_spe = Integer(k3D, "M_spe", 0, kColourValue);
inline constexpr SettingKey kBG_kol = Integer(k3D, "BG_kol", 0, kColourValue);

// ---- [3D_raw]: 3-D model import and profile generation ------------------------------------

inline constexpr SettingKey k3DRawScale = Number(k3DRaw, "Scale", 1.0, kPositive);          // mm per model unit
inline constexpr SettingKey kBaseOffset = Number(k3DRaw, "BaseOffset", 0.1, kNonNegative);  // mm
inline constexpr SettingKey kTollPktSnapToLine = Number(k3DRaw, "TollPktSnapToLine", 0.5, kNonNegative);  // mm
inline constexpr SettingKey kSnapToLine2nd = Flag(k3DRaw, "SnapToLine2nd", 1);

// Every descriptor above, in file order, for the parameter editor and the tests.
std::span<const SettingKey* const> All();

// Section n (1 … key.numberedSections) of a key that stands in numbered sections.
std::string NumberedSection(const SettingKey& key, int n);
// Every section the key stands in: its own, or each of its numbered ones.
std::vector<std::string> SectionsOf(const SettingKey& key);
// The section of material n (1 … kMaterialSections): "Material1" … "Material10".
std::string MaterialSection(int n);

}  // namespace wirvela::settings
