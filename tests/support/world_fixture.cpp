#include "tests/support/world_fixture.h"

#include <cstdlib>
#include <filesystem>

#include "kw/world.h"

namespace kadu_test {

void WorldFixture::SetUp() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "kadu-world-XXXXXX").string();
  char* made = ::mkdtemp(tmpl.data());
  ASSERT_NE(made, nullptr);
  world_ = made;
  kw::WorldSetRoot(world_);
}

void WorldFixture::TearDown() {
  std::error_code ec;
  std::filesystem::remove_all(world_, ec);
}

std::string SourcePath(const std::string& relative) {
  const char* src = std::getenv("KADU_SOURCE_DIR");
  return std::string(src ? src : ".") + "/" + relative;
}

}  // namespace kadu_test
