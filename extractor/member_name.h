// Member names come from the archive and are not trusted: a member may only
// land inside the extraction folder.
#pragma once
#include <string_view>

namespace kadu::extractor {

// True when `directory` + `fileName` stays inside the extraction folder:
// no ".." component, no drive or stream prefix (":"), no leading separator,
// no separator in the file name, and a file name that names a file. On
// refusal `*why` (when given) says what was wrong.
bool IsSafeMemberPath(std::string_view directory, std::string_view fileName, const char** why = nullptr);

}  // namespace kadu::extractor
