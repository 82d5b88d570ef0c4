#pragma once
// The repaired output text with an index that answers "does this text occur
// anywhere in it" in time linear in the output, for texts that end with "}"
// (every rebuilt move part does). The output is indexed at every "}" by a
// hash of the bytes before it; candidates are confirmed byte for byte. Other
// texts fall back to a plain search.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace repair {

class RepairedText {
 public:
  void Append(const std::string& text);
  bool Contains(const std::string& text) const;
  const std::string& text() const { return out_; }
  std::string Take() { return std::move(out_); }

 private:
  struct Link {
    int64_t end;   // index of a "}" in the output
    int64_t next;  // earlier link with the same hash, -1 none
  };
  struct Table {
    std::unordered_map<uint64_t, int64_t> heads;
    std::vector<Link> links;
  };
  static constexpr size_t kWindows[2] = {8, 48};

  std::string out_;
  Table tables_[2];
};

}  // namespace repair
