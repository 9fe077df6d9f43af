// The user's settings: eleven named values under one per-user key, read once
// at start-up into the working copies below and written back only when a
// dialog that changes them is confirmed. Every failure is silent: a read that
// cannot be done yields the default, a write that cannot be done changes
// nothing (the caller has already updated the working copy).
#pragma once

#include <cstdint>
#include <string>

// Working copies, named like their values.
extern int32_t gBeep;   // beep when new events arrive
extern int32_t gPop;    // bring the navigator to the front on arrival
extern int32_t gToday;  // Monitor: only today's events
extern int32_t gWarn;   // Monitor: 0 all levels, otherwise level + 1
extern int32_t gList;   // Monitor: list mode 0..3
extern std::string gLockStr, gTrnsStr, gDescStr;  // Monitor: substrings
extern std::string gDate;                         // Monitor: "YYYY.MM.DD" or empty
extern std::string gTime1, gTime2;                // Monitor: "HH:MM:SS" bounds or empty

// The settings key below the user's root.
inline constexpr char kSettingsPath[] = "Software\\Zentrovo\\Tellvane\\Settings";

int32_t ReadSettingDword(const std::string& name, int32_t def);
std::string ReadSettingString(const std::string& name, const std::string& def);
bool WriteSettingDword(const std::string& name, int32_t value);
bool WriteSettingString(const std::string& name, const std::string& text);

// Resets the working copies to their defaults (tests, start-up).
void ResetSettings();
// The start-up read of all eleven values, in their fixed order.
void ReadAllSettings();
