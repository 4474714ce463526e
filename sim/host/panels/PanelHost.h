// What a run of the host keeps for the module's windows and menus: the skin packages it loaded,
// the windows open right now and the entries of the host's menus. (The problems the skin engine
// finds outlive the run: the host keeps them apart.) [host thread]
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/FUnknown.h"
#include "sdk/host/PanelServices.h"

namespace QentSim {

class SkinDocument;
class SkinPackage;

// One entry a module added to a host menu.
struct MenuEntry {
  void* module = nullptr;  // the handle the module gave; its entries go with it
  std::string menu;        // "Devices"
  std::string title;
  std::string category;
  std::string command;
  bool registeredCommand = false;  // adding it made the command known to the catalogue
};

// A skin package read from a module's resources.
struct LoadedSkin {
  void* module = nullptr;
  std::string fileName;
  std::shared_ptr<const SkinDocument> document;
  std::shared_ptr<const SkinPackage> package;  // the images the document names
};

struct PanelHost {
  std::vector<LoadedSkin> skins;
  // The open windows, oldest first; one host reference each, given up when they close.
  std::vector<Brennholt::IPtr<Brennholt::Hox::IHostWindow>> windows;
  std::vector<MenuEntry> menuEntries;
};

}  // namespace QentSim
