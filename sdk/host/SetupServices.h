// The host services the extension setup uses: the host's create-instance operation, the
// settings store, the XML writer and reader, the save and open file selectors and the alert box.
//
// Each service is a new object the host makes on request: the module asks the host context for
// IHostClasses (queryInterface) and creates the service by its identifier, which serves as both
// the class and the interface identifier. The module holds each object in an IPtr and releases it
// after use; a host that answers neither the query nor the creation gives a silent no-op.
//
// Texts that go to the user (titles, messages, button texts) and paths are UTF-16, terminated.
// Settings sections, keys and values and XML names and values are the module's 8-bit texts.
// Where the host hands bytes over, it hands over their length too. Every operation is called on
// the host thread.
#pragma once

#include <cstddef>

#include "core/FUnknown.h"
#include "sdk/host/XmlParser.h"

namespace Brennholt::Hox {

// The host context's create-instance operation, answered through queryInterface.
class IHostClasses : public FUnknown {
 public:
  // Makes a new object of class `classId` and stores it as interface `iid` with one reference
  // for the caller; null and kNoInterface when the host has no such class. [host thread]
  virtual tresult createInstance(const TUID classId, const TUID iid, void** object) noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("6B1D0C52-3E7A-4F18-9A2C-5D8E41F07B93");

 protected:
  ~IHostClasses() = default;
};

// Persistent values by section and key; both at most 255 characters.
class ISettingsStore : public FUnknown {
 public:
  // Stores the integer of the key in *value; kResultOk when the key exists and holds an integer,
  // kResultFalse (value unchanged) otherwise. [host thread]
  virtual tresult getInteger(const char8* section, const char8* key, int32* value) noexcept = 0;
  // Stores an integer under the key, replacing what it held. [host thread]
  virtual tresult setInteger(const char8* section, const char8* key, int32 value) noexcept = 0;
  // Copies at most `capacity` bytes of the key's text (not terminated) into `text` and its full
  // length in bytes into *length; kResultOk when the key exists and holds a text, kResultFalse
  // otherwise. A short buffer gets the first bytes: ask again with *length bytes. [host thread]
  virtual tresult getString(const char8* section, const char8* key, char8* text, int32 capacity,
                            int32* length) noexcept = 0;
  // Stores `length` bytes of `text` (an empty text too) under the key. [host thread]
  virtual tresult setString(const char8* section, const char8* key, const char8* text,
                            int32 length) noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("14960B00-A154-11D5-BECC-00A0C9A636BC");

 protected:
  ~ISettingsStore() = default;
};

// Writes an XML document, element by element, to a file.
class IXmlWriter : public FUnknown {
 public:
  // Opens the file at `path` for writing; kResultOk when it could. Nothing is created when it
  // fails. The document is complete when the writer is released. [host thread]
  virtual tresult open(const char16* path) noexcept = 0;
  // Opens an element with `count` attributes (names[i] belongs to values[i]); with closeAtOnce
  // non-zero the element is empty and closed at once. [host thread]
  virtual tresult startElement(const char8* name, int32 count, const char8* const* names,
                               const char8* const* values, int32 closeAtOnce) noexcept = 0;
  // Closes the innermost open element, which is named `name`. [host thread]
  virtual tresult endElement(const char8* name) noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("B17ED555-CA82-4F33-AF3A-E93C6B7260B7");

 protected:
  ~IXmlWriter() = default;
};

// Reads an XML file and calls a callback for each element, streaming.
class IXmlReader : public FUnknown {
 public:
  // Reads the file at `path`, calling `callback` from inside this call; kResultOk when the whole
  // document was read, kResultFalse when the file cannot be read, is not well-formed XML or a
  // callback asked to stop. The reader keeps the callback (no reference) until detach.
  // [host thread]
  virtual tresult parse(const char16* path, IXmlParserDef* callback) noexcept = 0;
  // Forgets the callback of the last parse. [host thread]
  virtual tresult detach() noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("1E918FA1-96E9-11D5-BECC-00A0C9A636BC");

 protected:
  ~IXmlReader() = default;
};

// One file type a file selector offers.
struct FileType {
  int32 kind = 0;              // always 0
  char8 extension[8] = {};     // without the dot, terminated
  char8 description[64] = {};  // terminated
};
static_assert(sizeof(FileType) == 76);
static_assert(offsetof(FileType, extension) == 4);
static_assert(offsetof(FileType, description) == 12);

// The path a file selector hands out, allocated by the selector.
struct SelectedPath {
  char16* text = nullptr;  // terminated
  int32 length = 0;        // in 16-bit units, without the terminating zero
};

// The path form a selector's result is read in: 1 for an open selector's entry, 2 for a save
// selector's result.
enum PathForm : int32 { kEntryPath = 1, kSavePath = 2 };

// Asks the user for a file to write.
class ISaveFileSelector : public FUnknown {
 public:
  // Shows the dialog (mode 1 = save) and stores its result, one reference for the caller, in
  // *result; kResultFalse and null when the user cancelled. [host thread]
  virtual tresult run(int32 mode, const char16* title, const FileType* type,
                      FUnknown** result) noexcept = 0;
  // Stores the chosen path of `result` in `form` in *path; free it with freePath. [host thread]
  virtual tresult getPath(FUnknown* result, int32 form, SelectedPath* path) noexcept = 0;
  // Frees a path this selector handed out. [host thread]
  virtual tresult freePath(SelectedPath* path) noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("D42DB561-B599-449C-B01C-8D1C0BD679D8");

 protected:
  ~ISaveFileSelector() = default;
};

// Asks the user for files to read.
class IOpenFileSelector : public FUnknown {
 public:
  // Shows the dialog with `count` file types and stores the list of chosen entries, one
  // reference for the caller, in *list; kResultFalse and null when the user cancelled.
  // [host thread]
  virtual tresult run(const char16* title, const FileType* types, int32 count,
                      FUnknown** list) noexcept = 0;
  // The number of entries in `list`. [host thread]
  virtual int32 entryCount(FUnknown* list) noexcept = 0;
  // Stores entry `index` of `list`, one reference for the caller, in *entry. [host thread]
  virtual tresult getEntry(FUnknown* list, int32 index, FUnknown** entry) noexcept = 0;
  // Stores the path of `entry` in `form` in *path; free it with freePath. [host thread]
  virtual tresult getPath(FUnknown* entry, int32 form, SelectedPath* path) noexcept = 0;
  // Frees a path this selector handed out. [host thread]
  virtual tresult freePath(SelectedPath* path) noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("3A494FD7-9DF2-4690-BC74-E831275E357D");

 protected:
  ~IOpenFileSelector() = default;
};

// A modal message with up to three buttons.
class IAlertBox : public FUnknown {
 public:
  // Shows `message` with the first button and, when not null, a second and a third; stores the
  // 1-based number of the button pressed in *pressed. [host thread]
  virtual tresult show(const char16* message, const char16* first, const char16* second,
                       const char16* third, int32* pressed) noexcept = 0;

  static constexpr FUID iid = FUID::fromDashed("37BDB6A1-65FB-4994-9886-04549461A2BB");

 protected:
  ~IAlertBox() = default;
};

// Creates service S through the host context's create-instance operation; empty when the
// context is null or offers neither the operation nor the class.
template <class S>
IPtr<S> createInstance(FUnknown* context) {
  IPtr<S> made;
  IPtr<IHostClasses> classes = queryInterface<IHostClasses>(context);
  if (classes &&
      classes->createInstance(S::iid.bytes(), S::iid.bytes(), made.putVoid()) != kResultOk) {
    made.reset();
  }
  return made;
}

}  // namespace Brennholt::Hox
