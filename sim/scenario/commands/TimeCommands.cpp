#include "sim/scenario/commands/TimeCommands.h"

#include <chrono>
#include <thread>

#include "sim/scenario/ArgumentReader.h"
#include "sim/scenario/Simulation.h"

namespace QentSim {

namespace {

// Bounds that keep a scenario from running for hours.
constexpr int kMaxIdleRounds = 100000;
constexpr int kMaxAdvanceMs = 600000;
constexpr int kMaxWaitMs = 10000;

}  // namespace

// ---- idle ----

const CommandSpec IdleCommand::spec = {"idle",
                                       "[N]",
                                       "N idle rounds (default 1) at the same clock",
                                       Section::kTime,
                                       Addressing::kHost,
                                       Effect::kChanges,
                                       make<IdleCommand>};

bool IdleCommand::read(ArgumentReader& args) {
  return args.atEnd() || args.integer(rounds, "N", 1, kMaxIdleRounds);
}

bool IdleCommand::run(Simulation& simulation, std::string*) const {
  for (int i = 0; i < rounds; ++i) simulation.idleRound();
  return true;
}

// ---- advance ----

const CommandSpec AdvanceCommand::spec = {"advance",
                                          "MS",
                                          "move the clock by MS, one idle round per full 10 ms",
                                          Section::kTime,
                                          Addressing::kHost,
                                          Effect::kChanges,
                                          make<AdvanceCommand>};

bool AdvanceCommand::read(ArgumentReader& args) {
  return args.integer(milliseconds, "MS", 0, kMaxAdvanceMs);
}

bool AdvanceCommand::run(Simulation& simulation, std::string*) const {
  SimHost& host = simulation.host();
  for (std::uint32_t i = 0; i < milliseconds / Simulation::kRoundMs; ++i) {
    host.setClock(host.clock() + Simulation::kRoundMs);
    simulation.idleRound();
  }
  host.setClock(host.clock() + milliseconds % Simulation::kRoundMs);
  return true;
}

// ---- clock ----

const CommandSpec ClockCommand::spec = {"clock",
                                        "T",
                                        "set the clock (32-bit milliseconds; it starts at 1000)",
                                        Section::kTime,
                                        Addressing::kHost,
                                        Effect::kChanges,
                                        make<ClockCommand>};

bool ClockCommand::read(ArgumentReader& args) { return args.integer(time, "T", 0, UINT32_MAX); }

bool ClockCommand::run(Simulation& simulation, std::string*) const {
  simulation.host().setClock(time);
  return true;
}

// ---- settle ----

const CommandSpec SettleCommand::spec = {
    "settle",
    "",
    "idle rounds at the same clock until nothing moves for 5 rounds and 20 ms; fails after 5 s",
    Section::kTime,
    Addressing::kHost,
    Effect::kChanges,
    make<SettleCommand>};

bool SettleCommand::run(Simulation& simulation, std::string* why) const {
  return simulation.settle(why);
}

// ---- wait ----

const CommandSpec WaitCommand::spec = {
    "wait",
    "MS",
    "let real time pass without idle rounds (the channel workers run meanwhile)",
    Section::kTime,
    Addressing::kHost,
    Effect::kChanges,
    make<WaitCommand>};

bool WaitCommand::read(ArgumentReader& args) {
  return args.integer(milliseconds, "MS", 0, kMaxWaitMs);
}

bool WaitCommand::run(Simulation&, std::string*) const {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  return true;
}

// ---- position ----

const CommandSpec PositionCommand::spec = {
    "position",           "NUMBER",          "set the host's transport position",
    Section::kTime,       Addressing::kHost, Effect::kChanges,
    make<PositionCommand>};

bool PositionCommand::read(ArgumentReader& args) { return args.real(position, "NUMBER"); }

bool PositionCommand::run(Simulation& simulation, std::string*) const {
  simulation.host().setPosition(position);
  return true;
}

}  // namespace QentSim
