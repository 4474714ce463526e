// Scenario commands that move time: idle rounds, the host's clock, settling, real time, and the
// transport position.
#include <chrono>
#include <thread>

#include "sim/scenario/ArgumentReader.h"
#include "sim/scenario/Simulation.h"
#include "sim/scenario/commands/CommandRows.h"

namespace QentSim {

namespace {

// Bounds that keep a scenario from running for hours.
constexpr int kMaxIdleRounds = 100000;
constexpr int kMaxAdvanceMs = 600000;
constexpr int kMaxWaitMs = 10000;

constexpr CommandRow kRows[] = {
    {"idle", "[N]", "N idle rounds (default 1) at the same clock", Section::kTime,
     Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       int rounds = 1;
       if (!args.atEnd() && !args.integer(rounds, "N", 1, kMaxIdleRounds)) return nullptr;
       return [rounds](Simulation& simulation, std::string*) {
         for (int i = 0; i < rounds; ++i) simulation.idleRound();
         return true;
       };
     }},
    {"advance", "MS", "move the clock by MS, one idle round per full 10 ms", Section::kTime,
     Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       std::uint32_t milliseconds = 0;
       if (!args.integer(milliseconds, "MS", 0, kMaxAdvanceMs)) return nullptr;
       return [milliseconds](Simulation& simulation, std::string*) {
         SimHost& host = simulation.host();
         for (std::uint32_t i = 0; i < milliseconds / Simulation::kRoundMs; ++i) {
           host.setClock(host.clock() + Simulation::kRoundMs);
           simulation.idleRound();
         }
         host.setClock(host.clock() + milliseconds % Simulation::kRoundMs);
         return true;
       };
     }},
    {"clock", "T", "set the clock (32-bit milliseconds; it starts at 1000)", Section::kTime,
     Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       std::uint32_t time = 0;
       if (!args.integer(time, "T", 0, UINT32_MAX)) return nullptr;
       return [time](Simulation& simulation, std::string*) {
         simulation.host().setClock(time);
         return true;
       };
     }},
    {"settle", "",
     "idle rounds at the same clock until 5 in a row brought nothing new; fails when 100000 "
     "rounds in a row each bring something, or the module's threads never rest within 60 s",
     Section::kTime, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader&) -> CommandAction {
       return [](Simulation& simulation, std::string* why) { return simulation.settle(why); };
     }},
    {"wait", "MS", "let real time pass without idle rounds (the channel workers run meanwhile)",
     Section::kTime, Addressing::kHost, Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       int milliseconds = 0;
       if (!args.integer(milliseconds, "MS", 0, kMaxWaitMs)) return nullptr;
       return [milliseconds](Simulation&, std::string*) {
         std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
         return true;
       };
     }},
    {"position", "NUMBER", "set the host's transport position", Section::kTime, Addressing::kHost,
     Effect::kChanges,
     [](ArgumentReader& args) -> CommandAction {
       double position = 0.0;
       if (!args.real(position, "NUMBER")) return nullptr;
       return [position](Simulation& simulation, std::string*) {
         simulation.host().setPosition(position);
         return true;
       };
     }},
};

}  // namespace

std::span<const CommandRow> timeRows() { return kRows; }

}  // namespace QentSim
