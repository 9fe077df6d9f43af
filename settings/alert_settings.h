// The alert options: desktop notifications, a sound per level and the
// repeated alarm. Values of their own beside the eleven settings, under the
// same key, read at start-up and written when the Alerts dialog is
// confirmed with a change; a missing value reads as its default.
#pragma once

#include <cstdint>

extern int32_t gNotify;       // a desktop notification per hand-over
extern int32_t gLevelSound;   // a sound per level; 0: the one beep for every level
extern int32_t gAlarmRepeat;  // repeat the alarm sound while an alarm is unread
extern int32_t gRepeatSecs;   // its interval, kMinRepeatSecs..kMaxRepeatSecs

inline constexpr int32_t kMinRepeatSecs = 10;
inline constexpr int32_t kMaxRepeatSecs = 600;
inline constexpr int32_t kDefaultRepeatSecs = 30;

// Reads the four values; an interval outside its range is brought into it.
void ReadAlertSettings();
// Writes all four.
void WriteAlertSettings();
void ResetAlertSettings();
