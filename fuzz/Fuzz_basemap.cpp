// Fuzzes the base map reader: a damaged file is refused, never read out of bounds.
#include "basemap/BaseMap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    basemap::ParseBaseMap({reinterpret_cast<const char*>(data), size});
    return 0;
}
