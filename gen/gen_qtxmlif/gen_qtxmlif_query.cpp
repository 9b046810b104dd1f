// Questions about the node a caller holds and about the reading position:
// attributes, the attribute count, node text, line number, character offset.
#include "boundary.h"

using boundary::entityOf;
using boundary::set;

uint32_t gen__qtxmlif_get_named_attribute(int doc_id, void* node_ptr, const char* attr_name, char** attr_value,
                                          bool* found)
{
    return gen__qtxmlif_get_named_attribute1(doc_id, node_ptr, attr_name, false, attr_value, found);
}

uint32_t gen__qtxmlif_get_named_attribute_nocase(int doc_id, void* node_ptr, const char* attr_name,
                                                 char** attr_value, bool* found)
{
    return gen__qtxmlif_get_named_attribute1(doc_id, node_ptr, attr_name, true, attr_value, found);
}

RURUROR_TAKES_FLAG uint32_t gen__qtxmlif_get_named_attribute1(int doc_id, void* node_ptr, const char* attr_name,
                                                              RURUROR_FLAG no_case, char** attr_value, bool* found)
try {
    if (!RURUROR_CHECK_PLAUSIBLE(node_ptr))
        return GEN__QTXMLIF_E_FAILED;
    set(found, false);
    set(attr_value, nullptr);
    if (!RURUROR_DOCUMENT_FOUND(RURUROR_KEY_NAMED_ATTRIBUTE_ID_NOT_FOUND, doc_id))
        return GEN__QTXMLIF_E_NO_SUCH_ID;

    QString value;
    const bool hasAttribute = boundary::manager().getNamedAttribute(entityOf(node_ptr), boundary::fromLocal(attr_name),
                                                                    &value, boundary::flag(no_case), doc_id);
    if (hasAttribute)
        RURUROR_SET_STRING(attr_value, value);
    set(found, hasAttribute);
    return GEN__QTXMLIF_OK;
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)

uint32_t gen__qtxmlif_get_attribute_count(int doc_id, void* node_ptr, int* count)
try {
    if (!RURUROR_CHECK(boundary::plausible(node_ptr) && boundary::plausible(count),
                       RURUROR_PLAUSIBLE_TEXT(node_ptr) " && " RURUROR_PLAUSIBLE_TEXT(count)))
        return GEN__QTXMLIF_E_FAILED;
    if (!RURUROR_DOCUMENT_FOUND(RURUROR_KEY_ATTRIBUTE_COUNT_ID_NOT_FOUND, doc_id))
        return GEN__QTXMLIF_E_NO_SUCH_ID;
    *count = boundary::manager().getAttributeCount(entityOf(node_ptr), doc_id);
    return GEN__QTXMLIF_OK;
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)

uint32_t gen__qtxmlif_get_node_text(int doc_id, void* node_ptr, char** text)
try {
    if (!RURUROR_CHECK_PLAUSIBLE(node_ptr))
        return GEN__QTXMLIF_E_FAILED;
    // The answer has nowhere else to go: a missing `text` is a broken contract
    // like a missing node, reported the same way.
    if (!RURUROR_CHECK_PLAUSIBLE(text))
        return GEN__QTXMLIF_E_FAILED;
    if (!RURUROR_DOCUMENT_FOUND(RURUROR_KEY_NODE_TEXT_ID_NOT_FOUND, doc_id))
        return GEN__QTXMLIF_E_NO_SUCH_ID;

    const QString nodeText = boundary::manager().getNodeText(entityOf(node_ptr), doc_id);
    *text = nullptr;
    if (!nodeText.isEmpty())
        RURUROR_SET_STRING(text, nodeText);
    return GEN__QTXMLIF_OK;
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)

uint32_t gen__qtxmlif_get_line_number(int doc_id, int* lineNumber)
try {
    if (!RURUROR_CHECK_PLAUSIBLE(lineNumber))
        return GEN__QTXMLIF_E_FAILED;
    if (!RURUROR_DOCUMENT_FOUND(RURUROR_KEY_LINE_NUMBER_ID_NOT_FOUND, doc_id))
        return GEN__QTXMLIF_E_NO_SUCH_ID;
    *lineNumber = boundary::manager().getLineNumber(doc_id);
    return GEN__QTXMLIF_OK;
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)

uint32_t gen__qtxmlif_characters_offset(int doc_id, int* offset)
try {
    set(offset, 0);
    if (!RURUROR_DOCUMENT_FOUND(RURUROR_KEY_CHARACTERS_OFFSET_ID_NOT_FOUND, doc_id))
        return GEN__QTXMLIF_E_NO_SUCH_ID;
    // The low 32 bits, as the caller's int can hold no more.
    set(offset, static_cast<std::uint32_t>(boundary::manager().charactersOffset(doc_id)));
    return GEN__QTXMLIF_OK;
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)
