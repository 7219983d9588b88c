#pragma once
// The editor's words: the help title and text each control writes into the help strip when the
// mouse is over it, the tooltips that are not a parameter's help text, and the maker's web and
// mail addresses. Constants and one pure lookup: any thread.

#include <cstdint>

namespace halcyra {

struct HelpMessage {
  const char* title;
  const char* text;
};

// What the help strip shows when the editor opens.
inline constexpr HelpMessage kStartHelp = {
    "PHASE / PITCH / MOTION",
    "Choose a structure, then shape its delay, depth and return. Drag a voice for requested pan/delay "
    "offset. Solid dots and readouts are actual engine values; Shift is finer; numeric knobs double-click "
    "to reset."};

// After a tab, section or voice button changed the page.
inline constexpr HelpMessage kPageHelp = {
    "128 STABLE CONTROLS / DISCOVERABLE VIEWS",
    "Shape, Modulation, eight independent Voice slots, Tone, Dynamics and Utility. Inactive controls keep "
    "their stored automation values. Actual signal and requested control guides are labelled separately."};

inline constexpr HelpMessage kBankHelp = {
    "TWO COMPLETE SETTINGS BANKS",
    "A/B switches all 128 settings; COPY stores the complete current field in the other bank. Factory "
    "recipes and Custom labels track the actual values."};

inline constexpr HelpMessage kRecipeMenuHelp = {
    "40 FACTORY RECIPES",
    "Choose complete vocal, guitar, ensemble, rhythmic and creative starting points. Custom means the "
    "current 128 controls differ from a factory recipe."};

inline constexpr HelpMessage kVoiceFieldHelp = {
    "VOICE FIELD / REQUESTED AND ACTUAL",
    "Horizontal drag changes requested Pan; vertical drag changes Delay Offset. Select a numbered stable "
    "voice to discover all eight controls. Correlation and scope measure the actual output."};

// After a press on a voice in the field.
inline constexpr HelpMessage kVoicePressHelp = {
    "VOICE / PAN AND DELAY OFFSET",
    "Hollow requested handles remain editable when the host is stopped. Solid dots show primary read "
    "timing and pan; MultiBand shows the mean of three band ages, pan-weighted Left/Right. Secondary "
    "non-Micro detune heads are excluded; Micro Pitch shows its weighted main windows. CLOCK is the base "
    "phase rate, HEAD the pitch cycle. The axis expands to fit; drag sensitivity stays latched."};

inline constexpr HelpMessage kBrandHelp = {
    "KESTRALYN", "Independent original audio tools. Visit kestralyn.com for downloads, listening and help."};

// After a value entry refused its text.
inline constexpr HelpMessage kInvalidValueHelp = {
    "VALID PHYSICAL VALUES",
    "Enter a finite number with its displayed unit. Frequency accepts Hz/kHz; timing accepts ms/s. Invalid "
    "input leaves the value unchanged."};

inline constexpr const char* kBypassTooltip =
    "Return exact raw main input once the bypass transition settles. The chorus engine stays warm; host PDC "
    "is zero.";
inline constexpr const char* kRecipeMenuTooltip =
    "40 complete chorus recipes. Edits show Custom; A/B banks save all 128 controls.";
inline constexpr const char* kBrandTooltip = "Open KESTRALYN plugins and support.";
inline constexpr const char* kVoiceFieldTooltip =
    "Voice timing and pan. Hollow handles are requested guides; solid dots are current engine readouts. "
    "Drag for Pan/Delay Offset; Shift is finer. Double-click resets those numeric controls.";

inline constexpr const char* kMakerWebAddress = "https://kestralyn.com/";
inline constexpr const char* kSupportMailAddress = "support@kestralyn.com";
inline constexpr const char* kMailLinkPrefix = "mailto:";

// The parameter's help text: its own for a global parameter, its field's for a voice
// parameter, "" for an index outside 0..127. Never null.
const char* ParamHelpText(int32_t paramIdx);

// The parameter's name, "" for an index outside 0..127. Never null.
const char* ParamName(int32_t paramIdx);

}  // namespace halcyra
