#include "core/model/Preset.h"

#include "core/model/PresetStyle.h"

namespace kestrine {

std::string Preset::displayEmoji() const {
    if (emoji && !emoji->empty()) return *emoji;
    return PresetStyle::defaultEmoji(name);
}

int Preset::paletteIndex() const {
    return PresetStyle::paletteIndex(name);
}

} // namespace kestrine
