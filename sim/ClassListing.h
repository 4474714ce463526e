// What a factory says about itself and its classes, read the way a host reads it: each class
// through the richest information form the factory answers.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "sdk/IPluginFactory.h"

namespace QentSim {

enum class InfoForm { kBasic, kExtended, kWide };

struct ClassDescription {
  Brennholt::int32 index = 0;
  InfoForm form = InfoForm::kBasic;
  Brennholt::FUID cid;
  Brennholt::int32 cardinality = 0;
  std::string category;
  std::string name;
  std::string version;  // empty in the basic form, which has none
};

struct FactoryDescription {
  std::string vendor;
  std::string url;
  std::string email;
  Brennholt::int32 flags = 0;
  std::vector<ClassDescription> classes;
};

// Reads the factory information and every class. A class whose information the factory refuses
// in every form is left out.
FactoryDescription describeFactory(Brennholt::IPluginFactory* factory);

// Prints the factory line and one line per class.
void printFactory(const FactoryDescription& description, std::ostream& out);

// "basic", "extended" or "wide", as the listing names the form.
const char* infoFormName(InfoForm form);

}  // namespace QentSim
