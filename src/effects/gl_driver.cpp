// gl_driver.cpp -- the real driver hooks and the two extension-string searches.
#include "effects/gl_driver.h"

#include <epoxy/gl.h>

#include <cstring>

#include "platform/gl_proc_address.h"

namespace MorlenGL {

namespace {

const char* RealExtensions() { return reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)); }

constexpr GlDriver kRealDriver = {RealExtensions, plat::GlProcAddress, plat::GlContextIsCurrent};
GlDriver current = kRealDriver;

}  // namespace

const GlDriver& CurrentGlDriver() { return current; }
void SetGlDriver(const GlDriver& driver) { current = driver; }
void UseRealGlDriver() { current = kRealDriver; }

bool ExtensionTextContains(const char* list, const char* name) {
  return list && name && std::strstr(list, name) != nullptr;
}

bool ExtensionListHas(const char* list, const char* name) {
  if (!list || !name || !*name) return false;
  const size_t length = std::strlen(name);
  for (const char* p = list; (p = std::strstr(p, name)); p += length) {
    const bool startsWord = p == list || p[-1] == ' ';
    const bool endsWord = p[length] == ' ' || p[length] == '\0';
    if (startsWord && endsWord) return true;
  }
  return false;
}

}  // namespace MorlenGL
