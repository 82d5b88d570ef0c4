#pragma once
// Files of the repair tool, read and written as raw bytes. Outputs are written
// atomically (a temporary file beside the target, then a rename), so a failed
// save never leaves half a file in place of the old one.
#include <string>
#include <string_view>

namespace repair {

// The whole file; false with `error` set when it cannot be read.
bool ReadFileBytes(const std::string& path, std::string& bytes, std::string& error);
// Replaces `path` with `bytes`; false with `error` set on failure.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& error);
// True when both names lead to the same file (existing or not: the same
// normalised path counts).
bool SameFile(const std::string& a, const std::string& b);

}  // namespace repair
