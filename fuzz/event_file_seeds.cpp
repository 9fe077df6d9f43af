// Writes a few data files into the folder named by its argument: the
// start-up store, a used store with long texts, and files of old versions.
#include <cstdio>
#include <fstream>
#include <string>

#include "archive.h"
#include "event_file_format.h"
#include "event_store.h"

namespace {

void Write(const std::string& folder, const std::string& name, const std::string& bytes)
{
    std::ofstream(folder + "/" + name, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

std::string Event(int i)
{
    const std::string n = std::to_string(i);
    return "8," + std::to_string(i % 4) + "," + std::to_string(1299506709 + i * 37 % 500) + ",name " + n +
           ",\"Door opened\",Site 1,Door " + n + ",1," + n + ",7,3," + std::to_string(i % 3) + ",4711,0,Key " +
           n + "," + std::to_string(i % 2100) + ",0,1,0,0,1,235";
}

// A store of one old version: capacity 100, count used records.
std::string OldVersionFile(int32_t version, int count)
{
    CArchiveWriter ar;
    ar.Int32(100);
    ar.Int32(count - 1);
    ar.Count(static_cast<uint32_t>(count));
    for (int i = 0; i < count; ++i) {
        CSimpleMessage record;
        record.Parse(Event(i));
        record.date = "2011.03.07";
        record.time = "14:05:09";
        record.SerializeAsVersion(ar, version);
    }
    return ar.Bytes();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    ResetStore();
    Write(folder, "startup.dat", EncodeEventFile());

    ResetStore(kMinCapacity);
    for (int i = 0; i < 160; ++i)
        AddMessage(Event(i));
    g_Array[3].desc.assign(300, 'x');
    Write(folder, "used.dat", EncodeEventFile());

    for (int32_t version : {1, 2, 4, 5, 7})
        Write(folder, "version" + std::to_string(version) + ".dat", OldVersionFile(version, 3));
    return 0;
}
