// The registry as QSettings' native format keeps it: HKEY_CURRENT_USER, then HKEY_LOCAL_MACHINE, each at
// Software\COMPANY\APPLICATION and then Software\COMPANY\OrganizationDefaults; a group is a subkey.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "platform/SystemSettings.h"
#include "platform/win32/SystemErrors.h"

namespace {

std::u16string Units(const wchar_t* text, size_t count) {
  std::u16string units(count, u'\0');
  for (size_t i = 0; i < count; ++i) units[i] = static_cast<char16_t>(text[i]);
  return units;
}

// The value's type and bytes, or nothing when the key or the value is not there.
std::optional<std::pair<DWORD, std::vector<BYTE>>> ReadRaw(HKEY root, const std::wstring& subkey, const std::wstring& name) {
  std::vector<BYTE> data;
  DWORD type = 0, size = 0;
  LSTATUS status = ERROR_MORE_DATA;
  // Asked again while the value grows between the asking for its size and the reading.
  while (status == ERROR_MORE_DATA) {
    // Room for the terminators the call adds to texts stored without them.
    data.resize(size + 2 * sizeof(wchar_t));
    size = static_cast<DWORD>(data.size());
    status = RegGetValueW(root, subkey.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, data.data(), &size);
  }
  if (status != ERROR_SUCCESS) return std::nullopt;
  data.resize(size);
  return std::make_pair(type, std::move(data));
}

SystemSettingValue Converted(DWORD type, const std::vector<BYTE>& data) {
  SystemSettingValue value;
  const auto* text = reinterpret_cast<const wchar_t*>(data.data());
  const size_t units = data.size() / sizeof(wchar_t);
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
      value.text = Units(text, wcsnlen(text, units));
      break;
    case REG_MULTI_SZ:
      value.kind = SystemSettingValue::Kind::TextList;
      for (size_t i = 0; i < units && text[i] != L'\0';) {
        const size_t length = wcsnlen(text + i, units - i);
        value.list.push_back(Units(text + i, length));
        i += length + 1;
      }
      break;
    case REG_NONE:
    case REG_BINARY:
      value.text = Units(text, units);
      break;
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: {
      // Taken as stored, whatever its byte order, and signed, as the toolkit takes it.
      int32_t number = 0;
      std::memcpy(&number, data.data(), std::min(data.size(), sizeof number));
      value.kind = SystemSettingValue::Kind::Number;
      value.number = number;
      break;
    }
    case REG_QWORD: {
      int64_t number = 0;
      std::memcpy(&number, data.data(), std::min(data.size(), sizeof number));
      value.kind = SystemSettingValue::Kind::Number;
      value.number = number;
      break;
    }
    default:
      value.kind = SystemSettingValue::Kind::Other;
      break;
  }
  return value;
}

}  // namespace

namespace SystemSettings {

bool Kept() { return true; }

std::optional<SystemSettingValue> Read(const std::string& company, const std::string& application,
                                       const std::string& group, const std::string& key) {
  const std::wstring prefix = L"Software\\" + WideName(company) + L"\\";
  const std::wstring suffix = L"\\" + WideName(group);
  const std::wstring name = WideName(key);
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    for (const std::wstring& place : {WideName(application), std::wstring(L"OrganizationDefaults")}) {
      if (auto raw = ReadRaw(root, prefix + place + suffix, name)) return Converted(raw->first, raw->second);
    }
  }
  return std::nullopt;
}

}  // namespace SystemSettings
