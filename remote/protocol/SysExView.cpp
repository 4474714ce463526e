#include "remote/protocol/SysExView.h"

namespace Brennholt {

std::optional<SysExView> SysExView::read(const uint8* bytes, std::size_t size) {
  SysExView view;
  if (!SysExFormat::readAddress(bytes, size, view.address)) return std::nullopt;
  for (SysExDirection direction :
       {SysExDirection::HostToKeyboard, SysExDirection::KeyboardToHost}) {
    for (SysExForm form : {SysExForm::Data, SysExForm::Second}) {
      if (SysExFormat::hasHeader(bytes, size, direction, form)) {
        view.bytes = bytes;
        view.size = size;
        view.direction = direction;
        view.form = form;
        return view;
      }
    }
  }
  return std::nullopt;
}

bool SysExView::hasValidLength() const {
  const std::size_t length = SysExFormat::fixedLength(address);
  return length != 0 && length <= size && bytes[length - 1] == SysExFormat::kEnd;
}

}  // namespace Brennholt
