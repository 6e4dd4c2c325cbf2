// Raw images: copied row by row when wholly inside the clip rectangle;
// otherwise each row is presented as a span (a CSpanNode borrowing the row's
// pixels) to the same clipped path that span-list sprites take.
#include "canvas/blit_ops.h"
#include "canvas/blits.h"
#include "canvas/memory.h"

namespace vc15 {

bool DrawRaw(CCanvas& canvas, int32_t x, int32_t y, const RawImageView& image) {
    const int32_t w = image.head.width;
    const int32_t h = image.head.height;
    const uint16_t* src = image.pixels;
    if (!src || h <= 0) return true;  // nothing to draw on either path

    if (BoxInside(canvas.clip, x, y, w, h)) {
        const PixelTarget target(canvas);
        for (int32_t r = 0; r < h; ++r)
            CopyPixels(target.At(int64_t{y} + r, x), src + static_cast<size_t>(r) * static_cast<size_t>(w),
                       static_cast<size_t>(w));
        return true;
    }

    // Crossing path. The wrapper carries the image's box and attr; its spans
    // stay null, the nodes stand in for the records.
    CSpanImage* wrapper = NewObject<CSpanImage>();
    if (!wrapper) return false;
    wrapper->width = w;
    wrapper->height = h;
    wrapper->attr = image.head.attr;

    const size_t rows = static_cast<size_t>(h);
    CSpanNode** table = nullptr;
    if (rows <= SIZE_MAX / sizeof(CSpanNode*)) table = static_cast<CSpanNode**>(MemAlloc(rows * sizeof(CSpanNode*)));
    size_t made = 0;
    if (table) {
        for (; made < rows; ++made) {
            CSpanNode* node = NewObject<CSpanNode>();
            if (!node) break;
            // A node's y is 16-bit like a record's, so rows are numbered
            // modulo 65536 as a record would number them.
            node->x = 0;
            node->y = static_cast<uint16_t>(made);
            node->count = static_cast<uint32_t>(w);
            node->pixels = const_cast<uint16_t*>(src) + made * static_cast<size_t>(w);
            table[made] = node;
        }
    }

    const bool complete = table && made == rows;
    if (complete) {
        CopyOp op(canvas);
        WalkSpans<InsideRule::NonStrict>(canvas.clip, x, y, wrapper->width, wrapper->height,
                                         NodeSpans(table, static_cast<uint32_t>(rows)), op);
    }

    // The pixels are borrowed: detach them so that destroying a node frees
    // nothing of the image.
    for (size_t i = 0; i < made; ++i) {
        table[i]->pixels = nullptr;
        DeleteObject(table[i]);
    }
    DeleteObject(wrapper);
    MemFree(table);
    return complete;
}

}  // namespace vc15
