// Fields of the host's enumeration nodes by their published layout. A node
// handed back to a creation function may have been made by a host in C or by
// another compiler, with a table pointer of its own, so the library finds its
// fields by offset instead of through the node classes' dynamic types.
#pragma once

#include <cstddef>

#include "VexaCanvas15.h"

namespace vc15::ddraw {

// CListNode after its table pointer.
struct ListNodeFields {
    void* prev;
    void* next;
    void* owner;
};

struct DriverNodeFields {
    ListNodeFields links;
    char name[64];
    char description[64];
    GUID guid;
    DDCAPS caps;
    HMONITOR monitor;
};

struct ZBufferFormatNodeFields {
    ListNodeFields links;
    DDPIXELFORMAT format;
};

struct D3DDeviceNodeFields {
    ListNodeFields links;
    char name[64];
    char description[64];
    D3DDEVICEDESC7 desc;
};

static_assert(sizeof(void*) + sizeof(DriverNodeFields) == sizeof(CDDrawDriverNode), "CDDrawDriverNode layout");
static_assert(sizeof(void*) + sizeof(ZBufferFormatNodeFields) == sizeof(CZBufferFormatNode),
              "CZBufferFormatNode layout");
static_assert(sizeof(void*) + sizeof(D3DDeviceNodeFields) == sizeof(CD3DDeviceNode), "CD3DDeviceNode layout");

// Address of a field of the node at `node`, `offset` bytes into its fields.
template <class Field, class Node>
Field* NodeField(Node* node, size_t offset) {
    return reinterpret_cast<Field*>(reinterpret_cast<unsigned char*>(node) + sizeof(void*) + offset);
}

inline GUID* DriverGuid(CDDrawDriverNode* node) { return NodeField<GUID>(node, offsetof(DriverNodeFields, guid)); }
inline DDPIXELFORMAT* ZBufferFormat(CZBufferFormatNode* node) {
    return NodeField<DDPIXELFORMAT>(node, offsetof(ZBufferFormatNodeFields, format));
}
inline GUID* DeviceGuid(CD3DDeviceNode* node) {
    return NodeField<GUID>(node, offsetof(D3DDeviceNodeFields, desc) + offsetof(D3DDEVICEDESC7, deviceGUID));
}

}  // namespace vc15::ddraw
