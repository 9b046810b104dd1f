// The allocation and release hooks that rururorodoc.h declares, served by the
// DOM walk's caches. Stream entities take the same blocks: they have the size
// of every other entity.
#include "genqtdomspeedcaches.h"

void* RurUrOroEntity::operator new(std::size_t size)
{
    return RecycledBlocks<sizeof(RurUrOroEntity)>::take(size);
}

void RurUrOroEntity::operator delete(void* memory, std::size_t size)
{
    RecycledBlocks<sizeof(RurUrOroEntity)>::give(memory, size);
}

void* VDomNode::operator new(std::size_t size)
{
    return RecycledBlocks<sizeof(VDomNode)>::take(size);
}

void VDomNode::operator delete(void* memory, std::size_t size)
{
    RecycledBlocks<sizeof(VDomNode)>::give(memory, size);
}

void releaseEntity(RurUrOroEntity* entity)
{
    if (!entity || SpareDomEntities::keep(entity))
        return;
    delete entity->domNode;
    delete entity;
}
