// Port classification: network ports first (the network probe), then the
// port name's prefix, then a dotted IPv4 address.
#include <cstring>

#include "langmon/operations.h"

namespace langmon {
namespace {

struct PrefixClass {
  const char* prefix;
  DWORD type, subtype;
};

const PrefixClass kPrefixes[] = {
    {"LPT", kTypeParallel, 1},
    {"USB", kTypeUsb, kSubtypeUsb},
    {"KD1USB", kTypeUsb, kSubtypeVendorUsb},
    {"\\\\", kTypeShare, kTypeShare},
};

int Dots(const char* s) {
  int n = 0;
  for (; *s; ++s) n += *s == '.';
  return n;
}

}  // namespace

void ClassifyPort(PortRecord* p, const char* name) {
  if (NetworkProbe(p)) {
    p->portType = kTypeNetwork;
    p->portSubtype = kTypeNetwork;
    p->network = TRUE;
    return;
  }
  for (const PrefixClass& c : kPrefixes) {
    if (std::strncmp(name, c.prefix, std::strlen(c.prefix)) == 0) {
      p->portType = c.type;
      p->portSubtype = c.subtype;
      return;
    }
  }
  if (Dots(name) == 3) {
    p->portType = kTypeNetwork;
    p->portSubtype = kSubtypeIp;
    p->noStatus = TRUE;
    return;
  }
  p->portType = 0;
  p->portSubtype = 0;
}

}  // namespace langmon
