// The customer export file: the host's result rows copied into a delimited text file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace customer {

// Copies the result file into target, line by line: each line (ended by CR, LF, CR LF or
// LF CR, the last one possibly by the end of the file) with every field separator 0x07
// replaced by separator, followed by CR LF. The result is read and written in bounded
// pieces, so memory does not grow with its size.
//
// The target is written as a new file in its own folder and renamed over the target only
// once it is complete, flushed and closed: on any failure the old target is left as it
// was and the new file is removed. The new file is private to its user (mode 0600,
// whatever the umask or the old target's mode): it lists the corporation's customers
// and their accounts. A link standing at target is replaced, never followed.
//
// Returns the number of lines written. Throws std::runtime_error naming the file and the
// reason when the result cannot be read or the target cannot be written.
std::size_t WriteExportFile(const std::string& resultFile, const std::string& target,
                            std::string_view separator);

}  // namespace customer
