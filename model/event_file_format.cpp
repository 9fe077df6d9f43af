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
    for (const CSimpleMessage& slot : g_Array)
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
    const int recordsRead = static_cast<int>(image.records.size());
    int capacity = std::clamp(image.capacity, kMinCapacity, kMaxCapacity);
    const int maxUsed = std::clamp(image.maxUsed, -1, recordsRead - 1);
    if (maxUsed >= capacity)
        capacity = maxUsed + 1;

    // Everything that allocates happens before the store is touched, so
    // running out of memory leaves the store as it was.
    std::vector<CSimpleMessage> slots = std::move(image.records);
    // Surplus slots above the capacity stay, unused; missing ones are added.
    if (static_cast<int>(slots.size()) < capacity)
        slots.resize(capacity);
    std::vector<int> positions(capacity);
    std::iota(positions.begin(), positions.end(), 0);
    std::vector<int> rows = g_PosList;
    rows.resize(capacity, 0);

    Lock lock(g_StoreMutex);
    g_Array.swap(slots);
    g_Pos.swap(positions);
    g_PosList.swap(rows);
    max_messages = capacity;
    max_used_item = cur_item = maxUsed;
    ReindexStore();
    SortPositions();
    if (cur_item >= 0)
        shown = g_Array[cur_item];
}
