// The host's command system and its translator.
//
// Commands are named by a category and a command name, both texts of the host (UTF-16). The
// module registers commands of its own and gets them back through its IActionHandler; it runs
// host commands through the catalogue. The translator turns English words into the host's
// language.
//
// The kernel hands these out by identifier (IHostKernel::getService); the identifiers are the
// host's, given in the dashed form. Texts the host hands back are written into caller buffers
// of a stated capacity in characters (terminating zero included), always terminated, cut when
// they do not fit. Every operation is called on the host thread.
#pragma once

#include "core/FUnknown.h"

namespace Brennholt::Hox {

// Receives the commands the module registered.
class IActionHandler : public FUnknown {
 public:
  // The host runs (`queryOnly` 0) or only asks about (1, as when it fills a menu) a registered
  // command. 0 when the command is the handler's and was handled. [host thread]
  virtual tresult onAction(const char16* category, const char16* name,
                           int32 queryOnly) noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("8D2C4B6A0E1F4D3C9B8A7E6D5C4B3A16");

 protected:
  ~IActionHandler() = default;
};

class ICommandCatalogue : public FUnknown {
 public:
  // Index of the category of that name, negative when the host has none. [host thread]
  virtual int32 categoryIndex(const char16* category) noexcept = 0;
  // Writes the name of category `index`; 1 when there is none. [host thread]
  virtual tresult getCategoryName(int32 index, char16* name, int32 capacity) noexcept = 0;
  // Number of commands in category `index` (0 for none). [host thread]
  virtual int32 commandCount(int32 category) noexcept = 0;
  // Index of the command of that name in category `category`, negative when unknown.
  // [host thread]
  virtual int32 commandIndex(int32 category, const char16* command) noexcept = 0;
  // Writes the name of command `index` of category `category`; 1 when there is none.
  // [host thread]
  virtual tresult getCommandName(int32 category, int32 index, char16* name,
                                 int32 capacity) noexcept = 0;
  // Runs a command; 0 when it ran, 1 when the host refused or does not know it. [host thread]
  virtual tresult executeCommand(const char16* category, const char16* command) noexcept = 0;
  // Adds a command of the module to the catalogue. [host thread]
  virtual tresult registerCommand(const char16* category, const char16* command) noexcept = 0;
  // Removes it again. [host thread]
  virtual tresult unregisterCommand(const char16* category, const char16* command) noexcept = 0;
  // The handler that gets the module's commands; the host keeps no reference. [host thread]
  virtual tresult addActionHandler(IActionHandler* handler) noexcept = 0;
  // Removed before the handler goes away. [host thread]
  virtual tresult removeActionHandler(IActionHandler* handler) noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("762F3F61-11D1-4115-92F9-7AC6F239460F");

 protected:
  ~ICommandCatalogue() = default;
};

// The categories as the host lists them for menus.
class ICommandCategoryList : public FUnknown {
 public:
  // [host thread]
  virtual int32 categoryCount() noexcept = 0;
  // Writes the name of category `index`; 1 when there is none. [host thread]
  virtual tresult getCategoryName(int32 index, char16* name, int32 capacity) noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("0BE41FFD-B359-4C96-8F5E-80F49AD84303");

 protected:
  ~ICommandCategoryList() = default;
};

class ITranslator : public FUnknown {
 public:
  // Writes the translation of an English text into the host's language; 1 (and an empty text)
  // when the host has none. [host thread]
  virtual tresult translate(const char16* english, char16* text, int32 capacity) noexcept = 0;
  // Registers a translation table carried by a module's resources; 0 when done. [host thread]
  virtual tresult registerTable(void* module, const char16* resource,
                                const char16* name) noexcept = 0;
  // Writes the host's language code ("en", "us", "de"). [host thread]
  virtual tresult getLanguage(char16* code, int32 capacity) noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("43634416-41C1-4C3B-8559-3DE8AA53E652");

 protected:
  ~ITranslator() = default;
};

}  // namespace Brennholt::Hox
