// Resource lookups over the resource table the PE reader made for a module.
// An HRSRC is the address of the table item; the data is the module's image.
#include "win/resource.h"

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "kw/hooks_resource.h"
#include "kw/wide.h"
#include "module_table.h"
#include "win/wstr.h"

namespace {

using kw::ModuleResources;
using kw::PeResource;
using kw::PeResourceName;

std::atomic<LANGID> g_uiLanguage{MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)};

constexpr size_t kStringsPerBlock = 16;

// ---- names --------------------------------------------------------------------

// A caller's name: integer resource, "#123", or a string.
PeResourceName NameOf(LPCWSTR p) {
  PeResourceName n;
  if (IS_INTRESOURCE(p)) {
    n.id = WORD(reinterpret_cast<uintptr_t>(p));
    return n;
  }
  std::u16string s(p);
  if (s.size() > 1 && s[0] == u'#') {
    uint32_t v = 0;
    bool digits = s.size() <= 6;
    for (size_t i = 1; i < s.size() && digits; ++i) {
      digits = s[i] >= u'0' && s[i] <= u'9';
      v = v * 10 + uint32_t(s[i] - u'0');
    }
    if (digits && v <= 0xFFFF) {
      n.id = WORD(v);
      return n;
    }
  }
  n.isId = false;
  n.text = std::move(s);
  return n;
}

bool Same(const PeResourceName& a, const PeResourceName& b) {
  if (a.isId != b.isId) return false;
  return a.isId ? a.id == b.id : kw::EqualsNoCase(a.text, b.text);
}

// What a callback receives: an integer resource or a terminated string.
struct NameArg {
  std::u16string text;
  LPWSTR Get(const PeResourceName& n) {
    if (n.isId) return MAKEINTRESOURCEW(n.id);
    text = n.text;
    return text.data();
  }
};

// ---- lookup -----------------------------------------------------------------------

const ModuleResources* ResourcesOf(HMODULE module) {
  DWORD error = 0;
  const ModuleResources* r = kw::ModuleResourcesOf(module, &error);
  if (!r) SetLastError(error);
  return r;
}

std::vector<LANGID> FallbackLanguages() {
  LANGID ui = g_uiLanguage.load();
  return {ui,
          LANGID(MAKELANGID(PRIMARYLANGID(ui), SUBLANG_NEUTRAL)),
          0,
          LANGID(MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT)),
          LANGID(MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT)),
          LANGID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)),
          LANGID(MAKELANGID(LANG_ENGLISH, SUBLANG_NEUTRAL))};
}

// The item of (type, name) in `language`, or with `anyLanguage` by the
// fallback order. Sets the Windows error when there is none.
const PeResource* Find(const ModuleResources& r, LPCWSTR type, LPCWSTR name, WORD language, bool anyLanguage) {
  if (!type || !name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  PeResourceName t = NameOf(type), n = NameOf(name);
  std::vector<const PeResource*> langs;
  bool typeSeen = false;
  for (const PeResource& item : r.table.items) {
    if (!Same(item.type, t)) continue;
    typeSeen = true;
    if (Same(item.name, n)) langs.push_back(&item);
  }
  if (langs.empty()) {
    SetLastError(!r.table.hasSection ? ERROR_RESOURCE_DATA_NOT_FOUND
                 : typeSeen          ? ERROR_RESOURCE_NAME_NOT_FOUND
                                     : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
  }
  std::vector<LANGID> order = anyLanguage ? FallbackLanguages() : std::vector<LANGID>{language};
  for (LANGID want : order) {
    for (const PeResource* item : langs) {
      if (item->language == want) return item;
    }
  }
  if (anyLanguage) return langs.front();
  SetLastError(ERROR_RESOURCE_LANG_NOT_FOUND);
  return nullptr;
}

// The item behind an HRSRC, when it belongs to that module.
const PeResource* ItemOf(const ModuleResources& r, HRSRC resource) {
  auto* item = reinterpret_cast<const PeResource*>(resource);
  const auto& items = r.table.items;
  if (items.empty() || item < items.data() || item >= items.data() + items.size()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return item;
}

// ---- string tables --------------------------------------------------------------------

// Entry `index` of a string table block: pointer and length, bounded by the data.
bool StringInBlock(const uint8_t* data, size_t size, size_t index, const uint8_t** text, size_t* length) {
  size_t at = 0;
  for (size_t i = 0; i <= index; ++i) {
    uint16_t n;
    if (at + 2 > size) return false;
    std::memcpy(&n, data + at, 2);
    at += 2;
    if (size_t(n) * 2 > size - at) return false;
    if (i == index) {
      *text = data + at;
      *length = n;
      return true;
    }
    at += size_t(n) * 2;
  }
  return false;
}

bool FindString(HINSTANCE module, UINT id, const uint8_t** text, size_t* length) {
  const ModuleResources* r = ResourcesOf(module);
  if (!r) return false;
  const PeResource* item = Find(*r, RT_STRING, MAKEINTRESOURCEW(id / kStringsPerBlock + 1), 0, true);
  if (!item) return false;
  if (!StringInBlock(r->file + item->fileOffset, item->size, id % kStringsPerBlock, text, length)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return false;
  }
  return true;
}

}  // namespace

KW_API HRSRC WINAPI FindResourceExW(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language) {
  const ModuleResources* r = ResourcesOf(module);
  if (!r) return nullptr;
  const PeResource* item = Find(*r, type, name, language, language == 0);
  return reinterpret_cast<HRSRC>(const_cast<PeResource*>(item));
}

KW_API HRSRC WINAPI FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
  return FindResourceExW(module, type, name, 0);
}

KW_API HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource) {
  const ModuleResources* r = ResourcesOf(module);
  const PeResource* item = r ? ItemOf(*r, resource) : nullptr;
  if (!item) return nullptr;
  return const_cast<uint8_t*>(r->file + item->fileOffset);
}

KW_API LPVOID WINAPI LockResource(HGLOBAL data) { return data; }

KW_API DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource) {
  const ModuleResources* r = ResourcesOf(module);
  const PeResource* item = r ? ItemOf(*r, resource) : nullptr;
  return item ? item->size : 0;
}

KW_API BOOL WINAPI FreeResource(HGLOBAL) { return FALSE; }

KW_API int WINAPI LoadStringW(HINSTANCE module, UINT id, LPWSTR buffer, int max) {
  if (!buffer || max < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const uint8_t* text = nullptr;
  size_t length = 0;
  if (!FindString(module, id, &text, &length)) {
    if (max > 0) buffer[0] = 0;
    return 0;
  }
  if (max == 0) {
    const WCHAR* p = reinterpret_cast<const WCHAR*>(text);
    std::memcpy(buffer, &p, sizeof p);  // the buffer holds a pointer, however it is aligned
    return int(length);
  }
  size_t n = length < size_t(max) ? length : size_t(max) - 1;
  std::memcpy(buffer, text, n * 2);
  buffer[n] = 0;
  return int(n);
}

KW_API int WINAPI LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int max) {
  if (!buffer || max <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  buffer[0] = 0;
  const uint8_t* text = nullptr;
  size_t length = 0;
  if (!FindString(module, id, &text, &length) || length == 0) return 0;
  std::u16string wide(length, u'\0');
  std::memcpy(wide.data(), text, length * 2);
  int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), int(length), nullptr, 0, nullptr, nullptr);
  std::string ansi(size_t(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, wide.data(), int(length), ansi.data(), n, nullptr, nullptr);
  size_t copy = ansi.size() < size_t(max) ? ansi.size() : size_t(max) - 1;
  std::memcpy(buffer, ansi.data(), copy);
  buffer[copy] = 0;
  return int(copy);
}

KW_API BOOL WINAPI EnumResourceTypesW(HMODULE module, ENUMRESTYPEPROCW proc, LONG_PTR param) {
  const ModuleResources* r = ResourcesOf(module);
  if (!r || !proc) return FALSE;
  const PeResourceName* last = nullptr;
  NameArg arg;
  for (const PeResource& item : r->table.items) {
    if (last && Same(*last, item.type)) continue;
    last = &item.type;
    if (!proc(module, arg.Get(item.type), param)) {
      SetLastError(ERROR_RESOURCE_ENUM_USER_STOP);
      return FALSE;
    }
  }
  if (!last) SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
  return last != nullptr;
}

KW_API BOOL WINAPI EnumResourceNamesW(HMODULE module, LPCWSTR type, ENUMRESNAMEPROCW proc, LONG_PTR param) {
  const ModuleResources* r = ResourcesOf(module);
  if (!r || !proc || !type) return FALSE;
  PeResourceName t = NameOf(type);
  const PeResourceName* last = nullptr;
  NameArg arg;
  for (const PeResource& item : r->table.items) {
    if (!Same(item.type, t) || (last && Same(*last, item.name))) continue;
    last = &item.name;
    if (!proc(module, type, arg.Get(item.name), param)) {
      SetLastError(ERROR_RESOURCE_ENUM_USER_STOP);
      return FALSE;
    }
  }
  if (!last) SetLastError(r->table.hasSection ? ERROR_RESOURCE_TYPE_NOT_FOUND : ERROR_RESOURCE_DATA_NOT_FOUND);
  return last != nullptr;
}

KW_API BOOL WINAPI EnumResourceLanguagesW(HMODULE module, LPCWSTR type, LPCWSTR name, ENUMRESLANGPROCW proc,
                                          LONG_PTR param) {
  const ModuleResources* r = ResourcesOf(module);
  if (!r || !proc) return FALSE;
  if (!Find(*r, type, name, 0, true)) return FALSE;  // sets the error of what is missing
  PeResourceName t = NameOf(type), n = NameOf(name);
  for (const PeResource& item : r->table.items) {
    if (!Same(item.type, t) || !Same(item.name, n)) continue;
    if (!proc(module, type, name, item.language, param)) {
      SetLastError(ERROR_RESOURCE_ENUM_USER_STOP);
      return FALSE;
    }
  }
  return TRUE;
}

namespace kw::hooks {

void ResourceSetUiLanguage(LANGID language) { g_uiLanguage = language; }

}  // namespace kw::hooks
