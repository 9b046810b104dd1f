// Creating, selecting, deleting and testing documents, and taking a finished
// document out of the library: to a file, as bytes, or as a string.
#include "boundary.h"
#include "rururorosavetarget.h"

#include <QByteArray>

namespace {

// What gen__qtxmlif_get_buff_to_encrypt hands out points in here: it lives from
// library load to unload, and each successful call replaces it.
QByteArray bytesToEncrypt;

template <typename Create>
std::uint32_t addDocument(int* doc_id, const char* root_name, Create create)
try {
    int docID = -1;
    const bool created = create(boundary::manager(), &docID, boundary::fromLocal(root_name)) != nullptr;
    if (!RURUROR_CHECK(created && docID >= 0, "created == true && docID >= 0"))
        return GEN__QTXMLIF_E_FAILED;
    boundary::set(doc_id, docID);
    return GEN__QTXMLIF_OK;
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)

} // namespace

uint32_t gen__qtxmlif_add_document(int* doc_id, const char* root_name)
{
    return addDocument(doc_id, root_name, [](QtXmlManager& xmlManager, int* docID, const QString& name) {
        return xmlManager.createDocument(docID, false, name);
    });
}

uint32_t gen__qtxmlif_add_document_incremental(int* doc_id, const char* root_name)
{
    return addDocument(doc_id, root_name, [](QtXmlManager& xmlManager, int* docID, const QString& name) {
        return xmlManager.createDocument(docID, true, name);
    });
}

uint32_t gen__qtxmlif_add_document_to_encrypt(int* doc_id, const char* root_name)
{
    return addDocument(doc_id, root_name, [](QtXmlManager& xmlManager, int* docID, const QString& name) {
        return xmlManager.createBufferWriter(docID, name);
    });
}

uint32_t gen__qtxmlif_set_working_document(int doc_id)
try {
    QtXmlManager& xmlManager = boundary::manager();
    if (!RURUROR_CHECK(xmlManager.documentExist(doc_id), "xmlManager.documentExist( doc_id )"))
        return GEN__QTXMLIF_E_FAILED;
    xmlManager.setWorkingDocument(doc_id);
    return GEN__QTXMLIF_OK;
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)

uint32_t gen__qtxmlif_del_document(int doc_id)
try {
    const int removedDocID = boundary::manager().removeDocument(doc_id);
    if (!RURUROR_CHECK(removedDocID == doc_id, "removedDocID == doc_id"))
        return GEN__QTXMLIF_E_NO_DOCUMENT;
    return GEN__QTXMLIF_OK;
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)

bool gen__qtxmlif_document_exist(int doc_id)
try {
    QtXmlManager& xmlManager = boundary::manager();
    if (!RURUROR_CHECK(doc_id >= 0, "doc_id >= 0"))
        return false;
    return xmlManager.documentExist(doc_id);
}
RURUROR_CATCH_ALL(false)

uint32_t gen__qtxmlif_save(int doc_id, const char* file_path)
try {
    if (!RURUROR_DOCUMENT_FOUND(RURUROR_KEY_SAVE_ID_NOT_FOUND, doc_id))
        return GEN__QTXMLIF_E_NO_SUCH_ID;
    const char* shownPath = file_path ? file_path : "";
    RurUrOroSaveTarget target(boundary::nativePath(file_path));
    if (!target.open()) {
        RURUROR_LOG_ERROR(RURUROR_KEY_SAVE_FILE_NOT_OPENED, "Unable to open file for saving : %s", shownPath);
        return GEN__QTXMLIF_E_SAVE_FAILED;
    }
    if (!boundary::manager().save(target.device(), doc_id) || !target.commit()) {
        RURUROR_LOG_ERROR(RURUROR_KEY_SAVE_FAILED, "error saving XML document: %s", shownPath);
        return GEN__QTXMLIF_E_SAVE_FAILED;
    }
    return GEN__QTXMLIF_OK;
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)

// A document that is not a buffer writer meets the manager's not-supported
// error: it is reported as an assertion (a document of the wrong kind is a
// broken contract), its string is released, and the outputs keep the null
// pointer and 0 written before the manager was asked.
uint32_t gen__qtxmlif_get_buff_to_encrypt(int doc_id, char** buf_p, int* buf_len_p)
try {
    if (!RURUROR_CHECK(boundary::plausible(buf_p) && boundary::plausible(buf_len_p),
                       RURUROR_PLAUSIBLE_TEXT(buf_p) " && " RURUROR_PLAUSIBLE_TEXT(buf_len_p)))
        return GEN__QTXMLIF_E_FAILED;
    *buf_p = nullptr;
    *buf_len_p = 0;
    if (!RURUROR_DOCUMENT_FOUND(RURUROR_KEY_BUFFER_ID_NOT_FOUND, doc_id))
        return GEN__QTXMLIF_E_NO_SUCH_ID;
    bytesToEncrypt = boundary::manager().documentToByteArray(doc_id);
    *buf_p = bytesToEncrypt.data();
    *buf_len_p = bytesToEncrypt.size();
    return GEN__QTXMLIF_OK;
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)

// On a document that is not a DOM document the caller's string is left as it
// was; the refusal is reported as for gen__qtxmlif_get_buff_to_encrypt.
uint32_t gen__qtxmlif_doc_to_string(int doc_id, QString* qstring_ptr)
try {
    if (!RURUROR_CHECK_PLAUSIBLE(qstring_ptr))
        return GEN__QTXMLIF_E_FAILED;
    if (!RURUROR_DOCUMENT_FOUND(RURUROR_KEY_DOC_TO_STRING_ID_NOT_FOUND, doc_id))
        return GEN__QTXMLIF_E_NO_SUCH_ID;
    *qstring_ptr = boundary::manager().documentToString(doc_id);
    return GEN__QTXMLIF_OK;
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)

uint32_t gen__qtxmlif_top_level_nodes_count(int doc_id, void* entity, int* count)
try {
    boundary::set(count, 0);
    if (!RURUROR_DOCUMENT_FOUND(RURUROR_KEY_TOP_LEVEL_COUNT_ID_NOT_FOUND, doc_id))
        return GEN__QTXMLIF_E_NO_SUCH_ID;
    boundary::set(count, boundary::manager().topLevelNodesCount(boundary::entityOrNull(entity), doc_id));
    return GEN__QTXMLIF_OK;
}
RURUROR_CATCH_ALL(GEN__QTXMLIF_E_FAILED)
