#include "extsetup/HostMessages.h"

#include "sdk/host/CommandServices.h"
#include "sdk/host/SetupServices.h"

namespace Brennholt {

bool translateText(Hox::IHostKernel* host, const char8* english, String& out) {
  IPtr<Hox::ITranslator> translator = Hox::getService<Hox::ITranslator>(host);
  // A host without the kernel's translator may still make one on request.
  if (!translator) translator = Hox::createInstance<Hox::ITranslator>(host);
  if (!translator || !english) return false;
  String source(english);
  char16 text[256] = {};
  if (translator->translate(source.text16(), text, 256) != kResultOk) return false;
  text[255] = 0;
  if (text[0] == 0) return false;
  if (!out.assign(text)) return false;
  out.text16();
  return true;
}

int32 showAlert(Hox::IHostKernel* host, const String& message, const String& first,
                const String* second) {
  IPtr<Hox::IAlertBox> alert = Hox::createInstance<Hox::IAlertBox>(host);
  if (!alert) return 0;
  int32 pressed = 0;
  if (alert->show(message.text16(), first.text16(), second ? second->text16() : nullptr, nullptr,
                  &pressed) != kResultOk) {
    return 0;
  }
  return pressed;
}

}  // namespace Brennholt
