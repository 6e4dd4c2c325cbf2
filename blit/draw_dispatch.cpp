// The draw operation: one table maps (image kind, effect code) to exactly one
// blit routine.
//
// Refusals (-1, nothing drawn):
//   - the canvas has no pixels (never created, or its allocation failed);
//   - image and effect are both null;
//   - the plane-clearing request (null image) without params, without
//     DEPTH_CLEAR, or on a canvas without a depth plane;
//   - a kind without the drawable bit or not in the table, any effect on a
//     raw image, an effect code not in the table;
//   - a depth effect on a canvas without a depth plane, or whose params or
//     depth image is null;
//   - an image (or depth image) whose box has a negative width or height.
// The plane-clearing request ignores the effect code.
//
// The host's records are read through their published layout (image_view.h),
// never through CImage's dynamic type: a record made by a host in C, or by
// another compiler, has a table pointer of its own.
#include "blit/blits.h"
#include "blit/target.h"

namespace vc15 {

namespace {

// The image record, read once by the dispatcher: the routines get views.
union Record {
    SpanImageView spans;
    RawImageView raw;
};

using Routine = bool (*)(const DrawTarget&, int32_t, int32_t, const Record&, const DrawEffect*, const DepthArgs&);

bool Plain(const DrawTarget& c, int32_t x, int32_t y, const Record& r, const DrawEffect*, const DepthArgs&) {
    return DrawSpans(c, x, y, r.spans);
}

bool Raw(const DrawTarget& c, int32_t x, int32_t y, const Record& r, const DrawEffect*, const DepthArgs&) {
    return DrawRaw(c, x, y, r.raw);
}

bool Alpha(const DrawTarget& c, int32_t x, int32_t y, const Record& r, const DrawEffect* e, const DepthArgs&) {
    return DrawSpansAlpha(c, x, y, e->level, r.spans);
}

bool SoftEdge(const DrawTarget& c, int32_t x, int32_t y, const Record& r, const DrawEffect*, const DepthArgs&) {
    return DrawSpansSoftEdge(c, x, y, r.spans);
}

bool Depth(const DrawTarget& c, int32_t x, int32_t y, const Record& r, const DrawEffect*, const DepthArgs& d) {
    return DrawSpansDepth(c, x, y, r.spans, d);
}

bool DepthAlpha(const DrawTarget& c, int32_t x, int32_t y, const Record& r, const DrawEffect* e, const DepthArgs& d) {
    return DrawSpansDepthAlpha(c, x, y, r.spans, d, e->level);
}

struct Entry {
    uint32_t kind;
    bool withEffect;
    uint32_t code;  // read only when withEffect
    bool usesDepth;
    Routine routine;
};

constexpr Entry kRoutines[] = {
    {IMAGE_SPANLIST, false, 0, false, &Plain},           {IMAGE_RAW16, false, 0, false, &Raw},
    {IMAGE_SPANLIST, true, EFFECT_ALPHA, false, &Alpha}, {IMAGE_SPANLIST, true, EFFECT_SOFT_EDGE, false, &SoftEdge},
    {IMAGE_SPANLIST, true, EFFECT_DEPTH, true, &Depth},  {IMAGE_SPANLIST, true, EFFECT_DEPTH_ALPHA, true, &DepthAlpha},
};

const Entry* Find(uint32_t kind, const DrawEffect* effect) {
    if (!(kind & IMAGE_DRAWABLE)) return nullptr;
    for (const Entry& e : kRoutines) {
        if (e.kind != kind || e.withEffect != (effect != nullptr)) continue;
        if (effect && e.code != effect->code) continue;
        return &e;
    }
    return nullptr;
}

bool NegativeBox(const ImageFields& f) { return f.width < 0 || f.height < 0; }

int32_t ClearPlane(const DrawTarget& canvas, const DrawEffect& effect) {
    const DepthParams* params = effect.params;
    if (!params || !(params->flags & DEPTH_CLEAR) || !canvas.plane) return -1;
    FillPlane(canvas, PlaneClearValue(params->flags));
    return 0;
}

}  // namespace

int32_t DrawImage(const DrawTarget& canvas, int32_t x, int32_t y, const CImage* image, const DrawEffect* effect) {
    if (!canvas.pixels) return -1;
    if (!image) return effect ? ClearPlane(canvas, *effect) : -1;
    const ImageFields head = ReadRecord<ImageFields>(image);
    const Entry* entry = Find(head.kind, effect);
    if (!entry || NegativeBox(head)) return -1;
    Record record;
    if (entry->kind == IMAGE_RAW16)
        record.raw = ReadRecord<RawImageView>(image);
    else
        record.spans = ReadRecord<SpanImageView>(image);
    DepthArgs depth{};
    if (entry->usesDepth) {
        if (!canvas.plane || !effect->params || !effect->params->depthImage) return -1;
        depth.flags = effect->params->flags;
        depth.clearValue = PlaneClearValue(depth.flags);
        depth.bias = effect->params->bias;
        depth.depth = ReadRecord<SpanImageView>(effect->params->depthImage);
        if (NegativeBox(depth.depth.head)) return -1;
    }
    return entry->routine(canvas, x, y, record, effect, depth) ? 0 : -1;
}

}  // namespace vc15
