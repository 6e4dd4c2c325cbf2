// The one way the library appends a node to a host's list.
#pragma once

#include "VexaCanvas15.h"

namespace vc15 {

// A header whose head and tail are both null is empty for the links, whatever
// its count says; the count always grows by one. A null node is skipped.
inline void AppendNode(CNodeList* list, CListNode* node) {
    if (!node) return;
    if (!list->tail && !list->head) {
        list->head = node;
        list->tail = node;
        node->prev = nullptr;
    } else {
        list->tail->next = node;
        node->prev = list->tail;
        list->tail = node;
    }
    node->next = nullptr;
    node->owner = list;
    list->count += 1;
}

}  // namespace vc15
