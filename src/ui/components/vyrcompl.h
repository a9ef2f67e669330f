// Component icons and the links between them on the model canvas.
//
// An engine model is drawn as icons (TVYRcomp), one per component: gas-path
// components, control elements and connector lines. Each icon carries small
// square link markers (TVYRLink) on its border, one per port. When the user
// places two icons so that two markers lie on top of each other, the links
// connect; a connected gas-path port is a station of the engine and carries a
// station number, shown in a label next to the link. Connector lines only pass
// a connection through: the model component on the far side of a link is found
// by following chains of connectors (OtherModelComp).
//
// Ownership: an icon owns its links, its number label and its data form; a link
// owns its station label (placed on the canvas, the icon's parent, and placed
// again whenever a position, a connection or a station changes, never while
// painting). Every other reference between icons and links is non-owning and
// weak: it reads null once its target is destroyed, and a destroyed link
// unlinks its partner first. Links and icons announce their changes as
// signals (LinkMade, LinkBroken, StationChanged; Moved, Resized, Rotated).
//
// Model file. Each icon is one element "TVYRcomp" under "Components" of a
// configuration node; the icon's data form writes its fields into the same
// element (Fldform.h), the icon its own data into the child "Icon":
//
//   <Components>
//     <TVYRcomp ID="HPC" FormClassName="TVYRcompform" CompType="ctModelComp">
//       <Icon>
//         <ClassName>TVYRcomp</ClassName>          registered icon class
//         <Left>120</Left> <Top>40</Top>            position on the canvas [px]
//         <Width>70</Width> <Height>70</Height>     size [px]
//         <RotAngle>90</RotAngle>                   0, 90, 180 or 270 [deg]
//         <CalcOrderPriority>copNone</CalcOrderPriority>
//         <AllowOnlyOneComp>false</AllowOnlyOneComp>
//         <ModelConfigType>ctCfgNone</ModelConfigType>
//         <ModelCompGroup>none</ModelCompGroup>
//         <DeprecatedComp>false</DeprecatedComp>
//         <NoComponentLabelCreate>false</NoComponentLabelCreate>
//         <Link ID="In1">                           one per link, ID = the link's name
//           <Ltype>ltIn1</Ltype>
//           <Visible>true</Visible>
//           <Left>0</Left> <Top>30</Top> <Width>10</Width> <Height>10</Height>
//           <Station>2</Station>                    station number [-]
//           <StationString></StationString>
//           <CalcOrderPriority>copLast</CalcOrderPriority>
//         </Link>
//       </Icon>
//       ...fields of the data form...
//     </TVYRcomp>
//   </Components>
//
// Numbers are written in the US English format whatever the user's locale;
// a station number as the shortest text that reads back to the same double.
// Booleans read as everywhere in the model file ("true", "True", "yes", 1).
// Connections are not stored: loading rebuilds them from the link positions
// (LinkAllComps), as after a move. A missing CalcOrderPriority of a link reads
// as copLast, the value of a new link.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <QColor>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QWidget>

#include "SysUtils.h"
#include "VYRtypes.h"
#include "VyrNativeXml.h"
#include "VyrUiExport.h"


namespace vyr {

class TVYRcomp;
class TVYRcompform;

/// Class reference of TVYRcompform and its descendants: their run-time type.
using TVYRcompformclass = const QMetaObject*;

/// Priority of a port (or component) in the calculation ordering.
enum TCalcOrderPriority : std::uint8_t { copLast, copNone, copFirst };

/// Side of its icon on which a link sits.
enum TLinkLoc : std::uint8_t { llRight, llLeft, llTop, llBottom };

/// Direction of the flow arrow drawn on a link.
enum TArrowdir : std::uint8_t { adRight, adLeft, adUp, adDown };

/// Member name of a link type ("ltIn1").
VYR_UI_API std::string LinktypeName(TLinktype type);
/// Link type of a member name (exact); false when name is none.
VYR_UI_API bool LinktypeFromName(std::string_view name, TLinktype& type);
/// Member name of a component type ("ctLineLink").
VYR_UI_API std::string CompTypeName(TCompType type);
/// Component type of a member name (exact); false when name is none.
VYR_UI_API bool CompTypeFromName(std::string_view name, TCompType& type);
/// Member name of a calculation-order priority ("copFirst").
VYR_UI_API std::string CalcOrderPriorityName(TCalcOrderPriority priority);
/// Priority of a member name (exact); false when name is none.
VYR_UI_API bool CalcOrderPriorityFromName(std::string_view name, TCalcOrderPriority& priority);

/// Number format of station numbers and of the station-number dialog: US
/// English (locale 1033), "." decimal and "," thousands separator.
VYR_UI_API const TFormatSettings& StationFormatSettings();
/// Text of a station number in the US English format ("2.5").
VYR_UI_API std::string StationNrToStr(double station);
/// Text of a station number in the model file: the shortest text that reads
/// back to the same double, "." as decimal separator whatever the locale.
VYR_UI_API std::string StationNrToXmlStr(double station);

/// True once a connector walk met a circular chain; every OtherModelComp then
/// returns null until TVYRcomp::TryLinkwithComp (or this function's partner
/// ClearCircularReference) clears it. The flag is set before the circle is
/// reported, so that a walk started while the report is on screen ends at once.
VYR_UI_API bool CircularReference();
/// Clears the circular-reference flag.
VYR_UI_API void ClearCircularReference();

/// Deepest connector chain a walk follows; a longer chain is reported as a
/// circular reference, so that a loop of connectors that never returns to the
/// start link cannot exhaust the stack.
inline constexpr int MaxConnectorChainDepth = 1000;

/// Help context of the station-number question.
inline constexpr int StationNrHelpContext = 27060;

/// Link marker: one port of a component icon, 10 by 10 pixels, positioned
/// relative to its icon. Only links that are not hidden take part in linking.
class VYR_UI_API TVYRLink : public QWidget {
  Q_OBJECT

 public:
  /// A link of type ltNone, not linked, without station label, 10 by 10,
  /// station 0 and an empty station string; owner is normally its icon.
  Q_INVOKABLE explicit TVYRLink(QWidget* owner = nullptr);
  /// Unlinks the partner first, then frees the station label.
  ~TVYRLink() override;

  /// Station number [-]; below -0.1 counts as not numbered.
  double Station() const { return FStation; }
  /// Sets the station number and repaints.
  void SetStation(double station);
  /// Text shown in the station label instead of the number, when not empty.
  const std::string& StationString() const { return FStationString; }
  void SetStationString(std::string text);
  /// Port type.
  TLinktype Ltype() const { return FLtype; }
  /// Stores the type and repaints when it differs.
  void SetLtype(TLinktype type);
  /// Priority of the port in the calculation ordering.
  TCalcOrderPriority CalcOrderPriority() const { return FCalcOrderPriority; }
  void SetCalcOrderPriority(TCalcOrderPriority priority) { FCalcOrderPriority = priority; }

  /// True when the link takes part in linking (the marker is not hidden).
  bool Visible() const { return !isHidden(); }
  /// The icon whose port this is, or null.
  TVYRcomp* Icon() const { return icon_; }

  /// True when both links are visible and free and their types fit.
  bool CanLink(const TVYRLink* another) const;
  /// Connects both ways and makes the station numbers agree at once; when
  /// both sides were numbered differently, both take the number proposed by
  /// the side that asks, and changed is true: the question that may change it
  /// is posted and asked once the current event has been handled.
  void SetLinked(TVYRLink* another, bool& changed);
  /// Disconnects this link and its partner; the references stay.
  void Unlink();
  /// Validates the connection after a model change; unlinks a far port of the
  /// wrong type. False when the link is linked but has no far link, or was unlinked.
  bool CheckLink();
  /// The model component at the far end of the connection (through connector
  /// chains) and, in otherLink, the link there; null when none.
  TVYRcomp* OtherModelComp(TVYRLink*& otherLink);
  /// Asks the user for this link's station number and gives the far link the
  /// same one; on Cancel the proposed (current) number is the one both take.
  /// False when the user cancelled.
  bool GetStationNr();
  /// True while a station-number question of this link is posted but not yet asked.
  bool StationQuestionPending() const { return questionPending_; }
  /// Brush and pen colours from the link state.
  void SetColor();
  /// "Link: " and the type's member name.
  std::string LinkIDstr() const;
  /// Creates the hidden station label (height 14, more when its font needs
  /// it) owned by this link, on the icon's parent (the canvas); a link whose
  /// icon has no parent shows no label until the icon is placed on one.
  void CreateStationLab();
  /// Destroys the station label.
  void DeleteStationLab();
  /// Station string, else the station number in the US English format.
  void SetStationLabCaption();
  /// Shows, hides and places the station label. Run whenever the link's
  /// position, connection or station changes, never while painting.
  void UpdateStationLab();
  /// Side of the icon on which the link sits.
  TLinkLoc LinkLoc() const;
  /// Direction of the flow arrow: into the icon at inputs, out at outputs.
  TArrowdir ArrowDir() const;

  /// Colour of the marker's fill.
  QColor BrushColor() const { return brush_; }
  /// Colour of the marker's border.
  QColor PenColor() const { return pen_; }

  bool Linked = false;                 ///< true while connected
  QPointer<TVYRcomp> OtherComp;        ///< icon owning the directly connected link
  QPointer<TVYRLink> OtherCompLink;    ///< link at the far model component, as last found
  QPointer<TVYRLink> Otherlink;        ///< directly connected link
  QPointer<QLabel> StationLab;         ///< station label (owned), null when none

 signals:
  /// The link was connected to other.
  void LinkMade(vyr::TVYRLink* other);
  /// The link was disconnected (by Unlink, CheckLink or its partner's end).
  void LinkBroken();
  /// The station number or station string changed.
  void StationChanged(double station);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private:
  friend class TVYRcomp;
  TVYRcomp* Walk(TVYRLink*& otherLink);
  bool RequestStationNr(TVYRLink* alsoTake);
  void TakeStation(double station);
  void SetUnlinked();

  double FStation = 0;
  std::string FStationString;
  TLinktype FLtype = ltNone;
  TCalcOrderPriority FCalcOrderPriority = copLast;
  TVYRcomp* icon_ = nullptr;
  QColor brush_{255, 255, 255};
  QColor pen_{0, 0, 0};
  bool questionPending_ = false;
};

/// Component icon: a panel with its link markers, pictures and labels, 70 by
/// 70 pixels when new. Component types derive from it.
class VYR_UI_API TVYRcomp : public QFrame {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit TVYRcomp(QWidget* owner = nullptr);
  /// Destroys the form, then the links (each unlinking its partner), then the icon.
  ~TVYRcomp() override;

  // --- Published data -----------------------------------------------------

  const std::string& Formclassname() const { return FFormclassname; }
  void SetFormclassname(std::string name) { FFormclassname = std::move(name); }
  TCompType CompType() const { return FComptype; }
  void SetCompType(TCompType type) { FComptype = type; }
  TCalcOrderPriority CalcOrderPriority() const { return FCalcOrderPriority; }
  void SetCalcOrderPriority(TCalcOrderPriority p) { FCalcOrderPriority = p; }
  /// Rotation [deg]: 0, 90, 180 or 270.
  int RotAngle() const { return FRotAngle; }
  /// Rotates until RotAngle equals angle; false (and nothing turned) for an
  /// angle other than 0, 90, 180 or 270.
  bool SetRotAngle(int angle);
  bool AllowOnlyOneComp() const { return FAllowOnlyOneComp; }
  void SetAllowOnlyOneComp(bool on) { FAllowOnlyOneComp = on; }
  TCfgType ModelConfigType() const { return FModelConfigType; }
  void SetModelConfigType(TCfgType t) { FModelConfigType = t; }
  const std::string& ModelCompGroup() const { return FModelCompGroup; }
  void SetModelCompGroup(std::string group) { FModelCompGroup = std::move(group); }
  bool DeprecatedComp() const { return FDeprecatedComp; }
  void SetDeprecatedComp(bool on) { FDeprecatedComp = on; }
  bool NoComponentLabelCreate() const { return FNoComponentLabelCreate; }
  void SetNoComponentLabelCreate(bool on) { FNoComponentLabelCreate = on; }

  // --- Data form ----------------------------------------------------------

  /// Creates the form of class Formclassname, owned by this icon.
  bool CompformCreate();
  /// Shows the form modally with the named control focused; its modal result, or 0.
  int EditForm(const std::string& controlName);

  // --- Links --------------------------------------------------------------

  /// The child links in child order.
  const std::vector<TVYRLink*>& Links() const { return links_; }
  /// The child link of that type (the last one when several), or null.
  TVYRLink* GetLink(TLinktype type) const;
  /// The far model component at that port, as the last SetModelLinks found it.
  TVYRcomp* GetLinkedVYRcomp(TLinktype type) const;
  /// True when every visible child link is linked.
  bool AllLinked() const;
  /// Links every close pair of free links of this icon and other; modified is
  /// true when a station number question was raised.
  void TryLinkwithComp(TVYRcomp* other, bool& modified);
  /// CheckLink on every child link; true when all passed.
  bool CheckLinks();
  /// Unlinks every child link and forgets the far components.
  void Unlink();
  /// Finds the far model component of every port; with warn, reports the first
  /// unresolved port and returns false.
  bool SetModelLinks(bool warn);
  /// Counts the visible gas inlets, gas outlets and control ports.
  void GetLinkNumbers();

  // --- Stations -----------------------------------------------------------

  /// Station number of the link of that type, -11 when the icon has none.
  double LinkStationNr(TLinktype type) const;
  /// That number as US English text; empty when it is -1 or less.
  std::string LinkStationStr(TLinktype type) const;
  /// "Station nrs.: In1: 2  Out1: 3  "; empty without gas ports.
  std::string AllStationNrsStr() const;
  /// Creates every link's station label on the icon's parent (the canvas).
  void CreateStationLabs();
  /// Removes and destroys every link's station label.
  void DeleteStationLabs();
  /// Creates the calculation-number label "CompLab" (unless NoComponentLabelCreate):
  /// the application's font at 12 pt bold, as wide as its number and as high as
  /// the font needs (at least 24), its right edge 10 pixels inside the icon.
  void CreateCompLab();
  /// Destroys the calculation-number label.
  void DeleteCompLab();

  // --- Rotation -----------------------------------------------------------

  /// Turns the icon 90 degrees clockwise: links, size, pictures and labels.
  void Rotate();

  // --- Identification -----------------------------------------------------

  /// The form's IDstr, else the icon's name.
  std::string CompIDstr() const;
  /// The form's component name, else (no form or a connector) the icon's name.
  std::string ShortIDstr() const;
  /// "Nr. 7 Component \"HPC\"" (the number part only with a number label).
  std::string MessageIDstr() const;
  /// Copies the visible properties of source to target.
  static void AssignLabel(QLabel* target, const QLabel* source);
  /// The form's calculation number (rounded) for model components, else -1.
  int CalcNr() const;

  // --- Model file ---------------------------------------------------------

  /// Writes the icon's attributes and its "Icon" child into node (see above).
  void WriteToXML(TVyrXmlNode node) const;
  /// Reads what WriteToXML wrote; links missing on the icon are created. False,
  /// with the reason in error, when a value was invalid (the icon keeps the
  /// values read so far and its previous value for the invalid one).
  bool ReadFromXML(TVyrXmlNode node, std::string& error);

  // --- Public state -------------------------------------------------------

  int Nrinlinks = 0;    ///< visible gas inlets
  int Nroutlinks = 0;   ///< visible gas outlets
  int Nrctrllinks = 0;  ///< visible control ports
  TVYRcompformclass Formclass = nullptr;  ///< form class found by name
  QPointer<TVYRcomp> Cin1, Cin2, Cout1, Cout2, Cctrl, Cctrl2;  ///< far model components
  int Hold = 70;  ///< height at the last paint or rotation [px]
  int Wold = 70;  ///< width at the last paint or rotation [px]
  TLinktype In1othersidelinktype = ltNone;
  TLinktype In2othersidelinktype = ltNone;
  TLinktype Out1othersidelinktype = ltNone;
  TLinktype Out2othersidelinktype = ltNone;
  QPointer<TVYRcompform> Compform;  ///< the data form (owned)
  bool Deleted = false;
  bool Modelcopy = false;
  bool Rotating = false;
  QPointer<QLabel> CompLab;  ///< calculation-number label (owned)
  bool ConfirmUnLinked = true;
  std::string SavedXmlIDstr;
  QColor Color;  ///< panel colour; connectors set it from their link state

 signals:
  /// The icon was moved on the canvas.
  void Moved(QPoint pos);
  /// The icon's size changed.
  void Resized(QSize size);
  /// The icon was turned; angle is the new RotAngle [deg].
  void Rotated(int angle);

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  friend class TVYRLink;
  void AddLink(TVYRLink* link);
  void DropLink(TVYRLink* link);
  void ClearModelLinks();
  void UpdateStationLabs(bool alsoPartners);
  void SizeCompLab();

  std::string FFormclassname;
  TCompType FComptype = ctModelComp;
  TCalcOrderPriority FCalcOrderPriority = copNone;
  int FRotAngle = 0;
  bool FAllowOnlyOneComp = false;
  TCfgType FModelConfigType = ctCfgNone;
  std::string FModelCompGroup = "none";
  bool FDeprecatedComp = false;
  bool FNoComponentLabelCreate = false;
  std::vector<TVYRLink*> links_;
};

// --- The canvas ----------------------------------------------------------

/// The icons among canvas's direct children, in child order.
VYR_UI_API std::vector<TVYRcomp*> CanvasComps(const QWidget* canvas);

/// Links every pair of icons whose links lie close enough, each pair once with
/// the earlier icon of comps as the linking side, as TryLinkwithComp would for
/// every pair. Link positions are indexed on a grid, so the cost grows with the
/// number of links, not with its square. True when a question was raised.
VYR_UI_API bool LinkAllComps(const std::vector<TVYRcomp*>& comps);

/// After moved has been placed anew: unlinks it and links it with every icon
/// of comps that lies within reach. True when a question was raised.
VYR_UI_API bool RelinkComp(TVYRcomp* moved, const std::vector<TVYRcomp*>& comps);

/// Writes the icons (and their forms) into the "Components" child of cfgNode,
/// created when missing: one "TVYRcomp" per icon, matched by "ID" in order, so
/// that icons sharing an ID (or unnamed ones) each keep an element of their
/// own. Elements no icon claims are removed when they hold a readable
/// component (one that was deleted from the canvas); an element that could
/// not be read stays as it is, with its form data.
VYR_UI_API void WriteCompsToXML(const std::vector<TVYRcomp*>& comps, TVyrXmlNode cfgNode);

/// Creates the icon of one "TVYRcomp" element on canvas (its registered icon
/// class, TVYRcomp when that is unknown) and reads its data; with withForm it
/// creates and reads the form of a model component too. Null, with the reason
/// shown in an error message, when the element holds an invalid value.
VYR_UI_API TVYRcomp* ReadIconFromXML(TVyrXmlNode element, QWidget* canvas, bool withForm);

/// Creates the icons stored under "Components" of cfgNode on canvas (their
/// registered icon class, TVYRcomp when that is unknown), reads their data and
/// creates the forms of model components, and returns them in file order.
/// Each invalid element is reported in one error message and skipped (it stays
/// in the document untouched). An ID that an earlier element already carries
/// is renamed, on the icon and in its element, and reported in one message.
/// Connections are not made: call LinkAllComps.
VYR_UI_API std::vector<TVYRcomp*> ReadCompsFromXML(TVyrXmlNode cfgNode, QWidget* canvas);

/// Start-up of the unit: registers TVYRcomp and TVYRLink by class name.
VYR_UI_API void InitVyrcompl();
/// Shut-down of the unit: unregisters them.
VYR_UI_API void DoneVyrcompl();

}  // namespace vyr
