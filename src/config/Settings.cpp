#include "config/Settings.h"

#include <array>

namespace wirvela::settings {

namespace {

constexpr std::array kAll{
    &kSkalaHPGL,
    &kSkalaDXF,
    &kDXFapprox_err,
    &kPointAperture,
    &kSnapGridSize,
    &kWejscieX,
    &kWejscieY,
    &kCone,
    &kConModif,
    &kCrossingTest,
    &kTestDuplicates,
    &kPloterDebug,
    &kCzasWiniety,
    &kDefaultSimulationSpeed,
    &kDefDelay,
    &kDefAlphaBounds,
    &kDefHeating,
    &kDefTemp,
    &kDefPhases,
    &kDefVelocity,
    &kDefRotVelocity,
    &kStepsPer360,
    &kMmPerStep,
    &kManualScaling,
    &kImperial,
    &kDefaultV2,
    &kHold,
    &kCzasDrutu,
    &kDlugDrutu,
    &kMaxCzasDrutu,
    &kMaxDlugDrutu,
    &kStopWhenOtherFigureStops,
    &kXaxisDir,
    &kYaxisDir,
    &kMultiwire,

    &kVxyMin,
    &kVxyMax,
    &kVxyManMin,
    &kVxyManMax,
    &kTempMin,
    &kTempMax,
    &kHeatingTimeMin,
    &kHeatingTimeMax,
    &kPauseMin,
    &kPauseMax,
    &kAlphaBoundsMin,
    &kAlphaBoundsMax,

    &kVfmin,
    &kVfmax,
    &kVmaxmin,
    &kVmaxmax,

    &kOstatni,
    &kMaterialNazwa,
    &kMaterialV,
    &kMaterialT,
    &kMaterialRozgrzew,
    &kMaterialOpWKacie,
    &kMaterialKatGr,

    &kVID,
    &kPID,
    &kSerialNo,
    &kCOM,
    &kBaudDivisor,
    &kLatency,
    &kTimeoutRX,
    &kTimeoutTX,
    &kInterCharDelay,
    &kWRpacketSize,
    &kWaitSynchMutexTimeout,
    &kBuffered,
    &kDebugRS,

    &kPilotPort,
    &kPilotAutoSearch,
    &kPilotConnect,
    &kRspTimeout,
    &kComDelay,
    &kWaitAfterCreated,
    &kWaitAfterConnected,
    &kWorkspace,

    &kDebugMemo,
    &kDebugFile,
    &kDebugFlush,
    &kDebugLogEnabled,
    &kDebugLogTimeStamp,
    &kSOFTWAREversion,
    &kFIRMWAREversion,

    &kFileOpenExt,
    &kFileSaveExt,
    &kFrameType,
    &kFrameSizeType,

    &kDrawingsSkalaHPGL,

    &kTlo,
    &kObiekty,
    &kLinie_laczace,
    &kLinia_1_ciecia,
    &kLinia_2_ciecia,
    &kKolor_szybkosc_2,
    &kObiekty_2,
    &kLinie_laczace_2,
    &kLinia_1_ciecia_2,
    &kLinia_2_ciecia_2,
    &kKolor_szybkosc_2_2,
    &kNiepoprawny_wezel_jednoczesnosci,
    &kKolor_linii_segmentow,

    &kMaly_skok,
    &kDuzy_skok,
    &kCzasy,
    &k3DScale,
    &kDfi,
    &kBryla,
    &kK_dlug,
    &kK_szer,
    &kK_prom,
    &kL1_x,
    &kL1_y,
    &kL1_z,
    &kL2_x,
    &kL2_y,
    &kL2_z,
    &kL1_amb,
    &kL1_dif,
    &kL1_spe,
    &kL2_amb,
    &kL2_dif,
    &kL2_spe,
    &kM_col,
    &kM_dif,
    &kM_spe,
    &kBG_kol,

    &k3DRawScale,
    &kBaseOffset,
    &kTollPktSnapToLine,
    &kSnapToLine2nd,
};

}  // namespace

std::span<const SettingKey* const> All() {
    return kAll;
}

std::string NumberedSection(const SettingKey& key, int n) {
    return std::string(key.section) + std::to_string(n);
}

std::vector<std::string> SectionsOf(const SettingKey& key) {
    if (key.numberedSections == 0) return {std::string(key.section)};
    std::vector<std::string> sections;
    for (int n = 1; n <= key.numberedSections; ++n) sections.push_back(NumberedSection(key, n));
    return sections;
}

std::string MaterialSection(int n) {
    return NumberedSection(kMaterialNazwa, n);
}

}  // namespace wirvela::settings
