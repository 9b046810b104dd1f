// The two caches that keep a DOM walk fast: blocks of freed records kept for the
// next record of their size, and the entity the walk handed out last, kept whole
// when it is released.
//
// Both are process-wide and unlocked: callers use the library from one thread
// at a time. They live until the process ends; what they hold then is still
// reachable from them, so leak checkers do not count it. Everything they hold is
// poisoned for AddressSanitizer while it waits, so a caller that uses a record
// or an entity after releasing it is still caught; this header is the only
// place that poisons.
#pragma once

#include "genqtdomnodeidentity.h"
#include "rururorodoc.h"

#include <cstddef>
#include <sanitizer/asan_interface.h> // poisoning macros; no-ops in builds without ASan

// A DOM walk makes and drops a position record for every element, and entities and
// their records whenever callers hold on to what it hands out; the heap's own
// bookkeeping cost about a third of that. Freed blocks of one size are kept here
// for the next object instead. The cache is small and bounded, so a caller holding
// many objects gives memory back to the heap on release; an object never released
// is an ordinary lost heap block to leak checkers. Blocks come from the global
// operator new, so any copy of this cache may recycle or free any block of its
// size.
template <std::size_t BlockSize>
class RecycledBlocks {
public:
    static void* take(std::size_t size)
    {
        if (size != BlockSize || count == 0)
            return ::operator new(size);
        void* block = cached[--count];
        ASAN_UNPOISON_MEMORY_REGION(block, BlockSize);
        return block;
    }
    static void give(void* block, std::size_t size)
    {
        if (size != BlockSize || count == limit) {
            ::operator delete(block);
            return;
        }
        ASAN_POISON_MEMORY_REGION(block, BlockSize);
        cached[count++] = block;
    }

private:
    static constexpr int limit = 64;
    static inline void* cached[limit] = {};
    static inline int count = 0;
};

// A DOM walk hands out an entity for every event, and its callers mostly release
// each before asking for the next. The entity the walk handed out last is kept
// whole here when it is released, name and node still referenced, so that the
// next event on the same node takes it back without the four atomic
// reference-count updates of a fresh copy, the largest share of an event. Kept
// entities leave the live count. Any other entity is freed as usual: one a
// caller holds longer may outlive its document, and a kept record must never
// hold such a node, nor the whole tree that comes with it. A DOM document drops
// the kept ones as it goes, and when it renames a node.
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
    // event: a QDomNode is the one pointer to the node it stands for. With
    // operator== a release build walked 100000 children in 24.5 ms instead of
    // 22.9 (fastest of 30; 455 instead of 423 million instructions for three
    // walks), 2000 elements of 50 attributes in 42.3 ms instead of 40.8.
    static bool sameNode(const QDomNode& a, const QDomNode& b) { return domNodeIdentity(a) == domNodeIdentity(b); }

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
