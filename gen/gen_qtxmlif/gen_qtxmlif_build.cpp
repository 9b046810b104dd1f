// Building into the working document. Each function checks its string first
// (so an empty one is reported even without a working document), then the
// working document, then converts and asks the manager.
#include "boundary.h"

namespace {

// The steps every building function shares once its string has passed. `line`
// is the caller's, so each function's reports name its own site.
template <typename Operation>
std::uint32_t buildIntoWorkingDocument(int line, Operation operation)
{
    QtXmlManager& xmlManager = boundary::manager();
    const int doc_id = xmlManager.getWorkingDocument();
    if (!boundary::check(xmlManager.documentExist(doc_id), "xmlManager.documentExist( doc_id )", __FILE__, line))
        return GEN__QTXMLIF_E_NO_DOCUMENT;
    const bool result = operation(xmlManager, doc_id);
    if (!boundary::check(result, "result == true", __FILE__, line))
        return GEN__QTXMLIF_E_FAILED;
    return GEN__QTXMLIF_OK;
}

bool closeNode(QtXmlManager& xmlManager, int doc_id)
{
    return xmlManager.closeNode(doc_id);
}

} // namespace

uint32_t gen__qtxmlif_open_node(const char* node_name)
try {
    if (!RURUROR_CHECK_NOT_EMPTY(node_name))
        return GEN__QTXMLIF_E_FAILED;
    return buildIntoWorkingDocument(__LINE__, [node_name](QtXmlManager& xmlManager, int doc_id) {
        // Outer white space goes; inner blanks become underscores, other white
        // space inside stays as it is.
        QString name = boundary::fromLocal(node_name).trimmed();
        name.replace(QLatin1Char(' '), QLatin1Char('_'));
        return xmlManager.openNode(name, doc_id);
    });
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)

uint32_t gen__qtxmlif_close_node(void)
try {
    return buildIntoWorkingDocument(__LINE__, closeNode);
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)

uint32_t gen__qtxmlif_add_attr(const char* attr_name, const char* attr_val)
try {
    if (!RURUROR_CHECK_NOT_EMPTY(attr_name))
        return GEN__QTXMLIF_E_FAILED;
    return buildIntoWorkingDocument(__LINE__, [attr_name, attr_val](QtXmlManager& xmlManager, int doc_id) {
        return xmlManager.addAttribute(boundary::fromLocal(attr_name), boundary::fromLocal(attr_val), doc_id);
    });
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)

uint32_t gen__qtxmlif_add_text(const char* text_val)
try {
    if (!RURUROR_CHECK_NOT_EMPTY(text_val))
        return GEN__QTXMLIF_E_FAILED;
    return buildIntoWorkingDocument(__LINE__, [text_val](QtXmlManager& xmlManager, int doc_id) {
        return xmlManager.addText(boundary::fromLocal(text_val), doc_id);
    });
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)

uint32_t gen__qtxmlif_open_level(void)
try {
    return buildIntoWorkingDocument(
        __LINE__, [](QtXmlManager& xmlManager, int doc_id) { return xmlManager.openLevel(doc_id); });
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)

// The same operation as gen__qtxmlif_close_node; only the reported site differs.
uint32_t gen__qtxmlif_close_level(void)
try {
    return buildIntoWorkingDocument(__LINE__, closeNode);
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)
