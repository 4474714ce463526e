#include "sim/host/services/FileDialogs.h"
#include "sim/host/HostState.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "sim/host/kit/HostText.h"
#include "sim/host/kit/NoThrow.h"
#include "sim/host/UserDialogs.h"

namespace QentSim {

using namespace Brennholt;
using namespace Brennholt::Hox;

namespace {

// What a selector hands out: one chosen file, or a list of them.
class IChosenFiles : public FUnknown {
 public:
  virtual const std::vector<std::u16string>& paths() const noexcept = 0;
  static constexpr FUID iid = FUID::fromDashed("5C0E7A21-8D34-4B6F-A1E9-2F6B3D8C7E50");

 protected:
  ~IChosenFiles() = default;
};

class ChosenFiles final : public HostObject<IChosenFiles> {
 public:
  explicit ChosenFiles(std::vector<std::u16string> paths) : paths_(std::move(paths)) {}
  const std::vector<std::u16string>& paths() const noexcept override { return paths_; }

 private:
  std::vector<std::u16string> paths_;
};

// The files the next selector answers with: none when the scenario queued a cancel or an answer
// for the other kind of selector (which it takes all the same); with nothing queued, what the
// person at the host chooses, or none when there is no one.
std::vector<std::u16string> nextAnswer(HostState& s, DialogKind kind, const char16* title,
                                       const FileType* type) {
  if (s.setup.dialogAnswers.empty()) {
    if (s.setup.userDialogs == nullptr) return {};
    std::string extension(type->extension, strnlen(type->extension, sizeof(type->extension)));
    const std::string path = s.setup.userDialogs->chooseFile(kind, toUtf8(title), extension);
    if (path.empty()) return {};
    return {toUtf16(path)};
  }
  const HostSetup::DialogAnswer answer = s.setup.dialogAnswers.front();
  s.setup.dialogAnswers.pop_front();
  if (answer.kind != kind) return {};
  return {toUtf16(answer.path)};
}

tresult runSelector(const Connection& connection, DialogKind kind,
                    const char* what, const char16* title, const FileType* type,
                    FUnknown** out) noexcept {
  if (out == nullptr) return kInvalidArgument;
  *out = nullptr;
  HostState* s = connection ? connection->state : nullptr;
  if (s == nullptr) return kResultFalse;
  return answerSafely(kOutOfMemory, [&]() -> tresult {
    std::vector<std::u16string> paths = nextAnswer(*s, kind, title, type);
    s->note(std::string(what) + (paths.empty() ? " cancelled" : " answered"));
    s->touch();
    if (paths.empty()) return kResultFalse;
    auto* chosen = new ChosenFiles(std::move(paths));
    *out = chosen;
    return kResultOk;
  });
}

// Entry `index` of what a selector handed out; null when `object` is none of the host's.
const std::u16string* chosenPath(FUnknown* object, int32 index) {
  IPtr<IChosenFiles> chosen = Brennholt::queryInterface<IChosenFiles>(object);
  if (!chosen || index < 0 || static_cast<std::size_t>(index) >= chosen->paths().size())
    return nullptr;
  return &chosen->paths()[static_cast<std::size_t>(index)];
}

tresult copyPath(FUnknown* object, int32 form, int32 wantedForm, SelectedPath* path) noexcept {
  if (path == nullptr) return kInvalidArgument;
  path->text = nullptr;
  path->length = 0;
  if (form != wantedForm) return kInvalidArgument;
  const std::u16string* chosen = chosenPath(object, 0);
  if (chosen == nullptr) return kInvalidArgument;
  auto* text = new (std::nothrow) char16[chosen->size() + 1];
  if (text == nullptr) return kOutOfMemory;
  std::copy(chosen->begin(), chosen->end(), text);
  text[chosen->size()] = 0;
  path->text = text;
  path->length = static_cast<int32>(chosen->size());
  return kResultOk;
}

tresult releasePath(SelectedPath* path) noexcept {
  if (path == nullptr) return kInvalidArgument;
  delete[] path->text;
  path->text = nullptr;
  path->length = 0;
  return kResultOk;
}

}  // namespace

// ---- save ----

tresult SaveFileSelector::run(int32 mode, const char16* title, const FileType* type,
                              FUnknown** result) noexcept {
  if (mode != 1 || title == nullptr || type == nullptr) {
    if (result) *result = nullptr;
    return kInvalidArgument;
  }
  return runSelector(connection_, DialogKind::kSave, "save selector", title, type, result);
}

tresult SaveFileSelector::getPath(FUnknown* result, int32 form, SelectedPath* path) noexcept {
  return copyPath(result, form, kSavePath, path);
}

tresult SaveFileSelector::freePath(SelectedPath* path) noexcept { return releasePath(path); }

// ---- open ----

tresult OpenFileSelector::run(const char16* title, const FileType* types, int32 count,
                              FUnknown** list) noexcept {
  if (title == nullptr || types == nullptr || count < 1) {
    if (list) *list = nullptr;
    return kInvalidArgument;
  }
  return runSelector(connection_, DialogKind::kOpen, "open selector", title, types, list);
}

int32 OpenFileSelector::entryCount(FUnknown* list) noexcept {
  IPtr<IChosenFiles> chosen = Brennholt::queryInterface<IChosenFiles>(list);
  return chosen ? static_cast<int32>(chosen->paths().size()) : 0;
}

tresult OpenFileSelector::getEntry(FUnknown* list, int32 index, FUnknown** entry) noexcept {
  if (entry == nullptr) return kInvalidArgument;
  *entry = nullptr;
  const std::u16string* chosen = chosenPath(list, index);
  if (chosen == nullptr) return kInvalidArgument;
  return answerSafely(kOutOfMemory, [&]() -> tresult {
    *entry = new ChosenFiles({*chosen});
    return kResultOk;
  });
}

tresult OpenFileSelector::getPath(FUnknown* entry, int32 form, SelectedPath* path) noexcept {
  return copyPath(entry, form, kEntryPath, path);
}

tresult OpenFileSelector::freePath(SelectedPath* path) noexcept { return releasePath(path); }

// ---- alert ----

tresult AlertBox::show(const char16* message, const char16* first, const char16* second,
                       const char16* third, int32* pressed) noexcept {
  if (message == nullptr || first == nullptr || pressed == nullptr) return kInvalidArgument;
  HostState* s = connection_ ? connection_->state : nullptr;
  if (s == nullptr) return kResultFalse;
  const int32 buttons = third ? 3 : second ? 2 : 1;
  return answerSafely(kOutOfMemory, [&]() -> tresult {
    s->records.alertsShown.push_back(toUtf8(message));
    int32 answer = buttons;
    if (!s->setup.alertAnswers.empty()) {
      answer = std::clamp(s->setup.alertAnswers.front(), 1, buttons);
      s->setup.alertAnswers.pop_front();
    } else if (s->setup.userDialogs != nullptr) {
      std::vector<std::string> labels{toUtf8(first)};
      if (second != nullptr) labels.push_back(toUtf8(second));
      if (third != nullptr) labels.push_back(toUtf8(third));
      answer = std::clamp(s->setup.userDialogs->alert(toUtf8(message), labels), 1, buttons);
    }
    *pressed = answer;
    s->touch();
    return kResultOk;
  });
}

}  // namespace QentSim
