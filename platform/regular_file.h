// Reading a whole file that is meant to be a regular file: whatever else
// stands under its name (a FIFO, a socket, a device, a folder) is neither
// read nor waited on.
#pragma once

#include <string>

enum class ReadResult { kRead, kMissing, kFailed };

// Appends the file's bytes. kMissing when nothing has the name; kFailed when
// it is not a regular file, cannot be read, or is too large to hold.
ReadResult ReadRegularFile(const std::string& path, std::string* bytes);
