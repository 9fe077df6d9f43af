// The words for what a save, a load or a rescue of the data file came to.
// Plain code without Qt: the model's tests check the texts on every build.
#pragma once

#include <string>

#include "event_file.h"

// The message the user is shown, or empty when there is nothing to tell. A
// damaged data file set aside beside itself is not told (the site's log
// hears of it); one kept elsewhere, or nowhere, is.
std::string FileOutcomeText(const FileOutcome& outcome);

// For the site's log: where a data file that could not be read whole went;
// empty when it was read whole.
std::string SetAsideText(const FileOutcome& outcome);
