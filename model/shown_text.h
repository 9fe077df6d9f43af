// How an event text reads on screen.
//
// The lock software writes texts in its system's 8-bit code page, newer
// senders write UTF-8, and the bytes alone do not say which. A text that is
// valid UTF-8 is read as UTF-8 (a text in the 8-bit code page almost never
// is, unless it is plain ASCII, which reads the same either way); any other
// text is read in the legacy code page: Windows-1252, or on Windows the
// system's ANSI code page. Every window, and the Monitor's filters, read texts
// through here; the stored bytes and the export never change.
#pragma once

#include <string>
#include <string_view>

#include "legacy_code_page.h"

bool IsValidUtf8(std::string_view bytes);

// The text as the user reads it, in UTF-8.
std::string ShownText(std::string_view bytes);

// Whether part occurs in text, both read as the user reads them, so that a
// filter typed as UTF-8 finds a text written in the legacy code page and the
// other way round. Case-sensitive; an empty part occurs in every text.
bool ShownTextContains(std::string_view text, std::string_view part);
