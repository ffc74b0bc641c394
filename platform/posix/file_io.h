// Small POSIX file-I/O helpers shared by the emulated device's files, registry and state: whole
// reads and writes that retry on interruption, an exclusive lock that waits, and durable writes.
#pragma once

#include <cstddef>
#include <string>

namespace posixio {

// Reads what is there, up to `size` bytes, retrying when interrupted: the count (0 at the
// end), or -1 on a read error (errno says which).
long readSome(int fd, char* buffer, std::size_t size);
// Reads from `fd` to its end into `out`; false on a read error (errno says which).
bool readAll(int fd, std::string& out);
// Writes all of `data`; false on a write error (errno says which).
bool writeAll(int fd, const char* data, std::size_t size);
inline bool writeAll(int fd, const std::string& data) { return writeAll(fd, data.data(), data.size()); }

// Takes an exclusive advisory lock on `fd`, waiting for it; false on failure.
bool lockExclusive(int fd);

// Makes the folder's entries (a rename or a new file in it) durable.
bool syncFolder(const std::string& folder);
// The folder part of a host path ("." when it has none).
std::string folderOf(const std::string& path);

}  // namespace posixio
