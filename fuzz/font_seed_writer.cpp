// Writes the font reader's seed corpus into the folder given: small synthetic faces and
// collections, a name table with Macintosh records only, and the head of the Roboto file.
// Each seed starts with the byte that chooses the face.

#include <cstdio>
#include <string>
#include <vector>

#include "tests/graphics/platform/font_fixtures.h"

namespace {

namespace test = plugfw::gfx::test;

bool WriteSeed(const std::string& path, uint8_t face, const test::Bytes& font) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool written =
      std::fputc(face, file) != EOF && std::fwrite(font.data(), 1, font.size(), file) == font.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <seed folder>\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  test::SyntheticFace macOnly;
  macOnly.names = {test::MacName(1, "Old Face"), test::MacName(2, "Bold")};
  test::Bytes roboto = test::ReadRobotoFile("Roboto-Regular.ttf");
  // Directory and the first tables: the fuzzer's inputs stay small.
  if (roboto.size() > 6000) roboto.resize(6000);
  const std::vector<std::pair<uint8_t, test::Bytes>> seeds = {
      {0, test::BuildFont(test::NamedFace("Sans", "Regular"))},
      {1, test::BuildCollection({test::NamedFace("Sans", "Regular"), test::NamedFace("Sans", "Bold", 1)})},
      {0, test::BuildFont(macOnly)},
      {0, roboto},
  };
  bool ok = true;
  for (size_t i = 0; i < seeds.size(); ++i) {
    ok = WriteSeed(folder + "/font" + std::to_string(i), seeds[i].first, seeds[i].second) && ok;
  }
  return ok ? 0 : 1;
}
