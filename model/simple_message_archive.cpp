// The data-file form of one record. A record starts with the version it was
// written in and holds the fields that version had; this system always
// writes version 8. One routine lists the layout for both directions: the
// writer passes 8, so its conditions pick exactly the written fields, and
// the record itself keeps the version it came with.

#include "archive.h"
#include "simple_message.h"

namespace {

// Message is const when writing. The version has been read or written.
template <class Message, class Archive>
void Transfer(Message& m, int32_t v, Archive& ar)
{
    if (v >= 2)
        ar.Int32(m.type);
    if (v <= 4) {
        ar.String(m.date);
        ar.String(m.time);
    }
    ar.String(m.name);
    ar.String(m.desc);
    ar.String(m.sysName);
    ar.String(m.lockName);
    if (v >= 2) {
        ar.Int32(m.sid);
        ar.Int32(m.lid);
    }
    ar.String(m.gid);
    ar.String(m.mid);
    ar.Int32(m.read);
    if (v >= 3) {
        ar.Int32(m.tid);
        ar.Int32(m.level);
        ar.Int32(m.extra1);
    }
    if (v >= 4)
        ar.String(m.trnsName);
    if (v >= 5)
        ar.Int32(m.ttime);
    if (v >= 6)
        ar.Int32(m.addr);
    if (v >= 7)
        ar.Int32(m.extra2);
    if (v >= 8) {
        ar.Int32(m.doorMonEvt.boltPos);
        ar.Int32(m.doorMonEvt.doorOpen);
        ar.Int32(m.doorMonEvt.err);
        ar.Int32(m.doorMonEvt.manip);
        ar.Int32(m.analogInput);
    }
}

}  // namespace

void CSimpleMessage::Serialize(CArchiveWriter& ar) const { SerializeAsVersion(ar, kFileVersion); }

void CSimpleMessage::SerializeAsVersion(CArchiveWriter& ar, int32_t fileVersion) const
{
    ar.Int32(fileVersion);
    Transfer(*this, fileVersion, ar);
}

bool CSimpleMessage::Serialize(CArchiveReader& ar)
{
    *this = CSimpleMessage();
    ar.Int32(version);
    Transfer(*this, version, ar);
    if (!ar.Ok())
        return false;
    // Times are kept as seconds; the texts follow the reading machine's zone.
    if (version >= 5)
        SetDateTimeFromTtime();
    return true;
}
