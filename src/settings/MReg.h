#pragma once
// Window placements: each form's position (and, on request, size) in the
// settings store under application "Skerwind32", one section per form name.
#include <QString>

#include <cstdint>

namespace platform {
class Form;
}

namespace MReg {

// Stores the form's Left and Top, and with bSaveSize its Width and Height.
// Traps and reports its own errors. Writes once for every RegLoadFormPos of
// the form: without a read since the last write (a form closed before its
// stored placement was applied) it leaves the stored placement as it is.
void RegSaveFormPos(platform::Form& frm, bool bSaveSize);

// Applies whatever is stored for the form, each coordinate by itself. Traps
// and reports its own errors; the coordinates applied before a failure stay.
void RegLoadFormPos(platform::Form& frm);

// The value of a stored text: its leading numeric part (optional sign,
// digits, optional point and decimals, optional exponent), zero without
// digits, rounded halves to even to a 32-bit integer; error 6 when it does
// not fit.
int32_t PlacementValue(const QString& sValue);

// The stored text of a coordinate: the decimal form of the single-precision
// number, whole numbers without a point.
QString PlacementText(float fValue);

}  // namespace MReg
