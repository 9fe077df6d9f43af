#include "event_details.h"

#include "export_table.h"
#include "row_text.h"

namespace {

std::string LevelText(int32_t level)
{
    const std::string number = std::to_string(level);
    return HasLevelImage(level) ? number + " (" + TypeText(level) + ")" : number;
}

// The record's default transponder id, which stands for none.
constexpr int32_t kNoTransponder = 65535;

std::string TransponderIdText(int32_t tid)
{
    const std::string number = std::to_string(tid);
    return tid == kNoTransponder ? "none (" + number + ")" : number;
}

std::string TypeNumberText(const CSimpleMessage& rec)
{
    const std::string number = std::to_string(rec.type);
    return rec.IsTransponderEvent() ? number + " (transponder event)" : number;
}

}  // namespace

CEventDetails EventDetails(const CSimpleMessage& rec)
{
    CEventDetails d;
    d[kDetailName] = rec.name;
    d[kDetailDescription] = rec.desc;
    d[kDetailLockingSystem] = rec.sysName;
    d[kDetailLocking] = rec.lockName;
    d[kDetailTransponderName] = rec.trnsName;
    d[kDetailGroupId] = rec.gid;
    d[kDetailMemberId] = rec.mid;
    d[kDetailSystemId] = std::to_string(rec.sid);
    d[kDetailLockingId] = std::to_string(rec.lid);
    d[kDetailTransponderId] = TransponderIdText(rec.tid);
    d[kDetailAddress] = std::to_string(rec.addr);
    d[kDetailDoorOpen] = std::to_string(rec.doorMonEvt.doorOpen);
    d[kDetailBoltPos] = std::to_string(rec.doorMonEvt.boltPos);
    d[kDetailManip] = std::to_string(rec.doorMonEvt.manip);
    d[kDetailError] = std::to_string(rec.doorMonEvt.err);
    d[kDetailAnalogInput] = AnalogInputText(rec.analogInput);
    d[kDetailLevel] = LevelText(rec.level);
    d[kDetailType] = TypeNumberText(rec);
    d[kDetailDateTime] = DateTimeText(rec);
    d[kDetailRead] = rec.read != 0 ? "yes" : "no";
    return d;
}
