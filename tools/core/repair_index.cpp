#include "tools/core/repair_index.h"

#include <cstring>

namespace repair {

namespace {

uint64_t Hash(const char* p, size_t n) {
  uint64_t h = 1469598103934665603ull;
  for (size_t i = 0; i < n; ++i) h = (h ^ static_cast<unsigned char>(p[i])) * 1099511628211ull;
  return h;
}

}  // namespace

void RepairedText::Append(const std::string& text) {
  const size_t start = out_.size();
  out_ += text;
  for (size_t e = out_.find('}', start); e != std::string::npos; e = out_.find('}', e + 1)) {
    for (int w = 0; w < 2; ++w) {
      const size_t k = kWindows[w];
      if (e + 1 < k) continue;
      Table& t = tables_[w];
      const int64_t link = static_cast<int64_t>(t.links.size());
      auto [it, fresh] = t.heads.try_emplace(Hash(out_.data() + e + 1 - k, k), link);
      t.links.push_back({static_cast<int64_t>(e), fresh ? -1 : it->second});
      it->second = link;
    }
  }
}

bool RepairedText::Contains(const std::string& text) const {
  const size_t n = text.size();
  if (n == 0) return true;
  if (text.back() != '}' || n < kWindows[0]) return out_.find(text) != std::string::npos;
  const Table& t = tables_[n >= kWindows[1] ? 1 : 0];
  const size_t k = kWindows[n >= kWindows[1] ? 1 : 0];
  const auto it = t.heads.find(Hash(text.data() + n - k, k));
  if (it == t.heads.end()) return false;
  for (int64_t i = it->second; i >= 0; i = t.links[static_cast<size_t>(i)].next) {
    const size_t end = static_cast<size_t>(t.links[static_cast<size_t>(i)].end);
    if (end + 1 >= n && std::memcmp(out_.data() + end + 1 - n, text.data(), n) == 0) return true;
  }
  return false;
}

}  // namespace repair
