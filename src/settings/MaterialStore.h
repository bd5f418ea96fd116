#pragma once
// The materials table as the settings store keeps it: material n (1 … 10) in section
// "Material<n>" (Nazwa, V, T, Rozgrzew, OpWKacie, KatGr), the selected one as the 0-based
// index `Ostatni` of section Material. The materials window loads its grid with these
// reads; a front end without that window (wirvela-cli) reads the same values here.
#include "settings/MaterialValues.h"

namespace wirvela {

class TParameters;

// Material n (1 … 10) as stored, each number truncated to an integer (registry defaults
// 50, 35, 100, 100, 90 for absent keys, an empty name); n out of range gives an empty record.
MaterialValues ReadMaterial(const TParameters& parameters, int material);

// The selected material, Ostatni (default 0), kept within 0 … 9.
int ReadSelectedMaterial(const TParameters& parameters);

// Stores Ostatni (0-based index; ignored outside 0 … 9).
void StoreSelectedMaterial(TParameters& parameters, int index);

}  // namespace wirvela
