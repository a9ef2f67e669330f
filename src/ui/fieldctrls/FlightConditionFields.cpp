#include "FlightConditionFields.h"

#include <array>
#include <utility>

namespace vyr {

namespace {

// The record's members in field order F1 ... F10.
constexpr std::array<double TAmbConditions::*, 10> kFieldOrder{
    &TAmbConditions::Zp, &TAmbConditions::dTs, &TAmbConditions::Ps,   &TAmbConditions::Ts, &TAmbConditions::Rho,
    &TAmbConditions::Pt, &TAmbConditions::Tt,  &TAmbConditions::Mach, &TAmbConditions::Vt, &TAmbConditions::Vc};

}  // namespace

void SetFields(const TAmbConditions& amb, TNumFld* F1, TNumFld* F2, TNumFld* F3, TNumFld* F4, TNumFld* F5,
               TNumFld* F6, TNumFld* F7, TNumFld* F8, TNumFld* F9, TNumFld* F10) {
  const std::array<TNumFld*, 10> fields{F1, F2, F3, F4, F5, F6, F7, F8, F9, F10};
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (fields[i] != nullptr) fields[i]->SetValue(amb.*kFieldOrder[i]);
}

void GetFields(TAmbConditions& amb, TNumFld* F1, TNumFld* F2, TNumFld* F3, TNumFld* F4, TNumFld* F5, TNumFld* F6,
               TNumFld* F7, TNumFld* F8, TNumFld* F9, TNumFld* F10) {
  const std::array<TNumFld*, 10> fields{F1, F2, F3, F4, F5, F6, F7, F8, F9, F10};
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (fields[i] != nullptr) {
      // Text still being typed is what the user sees: take it over first.
      fields[i]->CommitEdit();
      amb.*kFieldOrder[i] = fields[i]->GetValue();
    }
}

}  // namespace vyr
