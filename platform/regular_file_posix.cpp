#include <cerrno>
#include <exception>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "regular_file.h"

ReadResult ReadRegularFile(const std::string& path, std::string* bytes)
{
    // Without O_NONBLOCK a FIFO would hold the open until a writer came.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)  // a file in the folder's place holds no data file either
        return errno == ENOENT || errno == ENOTDIR ? ReadResult::kMissing : ReadResult::kFailed;
    struct stat st = {};
    ReadResult result = ReadResult::kFailed;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        try {
            bytes->reserve(static_cast<size_t>(st.st_size));
            char buffer[4096];
            ssize_t n;
            while ((n = ::read(fd, buffer, sizeof buffer)) != 0) {
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0)
                    break;
                bytes->append(buffer, static_cast<size_t>(n));
            }
            result = n == 0 ? ReadResult::kRead : ReadResult::kFailed;
        } catch (const std::exception&) {
            // too large to hold: as unreadable as a bad disk
        }
    }
    ::close(fd);
    return result;
}
