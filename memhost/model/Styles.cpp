#include "memhost/model/Styles.h"

#include <functional>

namespace kx::memhost {

StyleTable::StyleTable() { Intern(Style{}); }

StyleId StyleTable::Intern(const Style& style) {
  auto [it, inserted] = ids_.try_emplace(style, static_cast<StyleId>(styles_.size()));
  if (inserted) styles_.push_back(style);
  return it->second;
}

StyleId StyleTable::WithColorIndex(StyleId from, std::int32_t colorIndex) {
  if (lastRecoloured_ && lastRecoloured_->from == from && lastRecoloured_->colorIndex == colorIndex) {
    return lastRecoloured_->to;
  }
  StyleId to = from;
  if (Get(from).colorIndex != colorIndex) {
    Style style = Get(from);
    style.colorIndex = colorIndex;
    to = Intern(style);
  }
  lastRecoloured_ = Recoloured{from, colorIndex, to};
  return to;
}

size_t StyleTable::Hash::operator()(const Style& s) const {
  size_t h = std::hash<std::string>{}(s.numberFormat);
  h ^= std::hash<std::int64_t>{}((std::int64_t{s.colorIndex} << 32) ^ s.sourceStyle) + 0x9e3779b9 +
       (h << 6) + (h >> 2);
  return h;
}

}  // namespace kx::memhost
