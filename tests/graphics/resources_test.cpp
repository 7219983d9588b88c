// Resource loading: the scale search order and name@Nx variants on temporary files, bitmaps
// redrawn at the wanted scale and found in the cache afterwards, who owns a decoded bitmap,
// named data from files (and, on Windows, module resources), SVG loading and fonts.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "graphics/gfx.h"
#include "graphics/resource_cache.h"
#include "graphics/scaled_image_names.h"
#include "graphics/string_hash.h"
#include "tests/graphics/support/gfx_test_support.h"

namespace plugfw::gfx {
namespace {

namespace fs = std::filesystem;
using test::GfxTestDelegate;
using test::RecordingGfx;
using Texts = std::vector<std::string>;

constexpr char kLogoSvg[] = R"(<svg width="16" height="16"><circle cx="8" cy="8" r="6" fill="#3a7"/></svg>)";

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// A folder of its own for each test, removed afterwards; no graphics context outlives the
// test, so the static caches start and end empty.
class ResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        fs::temp_directory_path() /
        ("halcyra_resources_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override {
    gfx.reset();
    fs::remove_all(folder_);
  }
  std::string PathOf(const char* name) const { return (folder_ / name).string(); }
  std::string Make(const char* name, const std::string& bytes = "pixels") {
    WriteFile(folder_ / name, bytes);
    return PathOf(name);
  }
  // The paths the decoder was given, with the scale asked for.
  Texts Decoded() const {
    Texts decoded;
    for (const test::GfxCall& call : gfx->log.Named("LoadBitmapData")) {
      decoded.push_back(call.text.substr(std::string("LoadBitmapData ").size()));
    }
    return decoded;
  }
  std::string Decode(const std::string& path, int scale) const {
    return path + " " + std::to_string(scale) + " 1 png";
  }

  GfxTestDelegate delegate{1};
  std::unique_ptr<RecordingGfx> gfx = std::make_unique<RecordingGfx>(delegate);
  fs::path folder_;
};

TEST(ScaledImageNames, ScalesAreTriedBestFirst) {
  struct Case {
    int32_t target;
    std::vector<int32_t> order;
  };
  const Case cases[] = {{1, {1, 3, 2}}, {2, {2, 3, 1}}, {3, {3, 2, 1}}, {4, {4, 3, 2, 1}}, {6, {6, 3, 2, 1}}};
  for (const Case& c : cases) {
    int32_t scales[kMaxScaleCandidates];
    const int32_t count = ScaleSearchOrder(c.target, scales);
    EXPECT_EQ(std::vector<int32_t>(scales, scales + count), c.order) << c.target;
  }
}

TEST(ScaledImageNames, TheScaleMarkGoesBeforeTheLastExtensionOfTheFileName) {
  struct Case {
    const char* name;
    int32_t scale;
    const char* variant;
  };
  const Case cases[] = {
      {"knob.png", 1, "knob.png"},
      {"knob.png", 2, "knob@2x.png"},
      {"image.tar.gz", 2, "image.tar@2x.gz"},
      {"skin.v2/knob", 3, "skin.v2/knob@3x"},
      {"skin.v2\\knob.jpg", 2, "skin.v2\\knob@2x.jpg"},
      {"knob", 2, "knob@2x"},
  };
  HeapString variant;
  for (const Case& c : cases) {
    ScaledImageName(c.name, c.scale, variant);
    EXPECT_STREQ(variant.Get(), c.variant) << c.name;
  }
  EXPECT_STREQ(NameExtension("knob.PNG"), "PNG");
  EXPECT_STREQ(NameExtension("image.tar.gz"), "gz");
  EXPECT_STREQ(NameExtension("knob"), "knob");
}

TEST(ScaledImageNames, TheTargetScaleIsTheAskedOneOrTheDisplaysRoundedUp) {
  struct Case {
    int32_t asked;
    float screenScale;
    int32_t target;
  };
  const Case cases[] = {
      {2, 1.25f, 2}, {0, 1.25f, 2}, {0, 1.f, 1}, {0, 1.5f, 2},     {-1, 3.f, 3},  {0, 0.5f, 1},
      {0, 0.f, 1},   {0, -2.f, 1},  {0, NAN, 1}, {0, INFINITY, 1}, {0, 1e9f, 64},  // far beyond any display,
                                                                                   // held where it still
                                                                                   // names a scale
  };
  for (const Case& c : cases) EXPECT_EQ(TargetScale(c.asked, c.screenScale), c.target) << c.screenScale;
}

TEST(ScaledImageNames, KeysAreFnv1aOfTheNameAndScale) {
  EXPECT_EQ(StringHash("foobar"), 0x85944171f73967e8ull);
  EXPECT_EQ(ResourceKeyHash("knob.png", 2.0), StringHash("knob.png-2.0x"));
  EXPECT_NE(ResourceKeyHash("knob.png", 2.0), ResourceKeyHash("knob.png", 3.0));
}

TEST_F(ResourcesTest, AtScreenScaleOneAndAQuarterTheDoubleSizeImageIsLookedForFirst) {
  const std::string plain = Make("knob.png");
  const std::string triple = Make("knob@3x.png");
  const std::string twice = Make("knob@2x.png");
  gfx->SetScreenScaleValue(1.25f);

  const BitmapRef found = gfx->LoadBitmapScaled(plain.c_str());
  EXPECT_EQ(Decoded(), Texts{Decode(twice, 2)});
  ASSERT_FALSE(found.Empty());
  EXPECT_EQ(found.bitmap->Scale(), 2.f);
  EXPECT_EQ(found.width, 8);  // 16 pixels at scale 2
  EXPECT_STREQ(found.name.Get(), plain.c_str());

  // A second load takes the cached bitmap and touches no file.
  fs::remove(twice);
  EXPECT_EQ(gfx->LoadBitmapScaled(plain.c_str()).bitmap, found.bitmap);
  EXPECT_EQ(Decoded().size(), 1u);
}

TEST_F(ResourcesTest, AnImageFoundAtAnotherScaleIsRedrawnAndCachedAtTheWantedOne) {
  const std::string plain = Make("knob.png");
  gfx->SetScreenScaleValue(1.25f);
  const BitmapRef found = gfx->LoadBitmapScaled(plain.c_str(), 3, true);
  // Not there at 2, nor at 3: knob.png itself, drawn into a layer of twice its pixels.
  EXPECT_EQ(Decoded(), Texts{Decode(plain, 1)});
  EXPECT_EQ(gfx->log.Named("CreateOffscreenBitmap").at(0).text, "CreateOffscreenBitmap 32 32 2 1 yes");
  EXPECT_EQ(gfx->log.Count("DrawBitmap"), 1);
  ASSERT_FALSE(found.Empty());
  EXPECT_EQ(found.bitmap->Scale(), 2.f);
  EXPECT_EQ(found.width, 16);
  EXPECT_EQ(found.frameCount, 3);
  EXPECT_TRUE(found.framesHorizontal);
  // Under the key text knob.png-2.0x, and the source under its own scale.
  EXPECT_EQ(StaticBitmapCache().Find(plain.c_str(), 2.0), found.bitmap);
  ASSERT_NE(StaticBitmapCache().Find(plain.c_str(), 1.0), nullptr);
  // Layers leave the scales as they were.
  EXPECT_EQ(gfx->GetScreenScale(), 1.25f);
  EXPECT_EQ(gfx->GetDrawScale(), 1.f);
}

TEST_F(ResourcesTest, TheTripleSizeImageComesBeforeThePlainOne) {
  const std::string plain = Make("knob.png");
  const std::string triple = Make("knob@3x.png");
  gfx->SetScreenScaleValue(2.f);
  EXPECT_EQ(gfx->LoadBitmapScaled(plain.c_str()).bitmap->Scale(), 2.f);
  EXPECT_EQ(Decoded(), Texts{Decode(triple, 3)});
}

TEST_F(ResourcesTest, ACachedBitmapServesWhenTheFileIsGone) {
  const std::string plain = Make("knob.png");
  const BitmapRef atOne = gfx->LoadBitmapScaled(plain.c_str(), 0, false, 1);
  EXPECT_EQ(atOne.frameCount, 1);  // no image has no frames: drawing divides by the count
  fs::remove(plain);
  const BitmapRef atTwo = gfx->LoadBitmapScaled(plain.c_str(), 1, false, 2);
  ASSERT_FALSE(atTwo.Empty());
  EXPECT_EQ(atTwo.bitmap->Scale(), 2.f);
  EXPECT_NE(atTwo.bitmap, atOne.bitmap);
  EXPECT_EQ(Decoded().size(), 1u);
}

TEST_F(ResourcesTest, WithoutALayerToRedrawItInTheImageComesAtTheScaleItWasFound) {
  const std::string plain = Make("knob.png");
  gfx->failOffscreenBitmaps = true;
  const BitmapRef found = gfx->LoadBitmapScaled(plain.c_str(), 1, false, 2);
  ASSERT_FALSE(found.Empty());
  EXPECT_EQ(found.bitmap->Scale(), 1.f);
  EXPECT_EQ(found.width, 16);
  EXPECT_EQ(gfx->LayerCount(), 0);
}

TEST_F(ResourcesTest, UnsupportedOrMissingImagesGiveAnEmptyReference) {
  const std::string gif = Make("anim.gif");
  EXPECT_TRUE(gfx->LoadBitmapScaled(gif.c_str()).Empty());
  EXPECT_TRUE(gfx->LoadBitmapScaled(PathOf("missing.png").c_str()).Empty());
  EXPECT_TRUE(Decoded().empty());
  EXPECT_EQ(StaticBitmapCache().Count(), 0);
}

// A back end that keeps every bitmap it decodes in a cache of its own, as the renderer does,
// and so makes the framework's caching do nothing.
class SelfCachingGfx : public RecordingGfx {
 public:
  using RecordingGfx::RecordingGfx;
  APIBitmap* LoadBitmapDataFromMemory(const char* name, const void* data, int32_t size,
                                      float scale) override {
    if (!decoded_) decoded_.reset(RecordingGfx::LoadBitmapDataFromMemory(name, data, size, scale));
    return decoded_.get();
  }
  void CacheBitmap(const BitmapRef& bitmap, const char* /*name*/) override {
    if (bitmap.bitmap != decoded_.get()) kept_.emplace_back(bitmap.bitmap);
  }
  void UncacheBitmap(APIBitmap* /*bitmap*/) override {}

 private:
  std::unique_ptr<APIBitmap> decoded_;
  std::vector<std::unique_ptr<APIBitmap>> kept_;
};

TEST_F(ResourcesTest, BitmapsFromMemoryAreDecodedOnceAtScaleOneAndNeverFreedTwice) {
  const char bytes[] = "png bytes";
  const BitmapRef first = gfx->LoadBitmapFromMemory("badge.png", bytes, sizeof bytes, 1, false, 2);
  ASSERT_FALSE(first.Empty());
  EXPECT_EQ(first.bitmap->Scale(), 2.f);
  EXPECT_EQ(gfx->log.Named("LoadBitmapDataFromMemory").at(0).text, "LoadBitmapDataFromMemory badge.png 10 1");
  EXPECT_EQ(gfx->LoadBitmapFromMemory("badge.png", bytes, sizeof bytes, 1, false, 2).bitmap, first.bitmap);
  // At scale 1 the decoded bitmap itself, from the cache.
  EXPECT_EQ(gfx->LoadBitmapFromMemory("badge.png", nullptr, 0, 1, false, 1).bitmap->Scale(), 1.f);
  EXPECT_EQ(gfx->log.Count("LoadBitmapDataFromMemory"), 1);

  // The back end's own cache keeps its bitmap when the framework redraws it at scale 2.
  SelfCachingGfx own(delegate);
  const BitmapRef rescaled = own.LoadBitmapFromMemory("own.png", bytes, sizeof bytes, 1, false, 2);
  ASSERT_FALSE(rescaled.Empty());
  EXPECT_EQ(rescaled.bitmap->Scale(), 2.f);
  EXPECT_FALSE(own.LoadBitmapFromMemory("own.png", bytes, sizeof bytes, 1, false, 2).Empty());
}

TEST_F(ResourcesTest, ABitmapHandedToTheCacheTwiceIsHeldAndFreedOnce) {
  auto* bitmap = new test::RecordingBitmap(7, 4, 4, 1.f, 1.f);
  const BitmapRef ref(bitmap, 1, false, "twice.png");
  gfx->CacheBitmap(ref, "twice.png");
  gfx->CacheBitmap(ref, "twice.png");
  EXPECT_EQ(StaticBitmapCache().Count(), 1);
  // The last graphics context clears the cache: one delete, not two.
  gfx.reset();
  EXPECT_EQ(StaticBitmapCache().Count(), 0);
}

TEST_F(ResourcesTest, NamedDataIsTheWholeFileOrNothing) {
  const std::string binary("\0\1\2\3svg\xff", 8);
  EXPECT_EQ(gfx->LoadNamedData(Make("data.bin", binary).c_str(), "bin").Size(), 8);
  const HeapBuffer data = gfx->LoadNamedData(PathOf("data.bin").c_str(), "bin");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(data.Data()), static_cast<size_t>(data.Size())),
            binary);
  EXPECT_EQ(gfx->LoadNamedData(Make("empty.bin", "").c_str(), "bin").Size(), 0);
  EXPECT_EQ(gfx->LoadNamedData(PathOf("missing.bin").c_str(), "bin").Size(), 0);
  EXPECT_EQ(gfx->LoadNamedData(folder_.string().c_str(), "bin").Size(), 0);  // a folder is no file
  EXPECT_EQ(gfx->LoadNamedData("", "bin").Size(), 0);
}

TEST_F(ResourcesTest, AFileTooLargeForABufferGivesNoBytesRatherThanAWrappedCount) {
  const fs::path huge = folder_ / "huge.bin";
  WriteFile(huge, "");
  std::error_code error;
  fs::resize_file(huge, (std::uintmax_t{4} << 30) + 16, error);  // sparse: nothing is written
  if (error) GTEST_SKIP() << "no sparse files here: " << error.message();
  EXPECT_EQ(gfx->LoadNamedData(huge.string().c_str(), "bin").Size(), 0);
}

TEST_F(ResourcesTest, SvgImagesLoadByNameOnceAndFailuresAreNotCached) {
  const std::string logo = Make("logo.svg", kLogoSvg);
  const SvgRef first = gfx->LoadSvgByName(logo.c_str());
  ASSERT_FALSE(first.Empty());
  EXPECT_EQ(first.Width(), 16.f);
  fs::remove(logo);
  EXPECT_EQ(gfx->LoadSvgByName(logo.c_str()).image, first.image);

  EXPECT_TRUE(gfx->LoadSvgByName(PathOf("missing.svg").c_str()).Empty());
  // Parsed, but nothing to draw: no shapes, or no size.
  EXPECT_TRUE(gfx->LoadSvgByName(Make("blank.svg", R"(<svg width="10" height="10"></svg>)").c_str()).Empty());
  EXPECT_TRUE(gfx->LoadSvgByName(Make("junk.svg", "not an image").c_str()).Empty());
  EXPECT_EQ(StaticSvgCache().Count(), 1);
}

#if defined(_WIN32)
TEST_F(ResourcesTest, ModuleResourcesComeBeforeFilesAndTinyOnesCountAsMissing) {
  // Logo.svg is embedded in this program; a file of that name holds something else.
  fs::current_path(folder_);
  Make("Logo.svg", "<svg/>");
  const HeapBuffer logo = gfx->LoadNamedData("logo.svg", "svg");
  EXPECT_EQ(logo.Size(), 111);
  EXPECT_FALSE(gfx->LoadSvgByName("Logo.svg").Empty());
  // Tiny.svg holds 7 bytes: no image is that small, and no zeros stand in for it.
  EXPECT_EQ(gfx->LoadNamedData("tiny.svg", "svg").Size(), 0);
  fs::current_path(fs::temp_directory_path());
}
#endif

// A platform that makes fonts, and a renderer that takes or refuses them.
class FontGfx : public RecordingGfx {
 public:
  FontGfx(IGfxEditorDelegate& delegate, Texts& log) : RecordingGfx(delegate), log_(log) {}

  class LoggedFont : public PlatformFont {
   public:
    explicit LoggedFont(Texts& log) : PlatformFont(false), log_(log) {}
    ~LoggedFont() override { log_.push_back("~font"); }

   private:
    Texts& log_;
  };

  PlatformFontPtr LoadFontFromFile(const char* fontId, const char* name) override {
    log_.push_back(std::string("LoadFontFromFile ") + fontId + " " + name);
    return makesFonts ? std::make_unique<LoggedFont>(log_) : nullptr;
  }
  PlatformFontPtr LoadFontFromMemory(const char* fontId, const void* /*data*/, int32_t size) override {
    log_.push_back(std::string("LoadFontFromMemory ") + fontId + " " + std::to_string(size));
    return makesFonts ? std::make_unique<LoggedFont>(log_) : nullptr;
  }
  bool LoadFontIntoRenderer(const char* fontId, PlatformFont& /*font*/) override {
    log_.push_back(std::string("LoadFontIntoRenderer ") + fontId);
    return rendererTakes;
  }
  void CachePlatformFont(const char* fontId, PlatformFont& /*font*/) override {
    log_.push_back(std::string("CachePlatformFont ") + fontId);
  }

  bool makesFonts = true;
  bool rendererTakes = true;

 private:
  Texts& log_;
};

TEST(FontLoading, AFontTheRendererTakesIsCachedAndOneItRefusesLeavesNoTrace) {
  GfxTestDelegate delegate(1);
  Texts log;
  FontGfx gfx(delegate, log);
  EXPECT_TRUE(gfx.LoadFont("KESTRALYN", "Roboto-Regular.ttf"));
  EXPECT_EQ(log, (Texts{"LoadFontFromFile KESTRALYN Roboto-Regular.ttf", "LoadFontIntoRenderer KESTRALYN",
                        "CachePlatformFont KESTRALYN", "~font"}));

  log.clear();
  gfx.rendererTakes = false;
  const char bytes[] = "ttf";
  EXPECT_FALSE(gfx.LoadFontData("KESTRALYN", bytes, 3));
  EXPECT_EQ(log, (Texts{"LoadFontFromMemory KESTRALYN 3", "LoadFontIntoRenderer KESTRALYN", "~font"}));

  log.clear();
  gfx.makesFonts = false;
  EXPECT_FALSE(gfx.LoadFont("KESTRALYN", "missing.ttf"));
  EXPECT_EQ(log, (Texts{"LoadFontFromFile KESTRALYN missing.ttf"}));
  log.clear();
  EXPECT_FALSE(gfx.LoadFontData("KESTRALYN", nullptr, 3));
  EXPECT_FALSE(gfx.LoadFont("", "Roboto-Regular.ttf"));
  EXPECT_TRUE(log.empty());
}

}  // namespace
}  // namespace plugfw::gfx
