// vyr: gas properties, processes, combustion, atmosphere, flight conditions
// and the design point of a turbojet from the command line.
//
// Exit status: 0 on success; 1 when a calculation fails, a result would be
// physically impossible, a point of a sweep fails or the output cannot be
// written; 2 for a bad argument. Messages go to standard error.
#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "Commands.h"
#include "Inputs.h"

namespace {

// Names the commands of a level ("" for the program's own) after a message.
void ListCommands(const CLI::App& app, const CLI::App& level, const std::string& message) {
  std::string names;
  for (const CLI::App* s : level.get_subcommands([](const CLI::App*) { return true; }))
    names += (names.empty() ? "" : ", ") + s->get_name();
  std::cerr << "vyr: " << message << "; the commands" << (&level == &app ? "" : " of " + level.get_name())
            << " are: " << names << '\n';
}

// Follows the subcommand chain that argv names: "vyr foo" and "vyr cycle foo"
// are told which commands there are, and so are "vyr" and "vyr cycle" alone.
// False when the chain is complete and the parse error lies elsewhere.
bool CommandError(const CLI::App& app, int argc, char** argv) {
  const CLI::App* level = &app;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.empty() || a[0] == '-') {
      if (a == "--units" || a == "--table") ++i;  // their value follows
      continue;
    }
    const auto subs = level->get_subcommands([](const CLI::App*) { return true; });
    if (subs.empty()) return false;
    const CLI::App* found = nullptr;
    for (const CLI::App* s : subs)
      if (s->get_name() == a) found = s;
    if (!found) {
      ListCommands(app, *level, "unknown command \"" + a + "\"");
      return true;
    }
    level = found;
  }
  if (level->get_subcommands([](const CLI::App*) { return true; }).empty()) return false;
  ListCommands(app, *level, "a command is needed");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vyr;
  using namespace vyr::cli;

  // Every message of the library is collected; printed as errors if the run
  // fails, as warnings if it succeeds.
  MessageScope messages;
  auto print = [&](const char* prefix) {
    for (const std::string& line : messages.Lines()) std::cerr << prefix << line << '\n';
  };

  CLI::App app{"vyr: gas-turbine performance calculations on the VYRcompPack library"};
  app.require_subcommand(1);
  Common common;
  Action action;
  AddCommands(app, common, action);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    if (!CommandError(app, argc, argv)) app.exit(e);
    return 2;
  }

  Report report;
  for (const CLI::App* level = &app; !level->get_subcommands().empty();) {
    level = level->get_subcommands().front();
    report.command += (report.command.empty() ? "" : " ") + level->get_name();
  }
  Status status = Status::Failed;
  try {
    status = action ? action(report) : Status::Failed;
  } catch (const std::invalid_argument& e) {  // BadArgument, and a fuel the library does not know
    std::cerr << "vyr: " << e.what() << '\n';
    return 2;
  }
  if (status == Status::Failed) {
    print("vyr: error: ");
    if (messages.messages.empty()) std::cerr << "vyr: error: the calculation failed\n";
    return 1;
  }
  print(status == Status::Ok ? "vyr: warning: " : "vyr: ");
  try {
    Write(std::cout, report, common.OutputFormat(), common.UnitSystem(), common.table);
  } catch (const std::invalid_argument& e) {
    std::cerr << "vyr: " << e.what() << '\n';
    return 2;
  }
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "vyr: error: writing the output failed: " << std::strerror(errno) << '\n';
    return 1;
  }
  return status == Status::Ok ? 0 : 1;
}
