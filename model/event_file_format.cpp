#include "event_file_format.h"

#include <algorithm>
#include <numeric>

#include "archive.h"
#include "event_store.h"

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

// A default slot takes 71 bytes; used ones a little more.
constexpr size_t kTypicalRecordBytes = 96;

}  // namespace

std::string EncodeEventFile()
{
    Lock lock(g_StoreMutex);
    CArchiveWriter ar;
    ar.Bytes().reserve(12 + g_Array.size() * kTypicalRecordBytes);
    ar.Int32(max_messages);
    ar.Int32(max_used_item);
    ar.Count(static_cast<uint32_t>(g_Array.size()));
    for (CSimpleMessage& slot : g_Array)
        slot.Serialize(ar);
    return std::move(ar.Bytes());
}

CStoreImage DecodeEventFile(std::string_view bytes)
{
    CStoreImage image;
    CArchiveReader ar(bytes);
    uint32_t count = 0;
    image.headerRead = ar.Int32(image.capacity) && ar.Int32(image.maxUsed) && ar.Count(count);
    if (!image.headerRead) {
        image.damagedAt = ar.FailedAt();
        return image;
    }
    // Reserve no more than the bytes can fill; a larger count fails below,
    // where the records run out.
    image.records.reserve(std::min<size_t>(count, ar.Remaining() / kSmallestRecordBytes));
    for (uint32_t i = 0; i < count; ++i) {
        CSimpleMessage record;
        if (!record.Serialize(ar)) {
            image.damagedAt = ar.FailedAt();
            break;
        }
        image.records.push_back(std::move(record));
    }
    return image;
}

void InstallStoreImage(CStoreImage&& image, CSimpleMessage& shown)
{
    if (!image.headerRead)
        return;
    Lock lock(g_StoreMutex);
    const int recordsRead = static_cast<int>(image.records.size());
    max_messages = std::clamp(image.capacity, kMinCapacity, kMaxCapacity);
    max_used_item = std::clamp(image.maxUsed, -1, recordsRead - 1);
    g_Array = std::move(image.records);

    if (max_used_item >= max_messages)
        max_messages = max_used_item + 1;
    // Surplus slots above the capacity stay, unused; missing ones are added.
    if (static_cast<int>(g_Array.size()) < max_messages)
        g_Array.resize(max_messages);
    g_Pos.resize(max_messages, 0);
    g_PosList.resize(max_messages, 0);
    std::iota(g_Pos.begin(), g_Pos.end(), 0);

    cur_item = max_used_item;
    if (cur_item >= 0)
        shown = g_Array[cur_item];
    SortPositions();
}
