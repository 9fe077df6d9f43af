// The string table: every fixed text the user sees, by its resource id.
// Texts are kept byte for byte; message boxes and windows take them from here.
#pragma once

#include <string_view>

enum StringId : int {
    IDS_ABOUTBOX = 101,        // the About entry of the window menu
    IDS_EXIT_QUESTION = 102,
    IDS_ALREADY_RUNNING = 103,
    IDS_WARNING = 104,
    IDS_ALARM = 105,
    IDS_COL_DATE = 10091,
    IDS_COL_TYPE = 10218,
    IDS_COL_DESCRIPTION = 10236,
    IDS_MESSAGE = 10237,
    IDS_COL_LOCKING = 10501,
    IDS_RANGE = 10503,         // printf format with the two bounds
    IDS_INVALID_FORMAT = 10504,
    IDS_PARSE_INT = 61712,     // a number field that holds no whole number
    IDS_APP_TITLE = 57344,     // the program's name: the title of its message boxes
};

// The text of a string resource; empty for an unknown id.
constexpr std::string_view LoadStringText(int id)
{
    switch (id) {
    case IDS_ABOUTBOX: return "Corrant Inf&o";
    case IDS_EXIT_QUESTION:
        return "If you end this program, you can receive no more\n"
               "messages from the Ordana Software.\n"
               "\n"
               "Continue?";
    case IDS_ALREADY_RUNNING: return "The program is already executing on this computer!";
    case IDS_WARNING: return "Warning";
    case IDS_ALARM: return "Alarm";
    case IDS_COL_DATE: return "Date";
    case IDS_COL_TYPE: return "Type";
    case IDS_COL_DESCRIPTION: return "Description";
    case IDS_MESSAGE: return "Message";
    case IDS_COL_LOCKING: return "Locking";
    case IDS_RANGE: return "The value should be between %d and %d";
    case IDS_INVALID_FORMAT: return "Invalid format";
    case IDS_PARSE_INT: return "Please enter an integer.";
    case IDS_APP_TITLE: return "Tellvane";
    default: return {};
    }
}

// Literal texts of message boxes that have no resource id.
inline constexpr std::string_view kTextNoDirectory = "Registry entries are not available";
inline constexpr std::string_view kTextCouldNotOpen = "Could not open the file ";  // followed by the path
inline constexpr std::string_view kTextCouldNotWrite = "Could not write the file ";  // followed by the path
inline constexpr std::string_view kTextRescued = "The events were written to ";   // followed by the path
