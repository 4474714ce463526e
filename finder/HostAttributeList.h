// The attribute list a plug-in gets from the host context or from a message: typed values by
// 8-bit key, one value per key.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "base/TRefCounted.h"
#include "sdk/ComponentInterfaces.h"

namespace Brennholt::Hox {

class HostAttributeList final : public TRefCounted<IAttributeList> {
 public:
  enum class Type : uint32 { kInteger = 1, kFloat = 2, kText = 3, kBinary = 4 };

  HostAttributeList() = default;

  tresult setIntValue(AttrID id, int64 value) noexcept override;
  tresult getIntValue(AttrID id, int64* value) noexcept override;
  tresult setFloatValue(AttrID id, double value) noexcept override;
  tresult getFloatValue(AttrID id, double* value) noexcept override;
  tresult setTextValue(AttrID id, const char16* text) noexcept override;
  tresult getTextValue(AttrID id, char16* buffer, uint32 sizeInBytes) noexcept override;
  tresult setBinaryValue(AttrID id, const void* data, uint32 size) noexcept override;
  tresult getBinaryValue(AttrID id, const void** data, uint32* size) noexcept override;

 private:
  struct Value {
    Type type = Type::kInteger;
    uint32 size = 0;  // text: units with terminator; binary: bytes; else 0
    int64 integer = 0;
    double number = 0.0;
    std::u16string text;  // terminator included
    std::vector<uint8> bytes;
  };

  ~HostAttributeList() override = default;
  tresult store(AttrID id, Value&& value) noexcept;
  const Value* find(AttrID id, Type type) const;

  std::map<std::string, Value, std::less<>> values_;  // looks up by plain key text
};

}  // namespace Brennholt::Hox
