// Icons of the gas-path components: one TVYRcomp class per component type,
// with the type's picture and its link markers. A new icon of a type carries
// the ports of that type at fixed places on its border, so that icons placed
// side by side at a spacing of 60 pixels link outlet to inlet.
#pragma once

#include <QPixmap>

#include "vyrcompl.h"

namespace vyr::gaspath {

/// Shape painted on an icon.
enum class TShape { Ambient, Inlet, Duct, Compressor, Splitter, Burner, Turbine, Nozzle, Shaft };

/// The picture of a component type, w by h pixels.
QPixmap DrawShape(TShape shape, int w, int h);

/// One port of an icon type: link name, type and place on the icon [px].
struct TPort {
  const char* name;
  TLinktype type;
  int left;
  int top;
};

/// Icon of a gas-path component: its picture, its ports and the class name
/// of its data form.
class TGasPathComp : public TVYRcomp {
  Q_OBJECT
 public:
  TGasPathComp(QWidget* owner, TShape shape, const char* formClass, std::initializer_list<TPort> ports,
               int width = 70, int height = 70);
  TShape Shape() const { return shape_; }

 private:
  TShape shape_;
};

/// Ambient and flight condition: outlet Out1 (station 0) on the right.
class TAmbientComp : public TGasPathComp {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TAmbientComp(QWidget* owner = nullptr);
};

/// Inlet: In1 left, Out1 right.
class TInletComp : public TGasPathComp {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TInletComp(QWidget* owner = nullptr);
};

/// Duct: In1 left, Out1 right.
class TDuctComp : public TGasPathComp {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TDuctComp(QWidget* owner = nullptr);
};

/// Compressor or fan: In1 left, Out1 right; bleeds leave through the bleed table.
class TCompressorComp : public TGasPathComp {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TCompressorComp(QWidget* owner = nullptr);
};

/// Splitter, 70 by 150: In1 left at mid height, Out2 (bypass) right at the
/// top, Out1 (core) right at the bottom, 80 pixels apart, so that the bypass
/// row of icons and the core row do not overlap.
class TSplitterComp : public TGasPathComp {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TSplitterComp(QWidget* owner = nullptr);
};

/// Burner: In1 left, Out1 right.
class TBurnerComp : public TGasPathComp {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TBurnerComp(QWidget* owner = nullptr);
};

/// Turbine: In1 left, Out1 right; cooling flows enter through the cooling table.
class TTurbineComp : public TGasPathComp {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TTurbineComp(QWidget* owner = nullptr);
};

/// Exhaust nozzle: In1 left; it exhausts to ambient, its throat and exit
/// station numbers are fields of its form.
class TNozzleComp : public TGasPathComp {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TNozzleComp(QWidget* owner = nullptr);
};

/// Shaft: no links; compressors and turbines name it by its shaft number.
class TShaftComp : public TGasPathComp {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TShaftComp(QWidget* owner = nullptr);
};

/// Size of the square icons [px] and the spacing at which neighbours link [px].
inline constexpr int kIconSize = 70;
inline constexpr int kLinkPitch = 60;
/// Splitter height and the offsets of its ports from its top [px].
inline constexpr int kSplitterHeight = 150;
inline constexpr int kSplitterIn = 70;
inline constexpr int kSplitterBypassOut = 30;
inline constexpr int kSplitterCoreOut = 110;

}  // namespace vyr::gaspath
