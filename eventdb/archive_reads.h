// Reading the archive back at start-up: the last save's marker, and the
// texts numbered after it for the replay through the drain. Each call opens
// a read-only connection of its own, so it may run on any thread, also
// while the writer writes (a reader never blocks it).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "peer.h"
#include "save_marker.h"

struct CArchivedText {
    int64_t m_nSeq = 0;
    int64_t m_nArrivalMs = 0;
    CPeer m_Sender;
    std::string m_strRaw;  // the bytes as received
    int m_nStatus = 0;     // kTextStored ... kTextUnanswered (archive_rows.h)
};

// The marker of the archive in folder, of the last save (kDone) or of the
// save that was under way (kUnderWay); empty when no such save has been
// recorded, or the archive cannot be read (error then says why).
std::optional<CSaveMarker> ReadSaveMarker(const std::string& folder, std::string* error = nullptr,
                                          SaveStage stage = SaveStage::kDone);

// How many texts are numbered after seq, those not answered (kTextUnanswered)
// left out; empty when the archive cannot be read (error then says why).
std::optional<int64_t> CountTextsAfter(const std::string& folder, int64_t seq, std::string& error);

// Calls visit for every text numbered after seq, in number order. False
// when the archive could not be read to the end; error says why, and the
// texts visited so far stand.
bool ReadTextsAfter(const std::string& folder, int64_t seq, const std::function<void(CArchivedText&&)>& visit,
                    std::string& error);
