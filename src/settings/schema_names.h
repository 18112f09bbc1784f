// The names and values in the settings file, for the schema's own files.
#pragma once

inline constexpr char kHistorySection[] = "History";
inline constexpr char kHistoryKeyStem[] = "history";
inline constexpr char kConfigSection[] = "Config";
inline constexpr char kScopeKey[] = "radio";
inline constexpr char kIncludeAllKey[] = "check";
inline constexpr char kTrue[] = "TRUE";
inline constexpr char kFalse[] = "FALSE";
inline constexpr char kFullWidthSpaceKey[] = "fullwidthspace";
inline constexpr char kSuggestKey[] = "suggest";
// The suggestion list is off only when its switch is exactly this.
inline constexpr char kSwitchOff[] = "0";
inline constexpr char kImeSection[] = "IME";
inline constexpr char kImeControlKey[] = "control";
inline constexpr char kFavoriteSection[] = "Favorite";
// A hand-set switch is on only when its whole value is exactly this.
inline constexpr char kSwitchOn[] = "1";
