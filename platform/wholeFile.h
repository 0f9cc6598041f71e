#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// Whole-file reads and atomic whole-file replacement, for stores that keep a file in one
// piece. Paths are UTF-16 and converted to UTF-8 at this boundary.
//
// Results are Windows error codes: ERROR_SUCCESS (0) or the reason for the failure. The
// calling thread's last error is left as it was. Both functions are safe to call from any
// thread; concurrent replacements of one path leave one of the complete images in place.

#include <reZevavEvadurov/winTypes.h>

#include <cstddef>
#include <cstdint>
#include <functional>

namespace wholeFile
{

// Largest file readWholeFile accepts: its size must fit a 32-bit byte count.
inline constexpr std::uint64_t maxSize = 0xFFFFFFFFu;

// Supplies the buffer for a file of `size` bytes (size > 0), or null when it cannot. The
// buffer stays the caller's.
using bufferSource = std::function<void*(std::size_t size)>;

// Reads the whole regular file at `path`: opens it read-only, takes its size, asks `source`
// once for a buffer of that size and fills it. On success `size` holds the byte count;
// for an empty file `source` is not called and `size` is 0.
// Failures: ERROR_FILE_NOT_FOUND / ERROR_PATH_NOT_FOUND for a missing file or folder,
// ERROR_ACCESS_DENIED for a folder or anything that is not a regular file (POSIX would read
// a FIFO or device without end), ERROR_FILE_TOO_LARGE above maxSize, ERROR_NOT_ENOUGH_MEMORY
// when `source` returns null, ERROR_READ_FAULT when the file ends before its size was read
// (it shrank while being read) or the read fails. After a failure the buffer's content is
// unspecified and `size` is 0.
DWORD readWholeFile(const WCHAR* path, const bufferSource& source, std::size_t& size);

// Replaces the file at `path` by `size` bytes of `data`, so that at every moment, a crash or
// a full disk included, the path names either the complete old file or the complete new one:
// the bytes go to a new file beside it, which is flushed to disk and renamed over the old
// one, and then the folder is flushed where the system allows (best effort: once the rename
// has put the new file in place the result is ERROR_SUCCESS, even in a folder that cannot be
// opened for reading). A symbolic link is followed and its target replaced.
// A replaced file keeps its permission bits; a new one gets 0666 less the umask.
// Failures leave the old file untouched and remove the temporary file: ERROR_PATH_NOT_FOUND when
// the folder is missing, ERROR_ACCESS_DENIED when it cannot be written, `path` is a folder, or the
// old file is read-only (no write permission for its owner, as the read-only attribute on Windows;
// refused for root too) or not writable by the caller, ERROR_DISK_FULL when space or the file-size
// limit runs out, ERROR_WRITE_FAULT for other write, flush or rename failures. A process killed in
// the middle may leave its temporary file ("<name>.~<pid>-<n>") beside the settings file, never a
// damaged settings file; the next replacement of that file removes the temporary files of
// processes that no longer exist (platform/wholeFileTemporaries.h).
DWORD replaceFile(const WCHAR* path, const void* data, std::size_t size);

} // namespace wholeFile

#pragma GCC visibility pop
