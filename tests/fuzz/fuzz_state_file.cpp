// The state file: any bytes either decode to a state that encodes and decodes back
// equal, or fail with an exception.
#include <cstdlib>
#include <exception>

#include "core/model/JSONFileStateStorage.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kestrine::JSONFileStateStorage;
    kestrine::AppState state;
    try {
        state = JSONFileStateStorage::decode(std::string(kestrine::fuzz::bytes(data, size)));
    } catch (const std::exception&) {
        return 0;
    }
    // What was read must write and read back unchanged.
    if (JSONFileStateStorage::decode(JSONFileStateStorage::encode(state)) != state) std::abort();
    return 0;
}
