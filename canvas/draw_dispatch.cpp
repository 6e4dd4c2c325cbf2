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
//     depth image is null.
// The plane-clearing request ignores the effect code.
#include "canvas/blits.h"
#include "canvas/draw.h"

namespace vc15 {

namespace {

using Routine = bool (*)(CCanvas&, int32_t, int32_t, const CImage&, const DrawEffect*);

bool Plain(CCanvas& c, int32_t x, int32_t y, const CImage& image, const DrawEffect*) {
    return DrawSpans(c, x, y, static_cast<const CSpanImage&>(image));
}

bool Raw(CCanvas& c, int32_t x, int32_t y, const CImage& image, const DrawEffect*) {
    return DrawRaw(c, x, y, static_cast<const CRawImage&>(image));
}

bool Alpha(CCanvas& c, int32_t x, int32_t y, const CImage& image, const DrawEffect* e) {
    return DrawSpansAlpha(c, x, y, e->level, static_cast<const CSpanImage&>(image));
}

bool SoftEdge(CCanvas& c, int32_t x, int32_t y, const CImage& image, const DrawEffect*) {
    return DrawSpansSoftEdge(c, x, y, static_cast<const CSpanImage&>(image));
}

bool Depth(CCanvas& c, int32_t x, int32_t y, const CImage& image, const DrawEffect* e) {
    return DrawSpansDepth(c, x, y, static_cast<const CSpanImage&>(image), *e->params);
}

bool DepthAlpha(CCanvas& c, int32_t x, int32_t y, const CImage& image, const DrawEffect* e) {
    return DrawSpansDepthAlpha(c, x, y, static_cast<const CSpanImage&>(image), *e->params, e->level);
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

int32_t ClearPlane(CCanvas& canvas, const DrawEffect& effect) {
    const DepthParams* params = effect.params;
    if (!params || !(params->flags & DEPTH_CLEAR) || !canvas.depthPlane) return -1;
    const uint32_t flags = params->flags;
    canvas.depthPlane->Fill((flags & DEPTH_CLEAR_VALUE) ? (flags & 0xffu) : 255u);
    return 0;  // the fill's own result does not count
}

}  // namespace

int32_t DrawDispatch(CCanvas& canvas, int32_t x, int32_t y, const CImage* image, const DrawEffect* effect) {
    if (!canvas.pixels) return -1;
    if (!image) return effect ? ClearPlane(canvas, *effect) : -1;
    const Entry* entry = Find(image->kind, effect);
    if (!entry) return -1;
    if (entry->usesDepth &&
        (!canvas.depthPlane || !canvas.depthPlane->data || !effect->params || !effect->params->depthImage))
        return -1;
    return entry->routine(canvas, x, y, *image, effect) ? 0 : -1;
}

}  // namespace vc15
