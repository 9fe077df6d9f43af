// The event data file's bytes: the whole store in one piece.
//
//   int32 capacity, int32 highest used slot, count of slots, then every slot
//   of g_Array (used or not) as one record.
//
// There is no signature and no checksum, so a reader takes nothing on trust:
// every length is checked against the bytes that remain.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "simple_message.h"

// The smallest record a reader accepts (a version-1 record with empty
// texts). A slot count that the remaining bytes cannot hold at this size is
// damage, and nothing is allocated for it.
inline constexpr size_t kSmallestRecordBytes = 16;

// What a file held, as far as it could be read.
struct CStoreImage {
    bool headerRead = false;  // capacity, highest used slot and count
    int32_t capacity = 0;
    int32_t maxUsed = -1;
    std::vector<CSimpleMessage> records;  // the whole records, in slot order
    int64_t damagedAt = -1;               // offset of the first unreadable value
};

// The store as the data file holds it. Takes g_StoreMutex. Every record is
// written as version 8; the slots themselves are left as they are.
std::string EncodeEventFile();

CStoreImage DecodeEventFile(std::string_view bytes);

// Puts what a file held into the store and rebuilds the rest: the capacity
// is brought into 100..10000 (or raised to hold the highest used slot), the
// highest used slot is limited to the records read, the time order is
// rebuilt, and the newest arrival becomes current and is copied into shown.
// An image without a header changes nothing.
void InstallStoreImage(CStoreImage&& image, CSimpleMessage& shown);
