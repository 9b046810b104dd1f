/* C interface of librururoro: read, walk, build and write XML documents.
 *
 * Every function except gen__qtxmlif_document_exist and gen__qtxmlif_delete_node
 * returns a status code (GEN__QTXMLIF_OK on success). Pointer arguments are used
 * only when their value is above 1000; 0..1000 count as absent. Names, values and
 * texts are in the local 8-bit encoding, file paths in UTF-8.
 *
 * Ownership: every string handed back through a `char**` is a new copy that the
 * caller releases with gen__mem_free (see ruziradavod.h). Node handles are the
 * caller's to release with gen__qtxmlif_delete_node, except the start handle of a
 * DOM document, which the document releases at gen__qtxmlif_end_traversion. */
#ifndef GEN_QTXMLIF_H
#define GEN_QTXMLIF_H

#include <stdbool.h>
#include <stdint.h>

#include "rururoro_export.h"

#ifdef __cplusplus
class QString;
typedef QString gen__qtxmlif_qstring;
extern "C" {
#else
typedef struct gen__qtxmlif_qstring gen__qtxmlif_qstring; /* a QString, opaque to C */
#endif

/* Status codes. */
#define GEN__QTXMLIF_OK 0u
#define GEN__QTXMLIF_E_FAILED 14601u          /* contract violation or refused operation */
#define GEN__QTXMLIF_E_NO_DOCUMENT 14603u     /* missing file or working document */
#define GEN__QTXMLIF_E_OPEN_FAILED 14604u     /* file exists but cannot be read */
#define GEN__QTXMLIF_E_SYNTAX 14605u          /* text does not load as a document */
#define GEN__QTXMLIF_E_NO_SUCH_ID 14606u      /* no document under that ID */
#define GEN__QTXMLIF_E_SAVE_FAILED 14607u     /* target not writable or save failed */
#define GEN__QTXMLIF_END_OF_DOCUMENT 14608u   /* a walk has no further entity */

/* A flag passed by value: any non-zero byte means true. Hosts see a bool; the
 * library reads the same byte as an unsigned char, because a host whose bool is
 * a plain byte may pass 2 or 255, and a C++ bool holding such a byte may be
 * taken for 0 or 1 before it is ever tested. Both travel as one byte in a
 * register on every platform we build for. */
#if defined(RURUROR_BUILD)
#define RURUROR_FLAG unsigned char
#else
#define RURUROR_FLAG bool
#endif

/* Entity types reported by gen__qtxmlif_get_next_entity (-1: none). */
#define XML_ETYPE_ELEMENT 1
#define XML_ETYPE_ATTR 2
#define XML_ETYPE_TEXT 3

/* ---- Loading ---------------------------------------------------------------
 * The new document's ID goes to `doc_id` (-1 on failure). A DOM load becomes the
 * working document; an incremental load leaves the working document alone.
 * Only regular files are read: a directory, FIFO or device path answers
 * GEN__QTXMLIF_E_OPEN_FAILED at once instead of blocking. UTF-16 files (with a
 * byte-order mark) load like their UTF-8 twins. */
RURUROR_API uint32_t gen__qtxmlif_load(const char *file_path, int *doc_id);
RURUROR_API uint32_t gen__qtxmlif_load_incremental(const char *file_path, int *doc_id);
/* `buff` is copied up to its NUL; the caller keeps it. */
RURUROR_API uint32_t gen__qtxmlif_load_buff(const char *buff, int *doc_id, RURUROR_FLAG no_case);
RURUROR_API uint32_t gen__qtxmlif_load_buff_incremental(const char *buff, int *doc_id, RURUROR_FLAG no_case);

/* ---- Creation, selection, saving and removal ------------------------------
 * A null root name gives a document element named "root". The new document
 * becomes the working document. */
RURUROR_API uint32_t gen__qtxmlif_add_document(int *doc_id, const char *root_name);
RURUROR_API uint32_t gen__qtxmlif_add_document_incremental(int *doc_id, const char *root_name);
RURUROR_API uint32_t gen__qtxmlif_add_document_to_encrypt(int *doc_id, const char *root_name);
RURUROR_API uint32_t gen__qtxmlif_set_working_document(int doc_id);
RURUROR_API uint32_t gen__qtxmlif_del_document(int doc_id);
RURUROR_API bool gen__qtxmlif_document_exist(int doc_id);
/* The document stays registered. A FIFO without a reader is refused
 * (GEN__QTXMLIF_E_SAVE_FAILED) instead of blocking. */
RURUROR_API uint32_t gen__qtxmlif_save(int doc_id, const char *file_path);
/* `*buf_p` points into a buffer the library keeps: do not free it. It stays valid
 * until the next call of this function (deleting the document does not end it).
 * On a document that is not a buffer writer the call returns
 * GEN__QTXMLIF_E_FAILED, leaves `*buf_p` null and `*buf_len_p` 0, and logs the
 * refusal as an "INTERNAL" report with its text (a wrong document kind is a
 * broken contract, reported like every other). */
RURUROR_API uint32_t gen__qtxmlif_get_buff_to_encrypt(int doc_id, char **buf_p, int *buf_len_p);
/* Writes the DOM document, indented by 2, into the caller's QString, which stays
 * the caller's. On a document that is not a DOM document: GEN__QTXMLIF_E_FAILED,
 * the string is left as it was, the refusal is logged as above. */
RURUROR_API uint32_t gen__qtxmlif_doc_to_string(int doc_id, gen__qtxmlif_qstring *qstring_ptr);
/* Child nodes of every type under the handle's element (DOM documents only;
 * 0 for other kinds and for a null handle). */
RURUROR_API uint32_t gen__qtxmlif_top_level_nodes_count(int doc_id, void *entity, int *count);

/* ---- Building into the working document -----------------------------------
 * The working document is the one created, selected or read from last. An empty
 * required string is reported before a missing working document. open_node trims
 * the name and turns its inner blanks into underscores. */
RURUROR_API uint32_t gen__qtxmlif_open_node(const char *node_name);
RURUROR_API uint32_t gen__qtxmlif_close_node(void);
RURUROR_API uint32_t gen__qtxmlif_add_attr(const char *attr_name, const char *attr_val);
RURUROR_API uint32_t gen__qtxmlif_add_text(const char *text_val);
RURUROR_API uint32_t gen__qtxmlif_open_level(void);
RURUROR_API uint32_t gen__qtxmlif_close_level(void);

/* ---- Traversal and queries -------------------------------------------------
 * Strings returned through `char**` are the caller's (gen__mem_free), also on
 * GEN__QTXMLIF_END_OF_DOCUMENT. Handles returned through `void**` are the
 * caller's (gen__qtxmlif_delete_node), except a DOM document's start handle.
 * A handle the caller gives no place for (a null `void**`) is released at once.
 * Handle values up to 1000 count as no handle. */
RURUROR_API uint32_t gen__qtxmlif_begin_traversion(int doc_id, const char *node_name, void **start_node);
RURUROR_API uint32_t gen__qtxmlif_get_next_entity(int doc_id, int *entity_type, char **name, char **value,
                                                  int *depth, bool *is_end_element);
/* As above; the entity handle, if wanted, becomes the caller's. */
RURUROR_API uint32_t gen__qtxmlif_get_next_entity_2(int doc_id, int *entity_type, char **name, char **value,
                                                    int *depth, bool *is_end_element, void **entity);
RURUROR_API uint32_t gen__qtxmlif_end_traversion(int doc_id);
/* `*child` holds the previous child on entry (released here) and the next on return. */
RURUROR_API uint32_t gen__qtxmlif_get_next_child_node(int doc_id, void *parent, char **name, void **child);
RURUROR_API uint32_t gen__qtxmlif_get_next_child_node_2(int doc_id, void *parent, char **name, int *depth,
                                                        void **child);
/* DOM documents only. On another kind the refusal is logged as an "INTERNAL"
 * report with its text and the call returns GEN__QTXMLIF_E_FAILED with `*child`
 * null and `*depth` -1. An empty `child_name` returns GEN__QTXMLIF_OK at once. */
RURUROR_API uint32_t gen__qtxmlif_get_named_child_node(int doc_id, void *parent, const char *child_name,
                                                       void **child, int *depth);
/* When `*closed` comes back true the handle has been released by the library. */
RURUROR_API uint32_t gen__qtxmlif_close_existing_node(int doc_id, void *node_ptr, int depth, int *new_depth,
                                                      bool *closed);
RURUROR_API void gen__qtxmlif_delete_node(void **node);
RURUROR_API uint32_t gen__qtxmlif_get_named_attribute(int doc_id, void *node_ptr, const char *attr_name,
                                                      char **attr_value, bool *found);
RURUROR_API uint32_t gen__qtxmlif_get_named_attribute_nocase(int doc_id, void *node_ptr, const char *attr_name,
                                                             char **attr_value, bool *found);
RURUROR_API uint32_t gen__qtxmlif_get_named_attribute1(int doc_id, void *node_ptr, const char *attr_name,
                                                       RURUROR_FLAG no_case, char **attr_value, bool *found);
RURUROR_API uint32_t gen__qtxmlif_get_attribute_count(int doc_id, void *node_ptr, int *count);
/* `*text` is null for an empty text. `text` is required like `node_ptr`: a null
 * or implausible one gets the report "((ullong)(text) > 1000)" and
 * GEN__QTXMLIF_E_FAILED. */
RURUROR_API uint32_t gen__qtxmlif_get_node_text(int doc_id, void *node_ptr, char **text);
RURUROR_API uint32_t gen__qtxmlif_get_line_number(int doc_id, int *lineNumber);
/* Low 32 bits of an incremental reader's character offset; 0 for other kinds. */
RURUROR_API uint32_t gen__qtxmlif_characters_offset(int doc_id, int *offset);
RURUROR_API uint32_t gen__qtxmlif_set_node_tranversion_complete(void *node_ptr);

#ifdef __cplusplus
}
#endif

#endif
