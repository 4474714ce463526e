#include "finder/CHOX3ParamFinder.h"

#include <cstring>
#include <memory>
#include <string_view>

#include "finder/ModuleLoader.h"
#include "finder/PlugProvider.h"

namespace Brennholt::Hox {

namespace {

// A fixed-size text field that a plug-in may have filled to the last byte without a zero.
template <size_t N>
std::string_view fieldText(const char (&field)[N]) {
  size_t length = 0;
  while (length < N && field[length] != '\0') ++length;
  return std::string_view(field, length);
}

}  // namespace

CHOX3ParamFinder::CHOX3ParamFinder(CInstrumentInfoFinder* driver) : driver_(driver) {}

CHOX3ParamFinder::~CHOX3ParamFinder() { destroyFinders(); }

bool CHOX3ParamFinder::isInstrumentClass(const PClassInfo2& info) {
  return fieldText(info.category) == kAudioModuleClass &&
         fieldText(info.subCategories).find(kInstrumentSubCategory) != std::string_view::npos;
}

void CHOX3ParamFinder::destroyFinders() {
  std::unique_ptr<TIterator<CParameterInfoFinder*>> it(finders_.newIterator());
  while (it && !it->done()) delete *it->next();
  finders_.removeAll();
}

int CHOX3ParamFinder::find(const char* pluginPath) {
  ModuleLoader loader(pluginPath);
  if (!loader.isValid()) return kExitUnusable;
  IPluginFactory* factory = loader.factory();
  // Without the extended query every class record stays zero-filled: nothing is an instrument.
  IPtr<IPluginFactory2> extended = Brennholt::queryInterface<IPluginFactory2>(factory);

  for (int32 index = 0; index < factory->countClasses(); ++index) {
    PClassInfo2 info;
    std::memset(&info, 0, sizeof(info));
    if (extended) extended->getClassInfo2(index, &info);
    if (!isInstrumentClass(info)) continue;
    auto* provider = new PlugProvider(factory, info, false);
    finders_.add(new CParameterInfoFinder(provider, driver_, std::string(fieldText(info.name))));
    provider->release();
  }
  if (finders_.isEmpty()) return kExitNoInstrument;

  {
    std::unique_ptr<TIterator<CParameterInfoFinder*>> it(finders_.newIterator());
    while (it && !it->done()) {
      CParameterInfoFinder* finder = *it->next();
      if (finder->createPlugin()) {
        finder->collectParameters(this);
        finder->releasePlugin();
      }
    }
  }
  // Nothing that points into the module may outlive it.
  destroyFinders();
  return kExitDone;
}

}  // namespace Brennholt::Hox
