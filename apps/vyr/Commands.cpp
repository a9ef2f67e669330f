#include "Commands.h"

#include "CommandKit.h"
#include "RunCommand.h"

namespace vyr::cli {

MessageScope::MessageScope() {
  previous_ = SetMessageHandler([this](const TMessage& m) {
    messages.push_back(m);
    return int(mrOk);
  });
}

MessageScope::~MessageScope() { SetMessageHandler(previous_); }

std::vector<std::string> MessageScope::Lines() const {
  std::vector<std::string> lines;
  for (const TMessage& m : messages) {
    std::string text;
    for (char c : m.Text) {
      if (c == '\r') continue;
      text += c == '\n' ? ' ' : c;
    }
    lines.push_back(text);
  }
  return lines;
}

std::string MessageScope::Text() const {
  std::string text;
  for (const std::string& line : Lines()) text += (text.empty() ? "" : "; ") + line;
  return text;
}

void AddCommands(CLI::App& app, Common& common, Action& action) {
  app.add_option("--units", common.units, "Unit system of the output, and of inputs given without a unit")
      ->capture_default_str()
      ->transform(CLI::IsMember({"si", "imperial"}, CLI::ignore_case));
  auto* json = app.add_flag("--json", common.json, "Write JSON");
  auto* csv = app.add_flag("--csv", common.csv, "Write CSV: one table, the command's main one or --table");
  app.add_option("--table", common.table, "Write only this table");
  json->excludes(csv);
  app.fallthrough();  // the output options may follow the subcommand
  AddGas(app, common, action);
  AddProcess(app, common, action);
  AddStatic(app, common, action);
  AddBurn(app, common, action);
  AddAtmosphere(app, common, action);
  AddFlight(app, common, action);
  AddCycle(app, common, action);
  AddRun(app, common, action);
}

}  // namespace vyr::cli
