// vyr: gas properties, processes, combustion, atmosphere, flight conditions
// and the design point of a turbojet from the command line.
//
// Exit status: 0 on success, 1 when a calculation of the library fails (its
// message is printed on standard error), 2 for a bad argument.
#include <CLI/CLI.hpp>
#include <iostream>
#include <vector>

#include "Commands.h"
#include "Messages.h"

int main(int argc, char** argv) {
  using namespace vyr;
  using namespace vyr::cli;

  // Every message of the library is collected and printed only if the
  // calculation fails; warnings of a calculation that succeeds are noted too.
  std::vector<TMessage> messages;
  SetMessageHandler([&](const TMessage& m) {
    messages.push_back(m);
    return int(mrOk);
  });
  auto print = [&](const char* prefix) {
    for (const TMessage& m : messages) {
      std::string text;
      for (char c : m.Text) {
        if (c == '\r') continue;
        text += c == '\n' ? ' ' : c;
      }
      std::cerr << prefix << text;
      if (m.HelpCtx != 0) std::cerr << " (help context " << m.HelpCtx << ")";
      std::cerr << '\n';
    }
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
    app.exit(e);
    return 2;
  }

  std::vector<Table> tables;
  bool ok = false;
  try {
    ok = action && action(tables);
  } catch (const CLI::Error& e) {  // an argument that only the calculation found wrong
    std::cerr << "vyr: " << e.what() << '\n';
    return 2;
  } catch (const std::invalid_argument& e) {
    std::cerr << "vyr: " << e.what() << '\n';
    return 2;
  }
  if (!ok) {
    print("vyr: error: ");
    if (messages.empty()) std::cerr << "vyr: error: the calculation failed\n";
    return 1;
  }
  print("vyr: warning: ");
  Write(std::cout, tables, common.OutputFormat(), common.UnitSystem());
  return 0;
}
