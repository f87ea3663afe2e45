// Regular files only, on POSIX systems: the file is opened without blocking, its kind is
// checked on the open descriptor (so nothing can be swapped in between), and only then is
// it handed to stdio.
#include "core/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Takes over fd; returns a stream in mode when fd is a regular file, else closes it.
std::FILE* adoptRegularFile(int fd, const char* mode) {
    if (fd < 0) return nullptr;
    struct stat info {};
    const int flags = fcntl(fd, F_GETFL);
    const bool usable = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && flags != -1 &&
                        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != -1;
    std::FILE* file = usable ? fdopen(fd, mode) : nullptr;
    if (file == nullptr) close(fd);
    return file;
}

}  // namespace

std::FILE* openRegularFileForReading(const char* path) {
    return adoptRegularFile(open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC), "rb");
}

std::FILE* openRegularFileForWriting(const char* path) {
    // Emptied only once it is known to be a regular file: O_TRUNC at the open would act
    // before the check.
    std::FILE* file = adoptRegularFile(open(path, O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666), "w");
    if (file != nullptr && ftruncate(fileno(file), 0) != 0) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}
