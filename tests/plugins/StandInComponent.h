// A stand-in component-standard module described by a table: each module source defines
// `standInModule` with its classes, units and parameters, and StandInComponent.cpp turns the table
// into a factory, processing components and edit controllers with the module's three exports.
#pragma once

#include "sdk/ComponentInterfaces.h"
#include "sdk/IPluginFactory.h"

namespace StandIn {

using Brennholt::char16;
using Brennholt::int32;
using Brennholt::uint32;

// How a class's objects come about and which halves answer.
enum class Shape {
  kSeparate,      // component and controller are two objects; they talk through connection points
  kSingleObject,  // one object answers as component and as controller
  kNoController,  // the component names no controller (all-zero controller class identifier)
  kNotCreatable,  // the factory refuses to create the component
  kNoClassInfo,   // the factory does not answer the extended class-information query
};

// Titles that the controller works out while it runs, so that the output file shows whether the
// plug-in saw a well-behaved host.
enum class Title {
  kFixed,         // the text in ParamSpec::title
  kLinkStatus,    // "Link ok", or "Link " and the first thing that went wrong between the halves
  kHostStatus,    // "Host ok", or "Host " and the first host-context check that failed
  kSingleStatus,  // "Single ok", or what a prober did wrong to a single-object plug-in
};

struct ParamSpec {
  uint32 id;
  const char16* title;
  int32 unitId;
  bool automatable;
  bool queryFails = false;
  Title kind = Title::kFixed;
};

struct UnitSpec {
  int32 id;
  int32 parentId;
  const char16* name;  // null: the query succeeds but leaves the name field as it finds it
  bool queryFails = false;
};

struct ClassSpec {
  const char* name;
  const char* category;
  const char* subCategories;
  Shape shape;
  const ParamSpec* params;
  int32 paramCount;  // reported as is, so it may be negative
  const UnitSpec* units;
  int32 unitCount;   // reported as is, so it may be negative
  bool hasUnitInfo;  // whether the controller answers for the unit-information interface
};

struct ModuleSpec {
  const char* tag;  // names the module in trace lines
  const ClassSpec* classes;
  int32 classCount;
  bool initAnswers;  // what InitDll returns
  bool nullFactory;  // GetPluginFactory answers null
};

// Defined by each module's own source.
extern const ModuleSpec standInModule;

#ifdef STANDIN_HOOKS
// Defined by the modules that misbehave where a prober must survive it: while the module is
// loaded (InitDll) and while its classes are listed (countClasses).
void whileLoading();
void whileListing();
#endif

}  // namespace StandIn
