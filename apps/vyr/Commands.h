// The subcommands of the vyr program.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <string>
#include <vector>

#include "Messages.h"
#include "Output.h"

namespace vyr::cli {

/// Options every subcommand shares.
struct Common {
  std::string units = "si";
  bool json = false;
  bool csv = false;
  std::string table;  ///< the one table to write; empty: all (CSV: the main table)
  TUnitSystem UnitSystem() const { return units == "imperial" ? usImperial : usSI; }
  Format OutputFormat() const { return json ? Format::Json : csv ? Format::Csv : Format::Text; }
};

/// How a command ended.
enum class Status {
  Ok,            ///< every row computed
  Failed,        ///< the calculation failed; nothing to write
  PointsFailed,  ///< a sweep wrote every point, and some of them failed
};

/// A subcommand's action: reads and checks its inputs (throwing BadArgument),
/// then fills the report.
using Action = std::function<Status(Report&)>;

/// Adds every subcommand to the program; the one chosen stores its action in `action`.
void AddCommands(CLI::App& app, Common& common, Action& action);

/// Collects the messages of the library while it lives; the handler that was
/// installed before returns afterwards.
class MessageScope {
 public:
  MessageScope();
  ~MessageScope();
  MessageScope(const MessageScope&) = delete;
  MessageScope& operator=(const MessageScope&) = delete;

  std::vector<TMessage> messages;
  /// All messages on one line each.
  std::vector<std::string> Lines() const;
  /// All messages joined by "; ".
  std::string Text() const;

 private:
  TMessageHandler previous_;
};

}  // namespace vyr::cli
