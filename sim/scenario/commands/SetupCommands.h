// Scenario commands that set the host up before it starts; the set-up is kept across restarts.
#pragma once

#include <string>

#include "sim/host/SimHost.h"
#include "sim/scenario/ScenarioCommand.h"

namespace QentSim {

// host "PRODUCT" "VERSION" "BUILD"
struct HostIdentityCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  std::string product;
  std::string version;
  std::string build;
};

// language CODE
struct LanguageCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  std::string code;
};

// project FILE|demo|none
struct ProjectCommand final : ScenarioCommand {
  static const CommandSpec spec;
  // Reads and checks the file now, so that a refused project fails the scenario before it runs.
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  enum class Source { kFile, kDemo, kNone } source = Source::kFile;
  ProjectDescription project;  // kFile: the file as read
};

// settings FILE
struct SettingsCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  std::string file;
};

// keyboards N
struct KeyboardsCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  int count = 0;
};

// port in|out "NAME" [K]
struct PortCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  bool input = true;
  std::string name;
  int carries = 0;  // the keyboard whose traffic the port carries; 0 none
};

// service NAME on|off
struct ServiceCommand final : ScenarioCommand {
  static const CommandSpec spec;
  bool read(ArgumentReader& args) override;
  bool run(Simulation& simulation, std::string* why) const override;
  HostService service = HostService::kIdle;
  bool offered = true;
};

}  // namespace QentSim
