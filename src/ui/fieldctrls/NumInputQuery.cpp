#include "NumInputQuery.h"

#include <cmath>
#include <string_view>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "Numinpkq.h"

namespace vyr {

namespace {

TNumInputHandler& Handler() {
  static TNumInputHandler handler;
  return handler;
}

bool Acceptable(const TNumInputRequest& r, double v) {
  if (!std::isfinite(v) || v < r.Lower || v > r.Upper) return false;
  return r.NumType != 1 || v == std::trunc(v);
}

// Text of a number with the request's decimal separator, never the user's
// locale: a German separator setting must not decide what "1.5" means.
QString NumberText(double v, const TNumInputRequest& r) {
  std::string s = r.Decimals > 0 ? QString::number(v, 'f', r.Decimals).toStdString() : FloatToStr(v);
  for (char& c : s)
    if (c == '.') c = r.Format.DecimalSeparator;
  return QString::fromStdString(s);
}

}  // namespace

TNumInputHandler SetNumInputHandler(TNumInputHandler handler) {
  TNumInputHandler previous = std::move(Handler());
  Handler() = std::move(handler);
  return previous;
}

bool DialogNumInputHandler(const TNumInputRequest& request, double& value) {
  if (QApplication::instance() == nullptr) return false;
  QDialog dlg(QApplication::activeWindow());
  dlg.setWindowTitle(QString::fromStdString(request.Caption));
  auto* layout = new QVBoxLayout(&dlg);
  auto* prompt = new QLabel(QString::fromStdString(request.Prompt), &dlg);
  auto* edit = new QLineEdit(NumberText(request.Value, request), &dlg);
  edit->setObjectName(QStringLiteral("ValueEdit"));
  prompt->setBuddy(edit);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
  layout->addWidget(prompt);
  layout->addWidget(edit);
  layout->addWidget(buttons);
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  auto update = [&] {
    double v = 0;
    ok->setEnabled(TextToFloat(edit->text().toStdString(), request.Format, v) && Acceptable(request, v));
  };
  QObject::connect(edit, &QLineEdit::textChanged, &dlg, update);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
  update();
  edit->selectAll();
  if (dlg.exec() != QDialog::Accepted) return false;
  return TextToFloat(edit->text().toStdString(), request.Format, value);
}

bool NumInputQuery(const std::string& caption, const std::string& prompt, int helpCtx, int numType, int decimals,
                   double lower, double upper, double& value, const TFormatSettings& format) {
  TNumInputRequest request{caption, prompt, helpCtx, numType, decimals, lower, upper, value, format};
  double answer = value;
  const bool ok = Handler() ? Handler()(request, answer) : DialogNumInputHandler(request, answer);
  if (!ok || !Acceptable(request, answer)) return false;
  value = answer;
  return true;
}

}  // namespace vyr
