// Any bytes as the data file. The load must leave a consistent store, and
// what it loaded must save and read back whole. The round trip is left out
// for stores of thousands of slots: at their cost the fuzzer would try few
// inputs, and the records it reaches come from the same short inputs.
#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "event_file.h"
#include "event_file_format.h"
#include "event_store.h"
#include "store_invariants.h"

constexpr size_t kRoundTripSlots = 1000;

namespace {

void Load(std::string_view bytes)
{
    ResetStore();
    CSimpleMessage shown;
    const FileOutcome outcome = LoadEventBytes(bytes, shown);
    if (outcome.kind == FileOutcome::Damaged && (outcome.damagedAt < 0 || size_t(outcome.damagedAt) > bytes.size()))
        std::abort();
    RequireConsistentStore();
    // No more slots than the capacity range or the bytes could justify (a
    // vector that grows may take up to twice what it holds).
    const size_t justified = std::max<size_t>(kMaxCapacity, bytes.size() / kSmallestRecordBytes);
    if (g_Array.capacity() > 2 * justified)
        std::abort();
    if (g_Array.size() > kRoundTripSlots)
        return;

    const CStoreImage again = DecodeEventFile(EncodeEventFile());
    if (again.damagedAt != -1 || again.records.size() != g_Array.size() || again.maxUsed != max_used_item)
        std::abort();
}

// Memory kept from one input to the next makes libFuzzer suspect a leak
// and run an expensive check; give everything back.
void ReleaseStore() { ReleaseStoreMemory(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Load(std::string_view(reinterpret_cast<const char*>(data), size));
    ReleaseStore();
    return 0;
}
