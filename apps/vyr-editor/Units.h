#pragma once
// Unit systems of the editor: every number the editor shows is stored in SI
// units and converted only for display, through the library's unit tables
// (Numinp.h): K and R, Pa and psia, kg/s and lbm/s, N and lbf, W and hp, J/kg
// and Btu/lbm, m2 and in2, g/(kN s) and lbm/(lbf h). Each conversion is a pure
// scale (the imperial temperature is the Rankine), so a value converted to a
// unit and back is the value itself.
//
// Number text is the same in every locale: a point for the decimals, no
// thousands separators, whatever the user's settings (Qt's application object
// sets the C library's locale from the environment, so printf-style
// formatting is not used here).

#include <string>

#include "Numinp.h"

namespace vyr::editor {

/// The unit system the editor shows numbers in.
enum class TUnitSystem { SI, Imperial };

/// The library's unit system of an editor unit system.
vyr::TUnitSystem LibraryUnits(TUnitSystem units);

/// A value stored in SI shown in the unit of quantity type in the system.
double FromSI(TParType type, TUnitSystem units, double si);
/// A value shown in the unit of quantity type in the system, back in SI.
double ToSI(TParType type, TUnitSystem units, double shown);
/// Unit text of a quantity in the system ("psia", "R", "lbm/s"); "" for ptNone.
std::string UnitName(TParType type, TUnitSystem units);
/// Decimals the library's tables give a quantity in the system.
int DefaultDecimals(TParType type, TUnitSystem units);

/// A number with a fixed count of decimals, rounded to nearest; never "-0";
/// "nan", "inf" and "-inf" for values that are no numbers.
std::string FixedText(double value, int decimals);
/// A number with that many significant digits, in fixed notation where that
/// is short and in exponent notation ("1.234e-07") where it is not.
std::string SignificantText(double value, int digits);
/// A number as a table shows it: decimals (negative: decimals of four
/// significant digits), switching to four significant digits where the
/// decimals would round a small value away by more than a tenth of a percent.
std::string NumberText(double value, int decimals);
/// A value stored in SI as a table in the system shows it, without its unit;
/// decimals negative: the library's default decimals of the quantity.
std::string ValueText(TParType type, TUnitSystem units, double si, int decimals = -1);
/// As ValueText, followed by a space and the unit where the quantity has one.
std::string ValueWithUnit(TParType type, TUnitSystem units, double si, int decimals = -1);
/// Parses a number written as NumberText writes it (and any plain decimal
/// or exponent notation), whatever the locale; false for anything else.
bool ParseNumber(const std::string& text, double& value);

}  // namespace vyr::editor
