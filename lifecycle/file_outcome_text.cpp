#include "file_outcome_text.h"

#include "string_table.h"

std::string SetAsideText(const FileOutcome& outcome)
{
    const std::string unread = "The data file " + outcome.path + " could not be read whole";
    switch (outcome.setAside) {
    case SetAside::kNotNeeded: return {};
    case SetAside::kBeside: return unread + " and was set aside as " + outcome.setAsideAs;
    case SetAside::kCopied:
        return unread + "; its folder did not let it be set aside, so it was copied to " + outcome.setAsideAs;
    case SetAside::kNowhere:
        return unread + " and could be neither set aside nor copied: it is kept as it is and not saved over";
    }
    return {};
}

std::string FileOutcomeText(const FileOutcome& outcome)
{
    if (outcome.setAside != SetAside::kNotNeeded)
        return outcome.setAside == SetAside::kBeside ? std::string() : SetAsideText(outcome);
    switch (outcome.kind) {
    case FileOutcome::Saved:
    case FileOutcome::Loaded:
    case FileOutcome::NoFile:
    case FileOutcome::Damaged: return {};
    case FileOutcome::NoDirectory: return std::string(kTextNoDirectory);
    case FileOutcome::OpenFailed:
    case FileOutcome::WriteFailed: return std::string(kTextCouldNotOpen) + outcome.path;
    case FileOutcome::NotOverwritten:
        return "The data file " + outcome.path +
               " was not saved over: it holds events that could not be read, and no copy of it could be kept";
    case FileOutcome::Rescued: return std::string(kTextRescued) + outcome.path;
    case FileOutcome::RescueFailed: return std::string(kTextCouldNotWrite) + outcome.path;
    }
    return {};
}
