// ANSI forms of the registry functions: names and string data are converted
// with the ANSI code page; everything else goes to the wide forms.
#include <cstring>
#include <string>
#include <vector>

#include "win/registry.h"
#include "win/wstr.h"

namespace {

// Wide copy of an ANSI text of `len` bytes (-1: up to its terminator).
std::u16string Wide(const char* s, int len = -1) {
  if (!s) return {};
  if (len < 0) len = int(std::strlen(s));
  if (len == 0) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, s, len, nullptr, 0);
  std::u16string out(size_t(n > 0 ? n : 0), u'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, s, len, out.data(), n);
  return out;
}

std::string Ansi(const char16_t* s, int len) {
  if (len <= 0) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, s, len, nullptr, 0, nullptr, nullptr);
  std::string out(size_t(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, s, len, out.data(), n, nullptr, nullptr);
  return out;
}

const char16_t* OrNull(const std::u16string& s, const char* original) { return original ? s.c_str() : nullptr; }

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Delivers value data to an ANSI caller with the two-call protocol; text
// types are converted (the size reported is the converted size).
LONG DeliverAnsi(DWORD type, const std::vector<uint8_t>& wide, LPBYTE out, LPDWORD outSize) {
  std::string conv;
  const uint8_t* src = wide.data();
  size_t size = wide.size();
  if (IsText(type)) {
    std::u16string w(wide.size() / 2, u'\0');
    if (!w.empty()) std::memcpy(w.data(), wide.data(), w.size() * 2);
    conv = Ansi(w.data(), int(w.size()));
    src = reinterpret_cast<const uint8_t*>(conv.data());
    size = conv.size();
  }
  if (!outSize) return out ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
  DWORD have = *outSize;
  *outSize = DWORD(size);
  if (!out) return ERROR_SUCCESS;
  if (have < size) return ERROR_MORE_DATA;
  if (size) std::memcpy(out, src, size);
  return ERROR_SUCCESS;
}

// Reads a whole value through the wide form.
LONG ReadWide(HKEY key, const std::u16string& name, bool named, DWORD* type, std::vector<uint8_t>* data) {
  DWORD size = 0;
  LONG e = RegQueryValueExW(key, named ? name.c_str() : nullptr, nullptr, type, nullptr, &size);
  while (e == ERROR_SUCCESS) {
    data->resize(size);
    DWORD got = size;
    e = RegQueryValueExW(key, named ? name.c_str() : nullptr, nullptr, type, data->data(), &got);
    if (e == ERROR_MORE_DATA) {
      size = got;
      e = ERROR_SUCCESS;
      continue;
    }
    data->resize(got);
    break;
  }
  return e;
}

LONG CopyAnsiName(const std::u16string& name, LPSTR out, LPDWORD chars) {
  if (!out || !chars) return ERROR_INVALID_PARAMETER;
  std::string a = Ansi(name.data(), int(name.size()));
  if (*chars < a.size() + 1) {
    *chars = DWORD(a.size() + 1);
    return ERROR_MORE_DATA;
  }
  std::memcpy(out, a.data(), a.size());
  out[a.size()] = 0;
  *chars = DWORD(a.size());
  return ERROR_SUCCESS;
}

}  // namespace

KW_API LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM sam, PHKEY result) {
  std::u16string w = Wide(subKey);
  return RegOpenKeyExW(key, OrNull(w, subKey), options, sam, result);
}

KW_API LSTATUS WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                                      REGSAM sam, LPSECURITY_ATTRIBUTES security, PHKEY result,
                                      LPDWORD disposition) {
  std::u16string w = Wide(subKey), c = Wide(keyClass);
  return RegCreateKeyExW(key, OrNull(w, subKey), reserved, keyClass ? c.data() : nullptr, options, sam, security,
                         result, disposition);
}

KW_API LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                       LPDWORD dataSize) {
  if (reserved) return ERROR_INVALID_PARAMETER;
  DWORD t = REG_NONE;
  std::vector<uint8_t> wide;
  LONG e = ReadWide(key, Wide(valueName), valueName != nullptr, &t, &wide);
  if (e != ERROR_SUCCESS) return e;
  if (type) *type = t;
  return DeliverAnsi(t, wide, data, dataSize);
}

KW_API LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                                     DWORD dataSize) {
  std::u16string name = Wide(valueName);
  if (!IsText(type) || !data) return RegSetValueExW(key, OrNull(name, valueName), reserved, type, data, dataSize);
  std::u16string w = Wide(reinterpret_cast<const char*>(data), int(dataSize));
  return RegSetValueExW(key, OrNull(name, valueName), reserved, type, reinterpret_cast<const BYTE*>(w.data()),
                        DWORD(w.size() * 2));
}

KW_API LSTATUS WINAPI RegDeleteValueA(HKEY key, LPCSTR valueName) {
  std::u16string w = Wide(valueName);
  return RegDeleteValueW(key, OrNull(w, valueName));
}

KW_API LSTATUS WINAPI RegDeleteKeyA(HKEY key, LPCSTR subKey) {
  std::u16string w = Wide(subKey);
  return RegDeleteKeyW(key, OrNull(w, subKey));
}

KW_API LSTATUS WINAPI RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameChars, LPDWORD reserved,
                                    LPSTR keyClass, LPDWORD classChars, PFILETIME lastWrite) {
  if (reserved) return ERROR_INVALID_PARAMETER;
  char16_t buf[256];
  DWORD n = 256;
  LONG e = RegEnumKeyExW(key, index, buf, &n, nullptr, nullptr, nullptr, lastWrite);
  if (e != ERROR_SUCCESS) return e;
  if ((e = CopyAnsiName(std::u16string(buf, n), name, nameChars)) != ERROR_SUCCESS) return e;
  if (keyClass && classChars) {
    if (*classChars < 1) return ERROR_MORE_DATA;
    keyClass[0] = 0;
    *classChars = 0;
  }
  return ERROR_SUCCESS;
}

KW_API LSTATUS WINAPI RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameChars, LPDWORD reserved,
                                    LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  if (reserved) return ERROR_INVALID_PARAMETER;
  DWORD maxName = 0;
  LONG e = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName, nullptr,
                            nullptr, nullptr);
  if (e != ERROR_SUCCESS) return e;
  std::u16string wname(maxName + 1, u'\0');
  DWORD n = maxName + 1, t = REG_NONE, size = 0;
  e = RegEnumValueW(key, index, wname.data(), &n, nullptr, &t, nullptr, &size);
  if (e != ERROR_SUCCESS) return e;
  wname.resize(n);
  std::vector<uint8_t> wide;
  if ((e = ReadWide(key, wname, true, &t, &wide)) != ERROR_SUCCESS) return e;
  if ((e = CopyAnsiName(wname, name, nameChars)) != ERROR_SUCCESS) return e;
  if (type) *type = t;
  return DeliverAnsi(t, wide, data, dataSize);
}
