#pragma once

#include <string>
#include <string_view>

namespace vornal {

// Appends whole lines to main.buf in the worker's folder: the folder opened
// without following a link, the file opened with O_APPEND|O_CREAT|O_NOFOLLOW
// and without blocking (a FIFO or any other non-regular file is refused),
// one write of all the bytes, fdatasync, close. The file is never held
// open between calls, so a collector never waits for it. Returns 0, or the
// errno of the step that failed. A write cut short (a full disk) is ended
// with a line end, so that the piece written stands apart from the lines
// written after it; the caller keeps all of `lines` to write them again.
int AppendToBuffer(const std::string& folder, std::string_view lines);

// The file name of the buffer in a worker's folder.
inline constexpr const char* kBufferName = "main.buf";

}  // namespace vornal
