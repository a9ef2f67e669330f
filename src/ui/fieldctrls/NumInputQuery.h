// Modal input of one number.
//
// NumInputQuery asks the user for a number between two bounds, for example a
// station number. The question goes through one replaceable handler, as
// messages do: the default shows a modal dialog (it needs a QApplication);
// tests and scripted hosts install a handler that answers without a dialog.
#pragma once

#include <functional>
#include <string>

#include "SysUtils.h"
#include "VyrUiExport.h"

namespace vyr {

/// What a number-input handler is asked.
struct TNumInputRequest {
  std::string Caption;
  std::string Prompt;
  int HelpCtx = 0;     ///< help-context number of the question
  int NumType = 0;     ///< 0: any real number; 1: an integer
  int Decimals = 0;    ///< decimals shown in the dialog; 0: shortest exact text
  double Lower = 0;    ///< smallest accepted value
  double Upper = 0;    ///< largest accepted value
  double Value = 0;    ///< value offered when the question opens
  TFormatSettings Format;  ///< separators the dialog shows and accepts
};

/// A handler answers the request: true and the value when the user confirmed,
/// false when cancelled (value is then ignored).
using TNumInputHandler = std::function<bool(const TNumInputRequest& request, double& value)>;

/// Installs a handler (an empty one restores the dialog) and returns the previous one.
VYR_UI_API TNumInputHandler SetNumInputHandler(TNumInputHandler handler);

/// The dialog handler: a modal QDialog with the prompt, an edit field and OK and
/// Cancel. OK is accepted only for a number within the bounds. Without a
/// QApplication it answers false.
VYR_UI_API bool DialogNumInputHandler(const TNumInputRequest& request, double& value);

/// Asks for a number between lower and upper, starting at value. On OK with an
/// acceptable answer, value takes it and the result is true. On Cancel, or when a
/// handler answers NaN, a value out of bounds or (numType 1) a non-integer, value
/// is left as it was and the result is false.
VYR_UI_API bool NumInputQuery(const std::string& caption, const std::string& prompt, int helpCtx, int numType,
                              int decimals, double lower, double upper, double& value,
                              const TFormatSettings& format = USFormatSettings);

}  // namespace vyr
