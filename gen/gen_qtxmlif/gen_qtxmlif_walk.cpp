// Walking a document: the start handle, the flat stream of entities, child
// iteration and lookup, and the release of the handles the caller holds.
#include "boundary.h"

#include <QXmlStreamReader>

using boundary::entityOf;
using boundary::entityOrNull;
using boundary::plausible;
using boundary::set;

namespace {

// Releases the handle held in the caller's variable (the entity with its own
// position record) and clears the variable. A value up to 1000 is cleared
// without a release, since it cannot be a handle.
void releaseHandle(void** node)
{
    if (!plausible(node) || !*node)
        return;
    releaseEntity(entityOrNull(*node));
    *node = nullptr;
}

// Gives `entity` to the caller through `target`. A caller who left no place for
// it never sees it, so it is released here.
void handOver(void** target, RurUrOroEntity* entity)
{
    if (plausible(target))
        *target = entity;
    else
        releaseEntity(entity);
}

// A walk is over when nothing came back, when a DOM entity stands on no node,
// or when the stream under a reader's entity is at its end or has failed.
bool walkIsOver(const RurUrOroEntity* entity)
{
    if (!entity)
        return true;
    if (entity->domNode && entity->domNode->node.isNull())
        return true;
    return entity->streamReader && (entity->streamReader->atEnd() || entity->streamReader->hasError());
}

// The caller sees only the three entity types; anything else is -1.
int callerEntityType(int type)
{
    return type >= XML_ETYPE_ELEMENT && type <= XML_ETYPE_TEXT ? type : -1;
}

} // namespace

uint32_t gen__qtxmlif_begin_traversion(int doc_id, const char* node_name, void** start_node)
try {
    set(start_node, nullptr);
    if (!RURUROR_DOCUMENT_FOUND(RURUROR_KEY_BEGIN_TRAVERSION_ID_NOT_FOUND, doc_id))
        return GEN__QTXMLIF_E_NO_SUCH_ID;
    const QString name = boundary::isEmpty(node_name) ? QString() : boundary::fromLocal(node_name);
    RurUrOroEntity* start = boundary::manager().beginTraversion(name, doc_id);
    if (!start)
        return GEN__QTXMLIF_E_FAILED;
    // A DOM document keeps its start handle (it carries a position record); a
    // stream reader's belongs to the caller like any other.
    if (start->domNode)
        set(start_node, start);
    else
        handOver(start_node, start);
    return GEN__QTXMLIF_OK;
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)

uint32_t gen__qtxmlif_get_next_entity(int doc_id, int* entity_type, char** name, char** value, int* depth,
                                      bool* is_end_element)
{
    return gen__qtxmlif_get_next_entity_2(doc_id, entity_type, name, value, depth, is_end_element, nullptr);
}

uint32_t gen__qtxmlif_get_next_entity_2(int doc_id, int* entity_type, char** name, char** value, int* depth,
                                        bool* is_end_element, void** entity)
try {
    set(entity_type, -1);
    set(name, nullptr);
    set(value, nullptr);
    set(depth, -1);
    set(is_end_element, false);
    set(entity, nullptr);
    if (!RURUROR_DOCUMENT_FOUND(RURUROR_KEY_NEXT_ENTITY_ID_NOT_FOUND, doc_id))
        return GEN__QTXMLIF_E_NO_SUCH_ID;

    int type = 6; // no entity, until the document says otherwise
    QString entityName;
    QString entityValue;
    int entityDepth = -1;
    bool isEnd = false;
    RurUrOroEntity* next =
        boundary::manager().getNextEntity(&type, &entityName, &entityValue, &entityDepth, &isEnd, doc_id);

    // Also the call that ends the walk reports what it saw, so everything is
    // written before the status is decided.
    set(entity, next);
    set(entity_type, callerEntityType(type));
    set(depth, entityDepth);
    RURUROR_SET_STRING(name, entityName);
    RURUROR_SET_STRING(value, entityValue);
    set(is_end_element, isEnd);
    const std::uint32_t status = walkIsOver(next) ? GEN__QTXMLIF_END_OF_DOCUMENT : GEN__QTXMLIF_OK;
    if (!plausible(entity))
        releaseEntity(next);
    return status;
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)

uint32_t gen__qtxmlif_end_traversion(int doc_id)
try {
    if (!RURUROR_DOCUMENT_FOUND(RURUROR_KEY_END_TRAVERSION_ID_NOT_FOUND, doc_id))
        return GEN__QTXMLIF_E_NO_SUCH_ID;
    boundary::manager().endTraversion(doc_id);
    return GEN__QTXMLIF_OK;
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)

uint32_t gen__qtxmlif_get_next_child_node(int doc_id, void* parent, char** name, void** child)
{
    return gen__qtxmlif_get_next_child_node_2(doc_id, parent, name, nullptr, child);
}

uint32_t gen__qtxmlif_get_next_child_node_2(int doc_id, void* parent, char** name, int* depth, void** child)
try {
    // The previous child goes first, whatever happens next.
    releaseHandle(child);
    set(name, nullptr);
    set(depth, -1);
    if (!RURUROR_DOCUMENT_FOUND(RURUROR_KEY_NEXT_CHILD_ID_NOT_FOUND, doc_id))
        return GEN__QTXMLIF_E_NO_SUCH_ID;

    QString childName;
    int childDepth = -1;
    RurUrOroEntity* next =
        boundary::manager().getNextChildNode(entityOrNull(parent), &childName, &childDepth, doc_id);
    if (next && next->streamReader && next->streamReader->hasError()) {
        releaseEntity(next);
        return GEN__QTXMLIF_E_NO_SUCH_ID;
    }
    if (next)
        RURUROR_SET_STRING(name, childName);
    handOver(child, next);
    set(depth, childDepth);
    return GEN__QTXMLIF_OK;
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)

// On a document other than a DOM document the manager refuses the lookup by
// throwing; the guard reports its text and answers GEN__QTXMLIF_E_FAILED, with
// the child variable and the depth still as preset (null, -1).
uint32_t gen__qtxmlif_get_named_child_node(int doc_id, void* parent, const char* child_name, void** child,
                                           int* depth)
try {
    releaseHandle(child);
    set(depth, -1);
    if (boundary::isEmpty(child_name))
        return GEN__QTXMLIF_OK;
    if (!RURUROR_DOCUMENT_FOUND(RURUROR_KEY_NAMED_CHILD_ID_NOT_FOUND, doc_id))
        return GEN__QTXMLIF_E_NO_SUCH_ID;

    int childDepth = -1;
    RurUrOroEntity* named =
        boundary::manager().getNamedNode(entityOrNull(parent), boundary::fromLocal(child_name), &childDepth, doc_id);
    set(depth, childDepth);
    handOver(child, named);
    return GEN__QTXMLIF_OK;
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)

uint32_t gen__qtxmlif_close_existing_node(int doc_id, void* node_ptr, int depth, int* new_depth, bool* closed)
try {
    set(closed, false);
    set(new_depth, -1);
    if (!RURUROR_DOCUMENT_FOUND(RURUROR_KEY_CLOSE_NODE_ID_NOT_FOUND, doc_id))
        return GEN__QTXMLIF_E_NO_SUCH_ID;

    int nodeDepth = depth;
    const bool wasClosed = boundary::manager().closeExistingNode(entityOrNull(node_ptr), &nodeDepth, doc_id);
    set(closed, wasClosed);
    set(new_depth, nodeDepth);
    return GEN__QTXMLIF_OK;
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)

void gen__qtxmlif_delete_node(void** node)
try {
    releaseHandle(node);
}
RURUROR_CATCH_ALL()

uint32_t gen__qtxmlif_set_node_tranversion_complete(void* node_ptr)
try {
    if (plausible(node_ptr))
        entityOf(node_ptr)->traversionComplete = true;
    return GEN__QTXMLIF_OK;
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)
