// Fuzz entry: any bytes through the BMP header rules; what they accept must stay in bounds.
// Built by hand, natively, from the top folder:
//   clang++ -std=c++17 -fsanitize=fuzzer,address,undefined -I. tests/fuzz/dib_format_fuzz.cpp
//   imaging/dib_format.cpp -o dib_format_fuzz
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "imaging/dib_format.h"

namespace {

void Require(bool holds)
{
    if (!holds) std::abort();
}

// What the loader relies on after a yes.
void CheckAccepted(const DibLayout& layout, const uint8_t* data, size_t size, DibSource source)
{
    const DibHeader& header = layout.header;
    Require(header.size == kInfoHeaderBytes);
    Require(header.width >= 1 && header.width <= kMaxDimension);
    Require(header.height >= 1 && header.height <= kMaxDimension);
    Require(layout.colourCount <= 256 && header.clrUsed == layout.colourCount);
    Require(header.sizeImage == layout.pixelBytes && layout.pixelBytes != 0);
    Require(uint64_t(layout.blockSize) ==
            kInfoHeaderBytes + 4ull * layout.colourCount + layout.pixelBytes);
    Require(layout.blockPixelOffset == kInfoHeaderBytes + 4 * layout.colourCount);
    Require(uint64_t(layout.pixelOffset) + layout.pixelBytes <= size);
    Require(layout.tableBytes <= 4 * layout.colourCount);
    if (source == DibSource::Resource) Require(uint64_t(layout.tableOffset) + layout.tableBytes <= size);

    // The copies the loader makes; the address sanitizer checks their bounds.
    std::vector<uint8_t> block(layout.blockSize);
    const uint64_t tableHeld = size > layout.tableOffset ? size - layout.tableOffset : 0;
    std::memcpy(block.data() + kInfoHeaderBytes, data + layout.tableOffset,
                size_t(std::min<uint64_t>(layout.tableBytes, tableHeld)));
    if (layout.coreHeader) WidenColourTriples(block.data() + kInfoHeaderBytes, layout.colourCount);
    std::memcpy(block.data() + layout.blockPixelOffset, data + layout.pixelOffset,
                layout.pixelBytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (const DibSource source : {DibSource::Resource, DibSource::File}) {
        const DibLayout whole = ReadDibLayout(data, size, size, source);
        if (whole.Loadable()) CheckAccepted(whole, data, size, source);
        // A file's loader sees only the leading bytes and the length: same answer.
        const size_t head = size < kBmpHeadBytes ? size : kBmpHeadBytes;
        const DibLayout fromHead = ReadDibLayout(data, head, size, source);
        Require(fromHead.verdict == whole.verdict && fromHead.blockSize == whole.blockSize);
    }
    return 0;
}
