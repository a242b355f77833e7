// A tile's property list from the state file: decoding never crashes, every accessor
// answers, and a decoded tile equals itself after an encode/decode round trip.
#include <cstdlib>
#include <exception>

#include "core/dock/DockTile.h"
#include "core/dock/DockPlanner.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kestrine::DockTile;
    DockTile tile;
    try {
        tile = DockTile::decode(kestrine::plist::Data(data, data + size));
    } catch (const std::exception&) {
        return 0;
    }
    (void)tile.identity();
    (void)tile.anchorKey();
    (void)tile.displayName();
    (void)kestrine::DockPlanner::apps({tile, tile});
    try {
        if (!(DockTile::decode(tile.encode()) == tile)) std::abort();
    } catch (const std::exception&) {
        // Values the binary format cannot hold are refused, not corrupted.
    }
    return 0;
}
