// The canvas object: a block of 16-bit pixels, a clip rectangle and an
// optional 8-bit depth plane, behind the ICanvas15 table of operations.
#pragma once

#include <atomic>
#include <cstdint>

#include "VexaCanvas15.h"

namespace vc15 {

// One unsigned byte per canvas pixel; smaller is nearer, 255 the farthest.
class CDepthPlane {
public:
    CDepthPlane() = default;
    VC15_VIRTUAL_DESTRUCTOR(CDepthPlane);

    // Stores the sizes, allocates width * height bytes and sets them to 255.
    // -1 when the memory cannot be had (data stays null).
    int32_t Allocate(uint32_t w, uint32_t h);
    // Sets every byte to the value's low byte; -1 when there is no data.
    int32_t Fill(uint32_t value);

    uint8_t* data = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
};

class CCanvas final : public ICanvas15 {
public:
    CCanvas() = default;
    CCanvas(const CCanvas&) = delete;
    CCanvas& operator=(const CCanvas&) = delete;

    int32_t QueryInterface(uint32_t iid, void** out) override;
    uint32_t AddRef() override;
    uint32_t Release() override;
    int32_t Create(const CanvasDesc* desc) override;
    int32_t FillRect(const FillRectDesc* desc) override;
    int32_t SetClipRect(const ClipRect* rect) override;
    int32_t Draw(int32_t x, int32_t y, const CImage* image, const DrawEffect* effect) override;
    int32_t GetBuffer(uint16_t** out) override;
    int32_t CopyToSurface(IDirectDrawSurface7* surface) override;
    int32_t GetWidth() override;
    int32_t GetHeight() override;
    // Reached only from Release.
    VC15_VIRTUAL_DESTRUCTOR(CCanvas);

    std::atomic<uint32_t> refCount{0};
    uint16_t* pixels = nullptr;
    int32_t width = 0;  // also the row pitch in pixels
    int32_t height = 0;
    ClipRect clip{0, 0, 0, 0};
    CDepthPlane* depthPlane = nullptr;

private:
    void ReleaseBuffers();
};

static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t), "refCount must stay a 32-bit field");

}  // namespace vc15
