// Sample component types of the canvas demo and the engine built from them:
// an inlet, a compressor, a burner with its fuel control, a turbine, a
// connector line, a duct and a nozzle, placed so that their links touch. Each
// type is a TVYRcomp subclass registered by class name, as a component library
// registers its icons, so that a model file recreates them with their
// pictures. The tests and benchmarks build their canvases from these too.
#pragma once

#include <string>
#include <vector>

#include <QPixmap>
#include <QPoint>

#include "vyrcompl.h"

namespace vyr::sample {

/// Side of the square sample icons [px].
inline constexpr int kIconSize = 70;

/// Picture drawn on a sample icon.
enum class TPicture { Inlet, Compressor, Burner, Turbine, Duct, Nozzle, Control };

/// The picture of a component, w by h pixels.
QPixmap DrawPicture(TPicture kind, int w, int h);

/// Gas-path component with inlet "In1" on the left and outlet "Out1" on the right.
class TGasPathIcon : public TVYRcomp {
  Q_OBJECT
 public:
  TGasPathIcon(QWidget* owner, TPicture picture, bool inlet, bool outlet, bool controlIn);
};

class TInletIcon : public TGasPathIcon {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TInletIcon(QWidget* owner = nullptr);
};

class TCompressorIcon : public TGasPathIcon {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TCompressorIcon(QWidget* owner = nullptr);
};

/// Burner: gas path plus the control inlet "CtrlIn" on top for its fuel flow.
class TBurnerIcon : public TGasPathIcon {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TBurnerIcon(QWidget* owner = nullptr);
};

class TTurbineIcon : public TGasPathIcon {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TTurbineIcon(QWidget* owner = nullptr);
};

class TDuctIcon : public TGasPathIcon {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TDuctIcon(QWidget* owner = nullptr);
};

class TNozzleIcon : public TGasPathIcon {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TNozzleIcon(QWidget* owner = nullptr);
};

/// Control element (no gas-path links) with the control outlet "CtrlOut" at the bottom.
class TControlIcon : public TVYRcomp {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TControlIcon(QWidget* owner = nullptr);
};

/// Connector line, 70 by 10, with the connector ends "End1" and "End2".
class TConnectorIcon : public TVYRcomp {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TConnectorIcon(QWidget* owner = nullptr);
};

/// Registers the sample icon classes by name (again harmless).
void RegisterSampleIcons();

/// Names icon, moves it to pos, gives its In1 and Out1 the station numbers
/// (when it has them), creates its form with the name and calculation number,
/// its number label and its station labels, and shows it.
TVYRcomp* Place(TVYRcomp* icon, const std::string& name, QPoint pos, double in1 = -1, double out1 = -1,
                int calcNr = 0);

/// Creates the number labels and station labels of loaded icons and shows them.
void DecorateLoaded(const std::vector<TVYRcomp*>& comps);

/// The demo engine on canvas, not yet linked, with stations 2 to 8.
std::vector<TVYRcomp*> BuildEngine(QWidget* canvas, QPoint origin = {20, 100});

}  // namespace vyr::sample
