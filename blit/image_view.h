// Image records as the host lays them out: the fields after the table
// pointer, copied out byte for byte. A host's record may carry a table of its
// own (a host in C, or built by another compiler), so the library never
// reads one through the dynamic type of CImage or its derived classes.
#pragma once

#include <cstdint>
#include <cstring>

#include "VexaCanvas15.h"

namespace vc15 {

// CImage after its table pointer.
struct ImageFields {
    uint32_t kind;
    int32_t width;
    int32_t height;
    uint32_t attr;
};

// CSpanImage after its table pointer.
struct SpanImageView {
    ImageFields head;
    uint32_t spanCount;
    uint32_t reserved;
    const uint8_t* spans;
};

// The raw record (IMAGE_RAW16) after its table pointer.
struct RawImageView {
    ImageFields head;
    const uint16_t* pixels;
};

static_assert(sizeof(void*) + sizeof(ImageFields) == sizeof(CImage), "CImage layout");
static_assert(sizeof(void*) + sizeof(SpanImageView) == sizeof(CSpanImage), "CSpanImage layout");
static_assert(sizeof(void*) + sizeof(RawImageView) == sizeof(CRawImage), "CRawImage layout");

// Copies the fields of the record at `record` (a host's image record of the
// view's kind); no member of a polymorphic type is touched.
template <class View>
View ReadRecord(const void* record) {
    View v;
    std::memcpy(&v, static_cast<const unsigned char*>(record) + sizeof(void*), sizeof v);
    return v;
}

}  // namespace vc15
