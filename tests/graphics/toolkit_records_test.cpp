// The toolkit's value records: rect geometry, colour and style defaults, patterns,
// transforms and bitmap references.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "graphics/api_bitmap.h"
#include "graphics/bitmap_ref.h"
#include "graphics/colour.h"
#include "graphics/draw_options.h"
#include "graphics/fill_pattern.h"
#include "graphics/path_transform.h"
#include "graphics/rect.h"
#include "graphics/rect_list.h"
#include "graphics/text_style.h"
#include "graphics/widget_style.h"

namespace plugfw::gfx {
namespace {

TEST(RectTest, ContainsIsHalfOpenAndAnUnsetRectContainsNothing) {
  struct Case {
    Rect rect;
    float x, y;
    bool inside;
  };
  const Case cases[] = {
      {{0, 0, 0, 0}, 0, 0, false},        // unset: not even its own corner
      {{10, 10, 20, 20}, 10, 10, true},   // left and top edges are inside
      {{10, 10, 20, 20}, 20, 15, false},  // right edge is outside
      {{10, 10, 20, 20}, 15, 20, false},  // bottom edge is outside
      {{10, 10, 20, 20}, 19.99f, 19.99f, true},
      {{10, 10, 20, 20}, 9.99f, 15, false},
      {{10, 10, 10, 20}, 10, 15, false},  // zero width: empty though not unset
      {{-5, -5, 5, 5}, 0, 0, true},       // the origin inside a rect around it
      {{-5, -5, 5, 5}, std::nanf(""), 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.rect.left << "," << c.rect.top << "," << c.rect.right << ","
                                      << c.rect.bottom << " @ " << c.x << "," << c.y);
    EXPECT_EQ(c.rect.Contains(c.x, c.y), c.inside);
  }
}

TEST(RectTest, EmptyMeansNoPositiveWidthOrHeightAndUnsetMeansAllZero) {
  struct Case {
    Rect rect;
    bool empty, unset;
  };
  const Case cases[] = {
      {{0, 0, 0, 0}, true, true},      {{10, 10, 10, 20}, true, false},
      {{10, 10, 20, 10}, true, false}, {{20, 10, 10, 20}, true, false},
      {{0, 0, 1, 1}, false, false},    {{0, 0, std::nanf(""), 1}, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << c.rect.left << "," << c.rect.top << "," << c.rect.right << "," << c.rect.bottom);
    EXPECT_EQ(c.rect.Empty(), c.empty);
    EXPECT_EQ(c.rect.Unset(), c.unset);
  }
  EXPECT_FLOAT_EQ(Rect(10, 20, 40, 25).Width(), 30.f);
  EXPECT_FLOAT_EQ(Rect(10, 20, 40, 25).Height(), 5.f);
}

TEST(RectTest, UnionAndIntersectionIgnoreEmptyRects) {
  const Rect a{0, 0, 10, 10};
  const Rect b{5, 5, 20, 15};
  EXPECT_EQ(a.Union(b), Rect(0, 0, 20, 15));
  EXPECT_EQ(a.Union(Rect(100, 100, 100, 200)), a);  // an empty member adds nothing
  EXPECT_EQ(Rect().Union(b), b);

  EXPECT_EQ(a.Intersection(b), Rect(5, 5, 10, 10));
  EXPECT_TRUE(a.Intersection(Rect(10, 0, 20, 10)).Unset());  // touching edges share no area
  EXPECT_TRUE(a.Intersection(Rect(30, 30, 40, 40)).Unset());
  EXPECT_TRUE(a.Intersection(Rect(2, 2, 2, 8)).Unset());
}

TEST(RectTest, PixelAlignmentGrowsOutwardToTheDeviceGrid) {
  // A control at (10, 10, 20, 20) padded by 0.75 and aligned at backing scale 1.5.
  const Rect aligned = Rect(10, 10, 20, 20).Padded(0.75f).PixelAligned(1.5f);
  EXPECT_FLOAT_EQ(aligned.left, std::floor(9.25f * 1.5f) / 1.5f);
  EXPECT_NEAR(aligned.left, 8.6667, 1e-4);
  EXPECT_NEAR(aligned.top, 8.6667, 1e-4);
  EXPECT_NEAR(aligned.right, 21.3333, 1e-4);
  EXPECT_NEAR(aligned.bottom, 21.3333, 1e-4);
  EXPECT_EQ(Rect(1, 2, 3, 4).PixelAligned(1.f), Rect(1, 2, 3, 4));
}

TEST(RectListTest, KeepsOrderAndReadsOutsideAsUnset) {
  RectList list;
  EXPECT_TRUE(list.Add(Rect(0, 0, 1, 1)));
  EXPECT_TRUE(list.Add(Rect(2, 2, 3, 3)));
  EXPECT_TRUE(list.Add(Rect(4, 4, 5, 5)));
  list.Remove(1);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Get(1), Rect(4, 4, 5, 5));
  list.Set(0, Rect(9, 9, 10, 10));
  EXPECT_EQ(list.Get(0), Rect(9, 9, 10, 10));
  EXPECT_TRUE(list.Get(2).Unset());
  EXPECT_TRUE(list.Get(-1).Unset());
  list.Remove(5);
  list.Set(7, Rect(1, 1, 2, 2));
  EXPECT_EQ(list.Count(), 2);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

// Each named colour and toolkit default against the alpha, red, green and blue the toolkit
// promises for it.
TEST(ColourTest, NamedColoursAndDefaultsHoldTheirPromisedValues) {
  struct Case {
    const char* name;
    Colour colour;
    int32_t alpha, red, green, blue;
  };
  const Case cases[] = {
      {"default-made", Colour(), 255, 0, 0, 0},
      {"Transparent", ColourTransparent, 0, 0, 0, 0},
      {"Black", ColourBlack, 255, 0, 0, 0},
      {"White", ColourWhite, 255, 255, 255, 255},
      {"Red", ColourRed, 255, 255, 0, 0},
      {"Green", ColourGreen, 255, 0, 255, 0},
      {"Blue", ColourBlue, 255, 0, 0, 255},
      {"Yellow", ColourYellow, 255, 255, 255, 0},
      {"Orange", ColourOrange, 255, 255, 127, 0},
      {"Indigo", ColourIndigo, 255, 75, 0, 130},
      {"Violet", ColourViolet, 255, 148, 0, 211},
      {"Gray", ColourGray, 255, 127, 127, 127},
      {"LightGray", ColourLightGray, 255, 240, 240, 240},
      {"MidGray", ColourMidGray, 255, 200, 200, 200},
      {"DarkGray", ColourDarkGray, 255, 70, 70, 70},
      {"Translucent", ColourTranslucent, 10, 0, 0, 0},
      {"Shadow", ColourShadow, 60, 0, 0, 0},
      {"DropShadow", ColourDropShadow, 128, 0, 0, 0},
      {"default text", DefaultTextColour, 255, 0, 0, 0},
      {"default text-entry background", DefaultTextEntryBackgroundColour, 255, 255, 255, 255},
      {"default text-entry text", DefaultTextEntryTextColour, 255, 0, 0, 0},
      {"default highlight", DefaultHighlightColour, 255, 255, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.colour.alpha, c.alpha);
    EXPECT_EQ(c.colour.red, c.red);
    EXPECT_EQ(c.colour.green, c.green);
    EXPECT_EQ(c.colour.blue, c.blue);
  }
}

TEST(TextStyleTest, TheThreeDefaultsDifferOnlyInSizeAndVerticalAlignment) {
  const TextStyle& text = DefaultTextStyle;
  EXPECT_STREQ(text.fontId, "Roboto-Regular");
  EXPECT_FLOAT_EQ(text.size, 14.f);
  EXPECT_EQ(text.textColour, ColourBlack);
  EXPECT_EQ(text.entryBackgroundColour, ColourWhite);
  EXPECT_EQ(text.entryTextColour, ColourBlack);
  EXPECT_FLOAT_EQ(text.angle, 0.f);
  EXPECT_EQ(text.align, TextAlign::kCentre);
  EXPECT_EQ(text.valign, TextVAlign::kMiddle);

  struct Case {
    const TextStyle& style;
    float size;
    TextVAlign valign;
  };
  const Case cases[] = {{DefaultLabelTextStyle, 19.f, TextVAlign::kTop},
                        {DefaultValueTextStyle, 14.f, TextVAlign::kBottom}};
  for (const Case& c : cases) {
    EXPECT_FLOAT_EQ(c.style.size, c.size);
    EXPECT_EQ(c.style.valign, c.valign);
    TextStyle same = c.style;
    same.size = text.size;
    same.valign = text.valign;
    EXPECT_EQ(same, text);
  }
  EXPECT_EQ(TextStyle(), DefaultTextStyle);
}

TEST(TextStyleTest, FontIdentifierIsCutToItsSixtyFourBytes) {
  TextStyle style;
  const std::string longName(100, 'f');
  style.SetFontId(longName.c_str());
  EXPECT_EQ(std::strlen(style.fontId), 63u);
  style.SetFontId(nullptr);
  EXPECT_STREQ(style.fontId, "");
  style.SetFontId("Mono");
  EXPECT_STREQ(style.fontId, "Mono");
  EXPECT_NE(style, DefaultTextStyle);
}

TEST(WidgetStyleTest, ColourSetFromAListFillsTheRestWithTheDefaults) {
  const WidgetColorSet defaults = DefaultWidgetColorSet;
  EXPECT_EQ(defaults[0], ColourTransparent);
  EXPECT_EQ(defaults[3], ColourDarkGray);
  EXPECT_EQ(defaults[8], ColourBlue);

  EXPECT_EQ(WidgetColorSet({}), defaults);

  const WidgetColorSet three{ColourRed, ColourYellow, ColourViolet};
  EXPECT_EQ(three[0], ColourRed);
  EXPECT_EQ(three[1], ColourYellow);
  EXPECT_EQ(three[2], ColourViolet);
  for (int32_t i = 3; i < kWidgetColourCount; ++i) EXPECT_EQ(three[i], defaults[i]) << i;

  const WidgetColorSet ten{ColourRed, ColourRed, ColourRed, ColourRed, ColourRed,
                           ColourRed, ColourRed, ColourRed, ColourRed, ColourGreen};
  for (int32_t i = 0; i < kWidgetColourCount; ++i) EXPECT_EQ(ten[i], ColourRed) << i;

  const WidgetStyle& style = DefaultWidgetStyle;
  EXPECT_EQ(style.colours, defaults);
  EXPECT_EQ(style.labelText, DefaultLabelTextStyle);
  EXPECT_EQ(style.valueText, DefaultValueTextStyle);
  EXPECT_FLOAT_EQ(style.shadowOffset, 3.f);
  EXPECT_FALSE(style.hideCursor);
}

TEST(FillPatternTest, ColourAndTypeConstructors) {
  const FillPattern solid = ColourOrange;
  EXPECT_EQ(solid.type, PatternType::kSolid);
  EXPECT_EQ(solid.extend, PatternExtend::kPad);
  ASSERT_EQ(solid.stopCount, 1);
  EXPECT_EQ(solid.stops[0].colour, ColourOrange);
  EXPECT_FLOAT_EQ(solid.stops[0].offset, 0.f);
  EXPECT_EQ(solid.transform, kIdentityTransform);
  EXPECT_EQ(solid.stops[1].colour, ColourBlack);  // unused slots hold opaque black at 0

  FillPattern radial(PatternType::kRadial);
  EXPECT_EQ(radial.stopCount, 0);
  EXPECT_EQ(radial.extend, PatternExtend::kPad);
  for (int32_t i = 0; i < kMaxPatternStops; ++i) EXPECT_TRUE(radial.AddStop(ColourRed, i / 15.f));
  EXPECT_FALSE(radial.AddStop(ColourBlue, 1.f));
  EXPECT_EQ(radial.stopCount, kMaxPatternStops);
  EXPECT_EQ(radial.stops[kMaxPatternStops - 1].colour, ColourRed);
}

TEST(PathTransformTest, CompositionAppliesTheNewMatrixFirst) {
  // Translate, then rotate: the rotation turns about the translated origin.
  const PathTransform translateThenRotate =
      PathTransform::Translation(10, 0).Multiplied(PathTransform::Rotation(90));
  EXPECT_NEAR(translateThenRotate.MapX(1, 0), 10, 1e-6);
  EXPECT_NEAR(translateThenRotate.MapY(1, 0), 1, 1e-6);
  // Rotate, then translate: the translation itself is turned.
  const PathTransform rotateThenTranslate =
      PathTransform::Rotation(90).Multiplied(PathTransform::Translation(10, 0));
  EXPECT_NEAR(rotateThenTranslate.MapX(1, 0), 0, 1e-6);
  EXPECT_NEAR(rotateThenTranslate.MapY(1, 0), 11, 1e-6);

  // On the y-down screen +90 degrees takes 3 o'clock to 6 o'clock: clockwise.
  const PathTransform quarter = PathTransform::Rotation(90);
  EXPECT_NEAR(quarter.MapX(1, 0), 0, 1e-6);
  EXPECT_NEAR(quarter.MapY(1, 0), 1, 1e-6);
  EXPECT_NEAR(quarter.MapX(0, 1), -1, 1e-6);

  const PathTransform scaled = PathTransform::Scaling(2, 3).Multiplied(PathTransform::Translation(1, 1));
  EXPECT_DOUBLE_EQ(scaled.MapX(0, 0), 2);
  EXPECT_DOUBLE_EQ(scaled.MapY(0, 0), 3);
}

class PixelBitmap : public APIBitmap {
 public:
  PixelBitmap(int32_t width, int32_t height, float scale) : APIBitmap(7, width, height, scale, 1.f) {}
};

TEST(BitmapRefTest, SizeInUnitsIsThePixelSizeOverTheScaleTruncated) {
  PixelBitmap bitmap(101, 40, 2.f);
  const BitmapRef ref(&bitmap, 3, true, "knob.png");
  EXPECT_EQ(ref.width, 50);
  EXPECT_EQ(ref.height, 20);
  EXPECT_EQ(ref.frameCount, 3);
  EXPECT_TRUE(ref.framesHorizontal);
  EXPECT_STREQ(ref.name.Get(), "knob.png");
  EXPECT_FALSE(ref.Empty());

  EXPECT_TRUE(BitmapRef().Empty());
  PixelBitmap nothing(0, 0, 1.f);
  EXPECT_TRUE(BitmapRef(&nothing, 1, false, "none.png").Empty());
  EXPECT_TRUE(SvgRef().Empty());
  EXPECT_FLOAT_EQ(SvgRef().Width(), 0.f);
}

TEST(StrokeOptionsTest, DashesAreCappedAtEight) {
  const StrokeOptions defaults;
  EXPECT_FLOAT_EQ(defaults.miterLimit, 10.f);
  EXPECT_EQ(defaults.cap, LineCap::kButt);
  EXPECT_EQ(defaults.join, LineJoin::kMiter);
  EXPECT_EQ(defaults.dashCount, 0);

  const float lengths[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  StrokeOptions options;
  options.SetDash(lengths, 10, 0.5f);
  EXPECT_EQ(options.dashCount, kMaxDashes);
  EXPECT_FLOAT_EQ(options.dashes[7], 8.f);
  options.SetDash(lengths, -3, 0.f);
  EXPECT_EQ(options.dashCount, 0);
  EXPECT_FLOAT_EQ(options.dashes[0], 0.f);
}

}  // namespace
}  // namespace plugfw::gfx
