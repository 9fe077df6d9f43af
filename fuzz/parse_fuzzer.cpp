// Any bytes as an event text: parsed, then offered to a small store that
// lives across inputs, so that eviction and the duplicate search meet many
// store states.
#include <cstdint>
#include <string_view>

#include "event_store.h"
#include "store_invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = (ResetStore(kMinCapacity), true);
    (void)ready;

    // Texts reach the parser cut at their first zero byte.
    std::string_view text(reinterpret_cast<const char*>(data), size);
    text = text.substr(0, text.find('\0'));

    CSimpleMessage record;
    record.Parse(text);
    if (record.read != 0)
        std::abort();

    const bool stored = AddMessage(text);
    if (stored && (g_Array[max_used_item].ttime == 0 || cur_item != max_used_item))
        std::abort();
    if (new_arrived >= 20) {
        CSimpleMessage shown;
        HandOverArrivals(shown, {});
    }
    RequireConsistentStore();
    return 0;
}
