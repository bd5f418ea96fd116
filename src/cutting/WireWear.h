#pragma once
// The wear counters of the cutting wire (section Ploter): how long and how far it has cut
// (CzasDrutu, minutes; DlugDrutu, metres) and the limits after which it is to be replaced
// (MaxCzasDrutu, MaxDlugDrutu). Start checks them against the estimate of the cut and,
// once it has tried to stream the program, charges them with it.
//
// The check counts what the cutting window shows, not the full stored values: the used
// time in whole minutes (CzasDrutu truncated) and the used length to the centimetre as
// "%5.2f" shows it (MetresAsShown). A stored DlugDrutu of 1.005 counts as 1.00 m (the
// double just below 1.005), 12.345 as 12.35 (the double just above), and a CzasDrutu of
// 2.9 as 120 s.
#include <string>

namespace wirvela {

class TParameters;
struct CutEstimate;

// A length in metres to the centimetre, as MetresText shows it and that text reads back.
double MetresAsShown(double metres);

enum class WearVerdict {
    Fine,
    WouldExceed,  // this cut would take the wire past a limit
    WornOut,      // the wire is already past a limit
};

struct WireWear {
    double minutes = 0;       // CzasDrutu as stored
    double metres = 0;        // DlugDrutu as stored
    double limitMinutes = 0;  // MaxCzasDrutu
    double limitMetres = 0;   // MaxDlugDrutu (the wear check's default, 600)

    static WireWear FromStore(const TParameters& parameters);
    // Takes the limits as the store holds them now, keeping the used values.
    void ReadLimits(const TParameters& parameters);

    // Whole minutes of the used time (truncated, saturated at the int range).
    int WholeMinutes() const;
    // The used time and length as the check counts them, and the time limit in whole seconds.
    double UsedSeconds() const;
    double UsedMetres() const;
    double LimitSeconds() const;

    WearVerdict Check(const CutEstimate& cut) const;
    // The counters after this cut: used time and length as counted plus the estimate.
    WireWear Charged(const CutEstimate& cut) const;
    // Writes the used values to the store (CzasDrutu, DlugDrutu).
    void Store(TParameters& parameters) const;
};

}  // namespace wirvela
