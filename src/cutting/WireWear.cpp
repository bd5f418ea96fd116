#include "cutting/WireWear.h"

#include <cmath>

#include "config/NumberText.h"
#include "config/Parameters.h"
#include "config/Settings.h"
#include "cutting/CutSetup.h"

namespace wirvela {

double MetresAsShown(double metres) {
    // Through the text itself: printf rounds the exact binary value (0.125 gives 0.12),
    // and a value printf cannot show as a number (inf) reads back as 0.
    return DecimalPrefixWithCommas(MetresText(metres));
}

WireWear WireWear::FromStore(const TParameters& parameters) {
    WireWear wear;
    wear.minutes = parameters.GetNumber(settings::kCzasDrutu);
    wear.metres = parameters.GetNumber(settings::kDlugDrutu);
    wear.ReadLimits(parameters);
    return wear;
}

void WireWear::ReadLimits(const TParameters& parameters) {
    limitMinutes = parameters.GetNumber(settings::kMaxCzasDrutu);
    limitMetres = parameters.GetNumber(settings::kMaxDlugDrutu);
}

int WireWear::WholeMinutes() const {
    return TruncatedInt(minutes);
}

double WireWear::UsedSeconds() const {
    return static_cast<double>(WholeMinutes()) * 60;
}

double WireWear::UsedMetres() const {
    return MetresAsShown(metres);
}

double WireWear::LimitSeconds() const {
    return std::trunc(limitMinutes * 60);
}

WearVerdict WireWear::Check(const CutEstimate& cut) const {
    const double usedTime = UsedSeconds();
    const double usedLength = UsedMetres();
    const double limitTime = LimitSeconds();
    if (usedTime > limitTime || usedLength > limitMetres) return WearVerdict::WornOut;
    if (usedTime + cut.seconds > limitTime || usedLength + cut.lengthMetres > limitMetres) {
        return WearVerdict::WouldExceed;
    }
    return WearVerdict::Fine;
}

WireWear WireWear::Charged(const CutEstimate& cut) const {
    WireWear charged = *this;
    charged.minutes = (UsedSeconds() + cut.seconds) / 60;
    charged.metres = UsedMetres() + cut.lengthMetres;
    return charged;
}

void WireWear::Store(TParameters& parameters) const {
    parameters.SetText(settings::kCzasDrutu, NumberToText(minutes));
    parameters.SetText(settings::kDlugDrutu, NumberToText(metres));
}

}  // namespace wirvela
