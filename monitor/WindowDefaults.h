#pragma once

// Values the main window is laid out with. A first run without a settings file restores the same
// ones, and the lists and the settings file share the two texts of a yes-or-no setting.

// Width of the settings panel pSettings in pixels, and the range a stored width must lie in to be
// applied; the user cannot drag the panel narrower than the least width either.
inline constexpr int kSettingsPanelWidth = 148;
inline constexpr int kLeastSettingsPanelWidth = 100;
inline constexpr int kMostSettingsPanelWidth = 400;

// The range of terminal font sizes in points a stored size must lie in to be applied: a size far
// beyond it draws every glyph as an empty box, and would be saved back at the next close.
inline constexpr int kLeastFontSize = 1;
inline constexpr int kMostFontSize = 400;

// Poll period in milliseconds when the Delay list holds no number.
inline constexpr int kDefaultDelay = 5;

inline constexpr char kTrueText[] = "True";
inline constexpr char kFalseText[] = "False";
