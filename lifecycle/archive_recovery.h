// Start-up's recovery: the texts an earlier run answered and archived but
// never saved in the data file (it was killed, or the machine stopped), put
// into the store after the load, through the drain's own rules.
//
// The archive's save marker says which data file the last save wrote and
// the number of the last text it held. Only when the loaded data file is
// that very file are the texts numbered after it replayed; any other data
// file (replaced by hand, a rescue copy, one set aside as damaged) may hold
// some of them already, or be meant to hold none, so nothing is replayed.
// An archive without a marker has never seen a save: every text it holds
// came after the data file was last written (the first run, or the first
// with an archive), and all of them are replayed.
//
// On the GUI thread, after the load and before intake starts.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "event_file.h"
#include "save_marker.h"

struct CRecoveryOutcome {
    enum Kind { kNothing, kRecovered, kSkipped } m_kind = kNothing;
    std::size_t m_nTexts = 0;   // texts after the last save (replayed or not)
    std::size_t m_nStored = 0;  // events the store took of them
    std::string m_strReason;    // kSkipped: why; kRecovered: why the replay stopped short, if it did
};

// dataFile: the data file's fingerprint as it was before the load (empty
// when there was none, or it could not be read); loaded: how the load went.
CRecoveryOutcome RecoverUnsavedTexts(const std::string& folder, const std::optional<CFileFingerprint>& dataFile,
                                     FileOutcome::Kind loaded);

// "Recovered N events received before Tellvane last ended without saving"
std::string RecoveredNotice(std::size_t events);
