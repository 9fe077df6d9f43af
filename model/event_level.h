// An event's level and what it means wherever an event is shown or told:
// the type text, the icon, the alerts' treatment, the journal's priority.
#pragma once

#include <cstdint>
#include <string>

// Event levels; they select the type text and the Monitor icon.
enum : int32_t { kLevelMessage = 0, kLevelWarning = 1, kLevelAlarm = 2 };

// No event, or none unread.
inline constexpr int kNoLevel = -1;

// "Message", "Warning" or "Alarm"; empty for a level without a text.
std::string TypeText(int32_t level);

// True for the levels that have a type text and an icon (0..2).
bool HasLevelImage(int32_t level);

// What a screen reader says for the level icon: the type text, or "level N"
// for a level that has neither text nor icon.
std::string LevelAccessibleText(int32_t level);

// The level an alert treats an event as: warnings and alarms as they are,
// any other level as a message.
int AlertLevel(int32_t level);

// The syslog priority the site's log gives a level: alarm 2 (critical),
// warning 4, anything else 6 (informational).
int EventPriority(int32_t level);
