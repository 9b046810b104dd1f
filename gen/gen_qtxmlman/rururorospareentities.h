// Released DOM entities kept whole for the next hand-out.
#pragma once

#include "rururorodoc.h"

#include <cstring>
#include <type_traits>

// A DOM walk hands out an entity for every event, and its callers mostly release
// each before asking for the next. The entity the walk handed out last is kept
// whole here when it is released, name and node still referenced, so that the
// next event on the same node takes it back without the four atomic
// reference-count updates of a fresh copy, the largest share of an event. Kept
// entities leave the live count. Any other entity is freed as usual: one a
// caller holds longer may outlive its document, and a kept record must never
// hold such a node, nor the whole tree that comes with it. A DOM document drops
// the kept ones as it goes, and when it renames a node. Callers use the library
// from one thread at a time: no lock.
class SpareDomEntities {
public:
    static void handedOut(RurUrOroEntity* entity) { lastHandedOut = entity; }

    // False, and the caller frees the entity, unless it is the one handed out
    // last and a place is free.
    static bool keep(RurUrOroEntity* entity)
    {
        const bool handedOutLast = entity == lastHandedOut;
        lastHandedOut = nullptr;
        if (!handedOutLast || count == Places)
            return false;
        RurUrOroEntity::counter().lower();
        poison(entity);
        kept[count++] = entity;
        return true;
    }

    // A kept entity, the one whose record stands on `node` when there is one
    // (`onNode` tells); failing that, once every place is taken, the one kept
    // longest; else null. Its record still holds what it held when released.
    static RurUrOroEntity* take(const QDomNode& node, bool* onNode)
    {
        for (int i = count - 1; i >= 0; --i) {
            *onNode = sameNode(unpoison(kept[i])->node, node);
            if (*onNode)
                return takeAt(i);
            poison(kept[i]);
        }
        if (count < Places)
            return nullptr;
        unpoison(kept[0]);
        return takeAt(0);
    }

    static void drop()
    {
        lastHandedOut = nullptr;
        while (count > 0) {
            RurUrOroEntity* entity = takeAt(count - 1); // back in the live count, which deletion lowers
            delete unpoison(entity);
            delete entity;
        }
    }

private:
    // A walk steps between an element and its parent: two places serve it.
    static constexpr int Places = 2;

    // Kept longest first; with two places, moving the latest into the gap
    // keeps that order.
    static RurUrOroEntity* takeAt(int index)
    {
        RurUrOroEntity* entity = kept[index];
        kept[index] = kept[--count];
        RurUrOroEntity::counter().raise();
        return entity;
    }

    // What QDomNode's operator== tells, without a call into Qt for every
    // event: a QDomNode is the one pointer to the node it stands for.
    static bool sameNode(const QDomNode& a, const QDomNode& b)
    {
        static_assert(sizeof(QDomNode) == sizeof(void*) && std::is_standard_layout_v<QDomNode>);
        return std::memcmp(&a, &b, sizeof(QDomNode)) == 0;
    }

    // Kept entities are poisoned like recycled blocks, so ASan still catches a
    // caller that uses an entity after releasing it.
    static void poison(RurUrOroEntity* entity)
    {
        ASAN_POISON_MEMORY_REGION(entity->domNode, sizeof(VDomNode));
        ASAN_POISON_MEMORY_REGION(entity, sizeof(RurUrOroEntity));
    }
    static VDomNode* unpoison(RurUrOroEntity* entity)
    {
        ASAN_UNPOISON_MEMORY_REGION(entity, sizeof(RurUrOroEntity));
        ASAN_UNPOISON_MEMORY_REGION(entity->domNode, sizeof(VDomNode));
        return entity->domNode;
    }

    static inline RurUrOroEntity* kept[Places] = {};
    static inline int count = 0;
    static inline RurUrOroEntity* lastHandedOut = nullptr;
};
