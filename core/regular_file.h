// Opening files that the program reads or writes as documents: only regular files.
// A FIFO would make the program wait for a writer (or a reader) that may never come, and a
// device such as /dev/zero never ends; both are treated like a file that cannot be opened.
#pragma once

#include <cstdio>

// Opens path for binary reading, or returns null when it cannot be opened or is not a
// regular file. Never waits for the other end of a FIFO.
std::FILE* openRegularFileForReading(const char* path);

// Creates or empties path and opens it for writing in text mode, or returns null when it
// cannot be opened or is not a regular file (nothing is then written or emptied).
std::FILE* openRegularFileForWriting(const char* path);
