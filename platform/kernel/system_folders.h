// Where the world's Windows keeps its folders (one machine, one user).
#pragma once

namespace kw::folders {

inline constexpr const char16_t* kWindows = u"C:\\Windows";
inline constexpr const char16_t* kSystem = u"C:\\Windows\\System32";
inline constexpr const char16_t* kProgramFiles = u"C:\\Program Files";
inline constexpr const char16_t* kCommonAppData = u"C:\\ProgramData";
inline constexpr const char16_t* kUserProfile = u"C:\\Users\\User";
inline constexpr const char16_t* kUserName = u"User";

}  // namespace kw::folders
