// Windows wildcard matching for FindFirstFile and the open-failure hook.
#include "file_internal.h"
#include "kw/wide.h"

namespace kw::file {
namespace {

// A '?' also matches nothing where the name has run out or reached its dot,
// as long as only '?'s stand between it and the pattern's own dot or end.
bool QuestionMayBeEmpty(std::u16string_view p, std::u16string_view n) {
  if (!n.empty() && n[0] != u'.') return false;
  size_t i = 0;
  while (i < p.size() && p[i] == u'?') ++i;
  return i == p.size() || p[i] == u'.';
}

bool Match(std::u16string_view p, std::u16string_view n) {
  while (!p.empty()) {
    char16_t c = p[0];
    if (c == u'*') {
      while (!p.empty() && p[0] == u'*') p.remove_prefix(1);
      if (p.empty()) return true;
      for (size_t i = 0; i <= n.size(); ++i)
        if (Match(p, n.substr(i))) return true;
      return false;
    }
    if (c == u'?') {
      if (!n.empty() && Match(p.substr(1), n.substr(1))) return true;
      return QuestionMayBeEmpty(p, n) && Match(p.substr(1), n);
    }
    if (n.empty() || FoldAscii(c) != FoldAscii(n[0])) return false;
    p.remove_prefix(1);
    n.remove_prefix(1);
  }
  return n.empty();
}

}  // namespace

bool WildcardMatch(std::u16string_view pattern, std::u16string_view name) {
  if (pattern == u"*.*") pattern = u"*";
  if (Match(pattern, name)) return true;
  // "name." and "*." stand for names without an extension.
  if (!pattern.empty() && pattern.back() == u'.' && name.find(u'.') == std::u16string_view::npos)
    return Match(pattern.substr(0, pattern.size() - 1), name);
  return false;
}

}  // namespace kw::file
