// The program's event archive, as intake sees it (every text, before its
// answer) and as the saves and start-up's recovery use it. The settings
// decide how it commits, how long it keeps texts and whether "OK" waits
// for the disk.
//
// Threads: the constructor, MarkSaveUnderWay, RecordSave and Stop on the GUI thread; the
// CIntakeArchive calls on connection threads and the draining thread, as
// that interface says; the report callback on the archive's writer thread.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "event_archive.h"
#include "intake_archive.h"

// How long a connection waits for its text's commit when "OK" means on
// disk. A disk that takes longer gets the text unanswered; the sender
// sends it again.
inline constexpr std::chrono::milliseconds kDurableAnswerWait{5000};

// How long a save waits for its marker's commit before the rename: a
// commit takes milliseconds, a queue of a flood's texts ahead of it longer.
inline constexpr std::chrono::milliseconds kSaveMarkerWait{2000};

class CArchiveLink final : public CIntakeArchive {
public:
    // Opens (or makes) archive.sqlite in folder now, by the archive
    // settings (ReadArchiveSettings first).
    CArchiveLink(const std::string& folder, std::function<void(const CArchiveReport&)> onReport);

    const CArchiveOpened& Opened() const { return m_archive.Opened(); }
    const std::string& Folder() const { return m_strFolder; }

    // A save of the data file, whose file holds every text up to the
    // marker's number: before the new file takes the data file's name
    // (waits for its commit, up to kSaveMarkerWait), and after. Start-up
    // compares the data file it loads with both.
    void MarkSaveUnderWay(const CSaveMarker& marker);
    void RecordSave(const CSaveMarker& marker);

    // Commits what waits and ends the writer; nothing is archived after it.
    void Stop() { m_archive.Stop(); }

    uint64_t Append(int64_t seq, int64_t arrivalMs, const CPeer& sender, std::string_view text) override;
    bool AnswersWhenWritten() const override { return m_bDurable; }
    bool WaitWritten(uint64_t ticket) override;
    void Tell(int64_t seq, TextFate fate) override;

private:
    const std::string m_strFolder;
    const bool m_bDurable;
    CEventArchive m_archive;
};
