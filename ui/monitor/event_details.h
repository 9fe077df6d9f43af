// What the details dialog shows of one event: every field as text, in the
// order the dialog lists them.
#pragma once

#include <array>
#include <string>

#include "simple_message.h"

enum DetailField : int {
    kDetailName,
    kDetailDescription,
    kDetailLockingSystem,
    kDetailLocking,
    kDetailTransponderName,
    kDetailGroupId,
    kDetailMemberId,
    kDetailSystemId,
    kDetailLockingId,
    kDetailTransponderId,
    kDetailAddress,
    kDetailDoorOpen,
    kDetailBoltPos,
    kDetailManip,
    kDetailError,
    kDetailAnalogInput,
    kDetailLevel,
    kDetailType,
    kDetailDateTime,
    kDetailRead,
    kDetailFieldCount
};

using CEventDetails = std::array<std::string, kDetailFieldCount>;

// The level with its type text ("1 (Warning)"), the event type with its
// meaning where it has one ("3 (transponder event)"), the transponder id
// 65535, which stands for none, as "none (65535)", the analogue input in
// signed tenths as the export writes it, the read flag as yes or no.
CEventDetails EventDetails(const CSimpleMessage& rec);
