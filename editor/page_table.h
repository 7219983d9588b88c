#pragma once
// The editor's seventeen pages as data: the tab each belongs to, the captioned parameter
// controls of its row (in column order), the section buttons of the page pairs, the voice
// buttons, and the six wide controls every page shows. Constants and pure lookups: any thread.

#include <cstdint>

namespace halcyra {

constexpr int32_t kPageCount = 17;
constexpr int32_t kTabCount = 6;
constexpr int32_t kPageColumns = 8;
constexpr int32_t kFirstVoicePage = 4;
constexpr int32_t kLastVoicePage = 11;
constexpr int32_t kWideControlCount = 6;
constexpr int32_t kSectionPairCount = 4;

struct PageControl {
  const char* caption;
  int32_t paramIdx;
};

struct Page {
  int32_t tab;
  int32_t controlCount;
  PageControl controls[kPageColumns];
};

// Null for a page outside 0..16.
const Page* FindPage(int32_t page);

// The wide knobs above the page rows, shown on every page, in column order.
extern const PageControl kWideControls[kWideControlCount];

extern const char* const kTabCaptions[kTabCount];

// The page a tab opens (0, 2, 4, 12, 14, 16); 0 for a tab outside 0..5.
int32_t TabFirstPage(int32_t tab);
// The tab a page belongs to; pages from 16 on belong to the last tab, pages below 0 to the first.
int32_t TabOfPage(int32_t page);

// Two pages that share a row of two section buttons; button k opens firstPage + k.
struct SectionPair {
  int32_t firstPage;
  const char* captions[2];
};
extern const SectionPair kSectionPairs[kSectionPairCount];

// "VOICE 1" .. "VOICE 8"; null for a voice outside 0..7.
const char* VoiceButtonCaption(int32_t voice);

}  // namespace halcyra
