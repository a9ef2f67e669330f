#include "GaspathForms.h"
#include "FuelTable.h"
namespace vyr::gaspath {
engine::TEngineState* TGasPathForm::State() { Fail("No engine calculation is in progress"); return nullptr; }
bool TAmbientForm::CalcStart(TCalcMode m) { return TGasPathForm::CalcStart(m); }
bool TAmbientForm::Calc(TCalcMode) { return Fail("x"); }
bool TAmbientForm::CalcFinish(TCalcMode) { return Fail("x"); }
bool TInletForm::Calc(TCalcMode) { return Fail("x"); }
bool TDuctForm::Calc(TCalcMode) { return Fail("x"); }
bool TCompressorForm::Calc(TCalcMode) { return Fail("x"); }
bool TSplitterForm::Calc(TCalcMode) { return Fail("x"); }
bool TBurnerForm::Calc(TCalcMode) { return Fail("x"); }
bool TTurbineForm::Calc(TCalcMode) { return Fail("x"); }
bool TNozzleForm::Calc(TCalcMode) { return Fail("x"); }
bool TShaftForm::CalcStart(TCalcMode m) { return TGasPathForm::CalcStart(m); }
bool TShaftForm::CalcFinish(TCalcMode) { return Fail("x"); }
}
const std::vector<std::string>& vyr::gaspath::FuelKeys() { static const std::vector<std::string> k = {"avtur","avtag","avcat","diesel","natgas","hydrogen","jp10","ethanol","methanol","ammonia","user"}; return k; }
