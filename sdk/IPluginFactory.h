// The class factory of a component module and the records it hands out by copy.
//
// Text fields are fixed-size, zero-filled and cut to the field; 8-bit unless stated 16-bit.
#pragma once

#include <cstddef>

#include "core/FUnknown.h"

namespace Brennholt {

struct PFactoryInfo {
  enum { kNameSize = 64, kURLSize = 256, kEmailSize = 128 };
  char vendor[kNameSize];
  char url[kURLSize];
  char email[kEmailSize];
  int32 flags;
};
static_assert(sizeof(PFactoryInfo) == 452);
static_assert(offsetof(PFactoryInfo, url) == 64);
static_assert(offsetof(PFactoryInfo, email) == 320);
static_assert(offsetof(PFactoryInfo, flags) == 448);

// Class information, basic form.
struct PClassInfo {
  enum { kCategorySize = 32, kNameSize = 64 };
  char cid[16];
  int32 cardinality;
  char category[kCategorySize];
  char name[kNameSize];
};
static_assert(sizeof(PClassInfo) == 116);
static_assert(offsetof(PClassInfo, cardinality) == 16);
static_assert(offsetof(PClassInfo, category) == 20);
static_assert(offsetof(PClassInfo, name) == 52);

enum : int32 { kManyInstances = 0x7FFFFFFF };

// Class information, extended form.
struct PClassInfo2 {
  enum {
    kCategorySize = 32,
    kNameSize = 64,
    kSubCategoriesSize = 128,
    kVendorSize = 64,
    kVersionSize = 64,
  };
  char cid[16];
  int32 cardinality;
  char category[kCategorySize];
  char name[kNameSize];
  uint32 classFlags;
  char subCategories[kSubCategoriesSize];
  char vendor[kVendorSize];
  char version[kVersionSize];
  char sdkVersion[kVersionSize];
};
static_assert(sizeof(PClassInfo2) == 440);
static_assert(offsetof(PClassInfo2, classFlags) == 116);
static_assert(offsetof(PClassInfo2, subCategories) == 120);
static_assert(offsetof(PClassInfo2, vendor) == 248);
static_assert(offsetof(PClassInfo2, version) == 312);
static_assert(offsetof(PClassInfo2, sdkVersion) == 376);

// Class information, wide form: name, vendor and versions in 16-bit units.
struct PClassInfoW {
  enum {
    kCategorySize = 32,
    kNameSize = 64,
    kSubCategoriesSize = 128,
    kVendorSize = 64,
    kVersionSize = 64,
  };
  char cid[16];
  int32 cardinality;
  char category[kCategorySize];
  char16 name[kNameSize];
  uint32 classFlags;
  char subCategories[kSubCategoriesSize];
  char16 vendor[kVendorSize];
  char16 version[kVersionSize];
  char16 sdkVersion[kVersionSize];
};
static_assert(sizeof(PClassInfoW) == 696);
static_assert(offsetof(PClassInfoW, name) == 52);
static_assert(offsetof(PClassInfoW, classFlags) == 180);
static_assert(offsetof(PClassInfoW, subCategories) == 184);
static_assert(offsetof(PClassInfoW, vendor) == 312);
static_assert(offsetof(PClassInfoW, version) == 440);
static_assert(offsetof(PClassInfoW, sdkVersion) == 568);

class IPluginFactory : public FUnknown {
 public:
  // Copies the factory information; null is ignored. [host thread]
  virtual tresult getFactoryInfo(PFactoryInfo* info) noexcept = 0;
  // Number of classes the factory offers. [host thread]
  virtual int32 countClasses() noexcept = 0;
  // Copies the basic information of class `index`. [host thread]
  virtual tresult getClassInfo(int32 index, PClassInfo* info) noexcept = 0;
  // Creates an object of class `cid` and stores it as interface `iid` in *object; the caller
  // owns that one reference. [host thread]
  virtual tresult createInstance(FIDString cid, FIDString iid, void** object) noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("1C814D7A11521F4AAED9D2EE0B43BF9F");

 protected:
  ~IPluginFactory() = default;
};

class IPluginFactory2 : public IPluginFactory {
 public:
  // Copies the extended information of class `index`. [host thread]
  virtual tresult getClassInfo2(int32 index, PClassInfo2* info) noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("50B607004BF20B4CA464EDB9F00B2ABB");

 protected:
  ~IPluginFactory2() = default;
};

class IPluginFactory3 : public IPluginFactory2 {
 public:
  // Copies the wide information of class `index`. [host thread]
  virtual tresult getClassInfoUnicode(int32 index, PClassInfoW* info) noexcept = 0;
  // Hands over the host context; the factory may keep no reference. [host thread]
  virtual tresult setHostContext(FUnknown* context) noexcept = 0;

  static constexpr FUID iid = FUID::fromMemoryHex("ABA2554523C1574E9B12291036878931");

 protected:
  ~IPluginFactory3() = default;
};

// Signatures of a component module's exports.
extern "C" {
using InitModuleProc = bool (*)();
using ExitModuleProc = bool (*)();
using GetFactoryProc = IPluginFactory* (*)();
}

}  // namespace Brennholt
