// Copying of the ambient record to and from a row of ten numeric fields.
//
// The fields pair with the record as F1 Zp, F2 dTs, F3 Ps, F4 Ts, F5 Rho,
// F6 Pt, F7 Tt, F8 Mach, F9 Vt, F10 Vc: Mach comes before the two airspeeds
// here, unlike in the record. A null field is skipped.
#pragma once

#include "FlightConditions.h"
#include "Numinpkq.h"
#include "VyrUiExport.h"

namespace vyr {

/// Writes each value of amb into its field through SetValue (SI units).
VYR_UI_API void SetFields(const TAmbConditions& amb, TNumFld* F1, TNumFld* F2, TNumFld* F3, TNumFld* F4, TNumFld* F5,
                          TNumFld* F6, TNumFld* F7, TNumFld* F8, TNumFld* F9, TNumFld* F10);

/// Reads each field into amb; values of null fields stay. Text still typed in
/// a field is taken over first (CommitEdit); a refused entry leaves the
/// field's value, which is what is read.
VYR_UI_API void GetFields(TAmbConditions& amb, TNumFld* F1, TNumFld* F2, TNumFld* F3, TNumFld* F4, TNumFld* F5,
                          TNumFld* F6, TNumFld* F7, TNumFld* F8, TNumFld* F9, TNumFld* F10);

}  // namespace vyr
