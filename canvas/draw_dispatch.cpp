// Placeholder until the draw engine lands: every draw is refused.
#include "canvas/draw.h"

namespace vc15 {

int32_t DrawDispatch(CCanvas&, int32_t, int32_t, const CImage*, const DrawEffect*) { return -1; }

}  // namespace vc15
