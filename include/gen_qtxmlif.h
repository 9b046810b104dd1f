/* C interface of librururoro: read, walk, build and write XML documents.
 *
 * Documents. Every open document has an ID (1 or more; -1 stands for none) and is
 * of one of four kinds, fixed when it is made:
 *   DOM document   gen__qtxmlif_load, gen__qtxmlif_load_buff, gen__qtxmlif_add_document:
 *                  the whole tree in memory; walked, extended, saved.
 *   stream reader  gen__qtxmlif_load_incremental, gen__qtxmlif_load_buff_incremental:
 *                  reads its input forward, one token at a time, never back.
 *   file writer    gen__qtxmlif_add_document_incremental: writes what is built at
 *                  once, through a temporary file, to the path gen__qtxmlif_save names.
 *   buffer writer  gen__qtxmlif_add_document_to_encrypt: writes what is built at once
 *                  into memory, for gen__qtxmlif_get_buff_to_encrypt.
 * An ID names its document from creation to deletion; a later document may get it
 * again.
 *
 * Threads. Nothing is synchronised: the documents, the working document and the
 * bytes of gen__qtxmlif_get_buff_to_encrypt are process-wide. Call the library from
 * one thread at a time.
 *
 * Status codes. Every function returns one of the codes below, except
 * gen__qtxmlif_document_exist (bool) and gen__qtxmlif_delete_node (void).
 *
 * Strings. Names, values and texts travel both ways in Qt's local 8-bit encoding
 * (UTF-8 with Qt 5.15 or Qt 6 on Debian 12, whatever the host's locale); file paths are
 * given to the system byte for byte (UTF-8 by convention, any other bytes name their own
 * file, a leading U+FEFF included). A buffer given to a buffer loader is XML text in the encoding it declares,
 * not a local 8-bit string. A string argument is empty when it is
 * NULL or its first byte is NUL. Every string handed back through a `char **` is a
 * new copy (gen__str_dup_fn) that the caller releases with
 * gen__mem_free(text, 1, __FILE__, __LINE__), see ruziradavod.h.
 *
 * Pointer arguments, handles included, are used only when their value, read as an
 * unsigned 64-bit number, is above 1000: 0 to 1000 count as absent and are neither
 * read nor written. An optional out-argument that is present receives a neutral
 * value (NULL, 0, -1, false) before the document is looked up, and the result only
 * on success. An absent required pointer is a broken contract.
 *
 * Reports go through the support functions of ruziradavod.h. A broken contract
 * writes gen__log_write("INTERNAL", "(%s) at %s %d\n", condition, file, line), then
 * calls gen__err_sound() once, and returns the code given with the function. Other
 * failures write level "ERROR" with a message key as the format:
 * "@$@#gen_qtxmlif@$@#GENERAL@$@#<number>@$@#<default text>". "Unknown ID: key N"
 * below means key N with the text "XML document ID %d not found", then the code
 * GEN__QTXMLIF_E_NO_SUCH_ID with out-arguments as preset. The four loaders call
 * gen__log_status_check once before returning a failure. A stream reader writes
 * "NONE" when it reads the end of its document and "WARNING" with the parser's
 * reason, line, column and offset when its input turns out not to be well-formed.
 * Nothing thrown inside the library reaches the caller: an unexpected fault is an
 * "INTERNAL" report and GEN__QTXMLIF_E_FAILED.
 *
 * Node handles (void *) stand for a node of one document; pass each only with that
 * document's ID. Three kinds, with different owners:
 *   start handle   from gen__qtxmlif_begin_traversion. A DOM document's belongs to
 *                  the document, which releases it at gen__qtxmlif_end_traversion or
 *                  deletion: never pass it to gen__qtxmlif_delete_node. A stream
 *                  reader's is the caller's.
 *   entity handle  from gen__qtxmlif_get_next_entity_2: the caller's.
 *   child handle   from the child functions: the caller's, held in a variable whose
 *                  address those functions take and release before storing the next.
 * The caller releases its handles with gen__qtxmlif_delete_node, or hands them to
 * gen__qtxmlif_close_existing_node; releasing them after their document was deleted
 * is fine.
 *
 * The working document is the one the building functions act on (they take no ID):
 * the one created last, loaded last as a DOM document, chosen with
 * gen__qtxmlif_set_working_document, or last read by a walk or query (any
 * traversal call that reaches a DOM document or stream reader, except
 * gen__qtxmlif_characters_offset and gen__qtxmlif_top_level_nodes_count). After any
 * deletion there is none.
 *
 * Depths. A DOM walk puts the document element at depth 0, a stream walk at depth 2
 * (the start of the document counts as a level); one more per level below.
 * Attributes and texts carry the depth of their element. */
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

/* Status codes (14602 is never returned). */
#define GEN__QTXMLIF_OK 0u
#define GEN__QTXMLIF_E_FAILED 14601u          /* broken contract, or the document refused */
#define GEN__QTXMLIF_E_NO_DOCUMENT 14603u     /* no such file, no working document, nothing deleted */
#define GEN__QTXMLIF_E_OPEN_FAILED 14604u     /* the path names something that cannot be read */
#define GEN__QTXMLIF_E_SYNTAX 14605u          /* text does not load as a DOM document */
#define GEN__QTXMLIF_E_NO_SUCH_ID 14606u      /* no document under that ID */
#define GEN__QTXMLIF_E_SAVE_FAILED 14607u     /* target not writable, or writing failed */
#define GEN__QTXMLIF_END_OF_DOCUMENT 14608u   /* a walk has no further event: an end, not an error */

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

/* ---- Loading ----------------------------------------------------------------
 * `doc_id` (optional) gets -1 once the input is accepted, then the new document's ID
 * on success.
 * DOM loads parse the whole text now. Text made only of white space is dropped, and
 * so is the XML declaration. Input nested deeper than 256 elements, with more than
 * 1024 attributes on one tag, or whose entity references expand to far more text
 * than the input holds, is refused as GEN__QTXMLIF_E_SYNTAX. The new document
 * becomes the working document; after a failed DOM load there is none.
 * Incremental loads read nothing yet and succeed for any readable input: syntax
 * errors show during the walk. The working document stays as it was. The walk holds
 * the input to the same limits: it ends where a DOM load of the same bytes reports
 * its refusal, with a "WARNING" report that names the limit. */

/* Only regular files are read: a directory, FIFO or device answers
 * GEN__QTXMLIF_E_OPEN_FAILED at once instead of blocking. UTF-16 files (with a
 * byte-order mark) load like their UTF-8 twins. Failures, each naming the path as
 * given:
 *   empty path: "INTERNAL" report, GEN__QTXMLIF_E_NO_DOCUMENT, `doc_id` untouched;
 *   nothing at the path: key 64 "Unable to find document: %s", GEN__QTXMLIF_E_NO_DOCUMENT;
 *   not readable: key 71 "Unable to open document: %s", GEN__QTXMLIF_E_OPEN_FAILED;
 *   DOM parse fails: key 82 with the parser's line and column, GEN__QTXMLIF_E_SYNTAX. */
RURUROR_API uint32_t gen__qtxmlif_load(const char *file_path, int *doc_id);
RURUROR_API uint32_t gen__qtxmlif_load_incremental(const char *file_path, int *doc_id);
/* `buff` is copied up to its NUL; the caller keeps it. An empty buffer:
 * GEN__QTXMLIF_E_FAILED, no report, `doc_id` untouched. A DOM parse failure:
 * GEN__QTXMLIF_E_SYNTAX, no message. `no_case` matters to a stream reader only:
 * non-zero lets gen__qtxmlif_begin_traversion match the start name in any letter
 * case and end tags only in exact case; zero, like every file load, the reverse. */
RURUROR_API uint32_t gen__qtxmlif_load_buff(const char *buff, int *doc_id, RURUROR_FLAG no_case);
RURUROR_API uint32_t gen__qtxmlif_load_buff_incremental(const char *buff, int *doc_id, RURUROR_FLAG no_case);

/* ---- Creation, selection, saving and removal ---------------------------------
 * The three add_document functions make a document holding only its document
 * element `root_name` (NULL or empty: "root"), make it the working document, and
 * give its ID through `doc_id` (optional, written only on success). Failure: an
 * "INTERNAL" report, GEN__QTXMLIF_E_FAILED. */
/* A DOM document. */
RURUROR_API uint32_t gen__qtxmlif_add_document(int *doc_id, const char *root_name);
/* A file writer: its text goes to a temporary file in the system's temporary
 * directory until gen__qtxmlif_save; deleted unsaved, it leaves no file behind. */
RURUROR_API uint32_t gen__qtxmlif_add_document_incremental(int *doc_id, const char *root_name);
/* A buffer writer: its text stays in memory. */
RURUROR_API uint32_t gen__qtxmlif_add_document_to_encrypt(int *doc_id, const char *root_name);
/* Makes `doc_id` the working document. Unknown ID: "INTERNAL" report,
 * GEN__QTXMLIF_E_FAILED, the working document unchanged. */
RURUROR_API uint32_t gen__qtxmlif_set_working_document(int doc_id);
/* Destroys the document with what it owns (a DOM document's start handles, a stream
 * reader's input, a file writer's temporary file); afterwards there is no working
 * document, whichever it was. Handles the caller holds still need
 * gen__qtxmlif_delete_node, and nothing else. -1: GEN__QTXMLIF_OK, nothing done.
 * Unknown ID: "INTERNAL" report, GEN__QTXMLIF_E_NO_DOCUMENT. */
RURUROR_API uint32_t gen__qtxmlif_del_document(int doc_id);
/* Whether a document has this ID. A negative ID: "INTERNAL" report, false. */
RURUROR_API bool gen__qtxmlif_document_exist(int doc_id);
/* Writes the document to `file_path`. The document stays registered and
 * the working document unchanged. Links are followed; a device, FIFO or socket is
 * written through (a FIFO without a reader is refused instead of blocking); a
 * regular file is replaced only by complete new content, so a failed save leaves
 * an existing file as it was and creates none. What is written:
 *   DOM document: "<?xml version='1.0' encoding='UTF-8'?>\n", then the tree in
 *     UTF-8 indented by 4 spaces, attributes in the order a DOM walk reports them;
 *     characters XML cannot hold become U+FFFD.
 *   file writer: closes what is open, the document element last, then its text
 *     (UTF-8, own declaration, one tab per level). A second save writes the same
 *     text again; later ones fail.
 *   buffer writer: ends its document in memory (see
 *     gen__qtxmlif_get_buff_to_encrypt) and leaves an empty file; a third save fails.
 *   stream reader: nothing; the save fails.
 * Unknown ID: key 183, the path untouched. The target cannot be opened (an empty
 * path included): key 188 "Unable to open file for saving : %s". Writing fails:
 * key 194 "error saving XML document: %s". Both: GEN__QTXMLIF_E_SAVE_FAILED. */
RURUROR_API uint32_t gen__qtxmlif_save(int doc_id, const char *file_path);
/* The text a buffer writer has produced so far: `*buf_p` points to its bytes,
 * followed by a NUL, and `*buf_len_p` counts them. Both pointers are required
 * ("INTERNAL" report, GEN__QTXMLIF_E_FAILED); they get NULL and 0 first. The bytes
 * live in a buffer the library keeps: do not free them. They stay valid until this
 * function is called again, for any document; deleting the document does not end
 * them. Nothing is closed here: the text is a whole document once
 * gen__qtxmlif_close_node has closed the document element or gen__qtxmlif_save has
 * run; right after gen__qtxmlif_open_node it ends inside the open start tag. On
 * another kind of document: an "INTERNAL" report with the refusal's text,
 * GEN__QTXMLIF_E_FAILED, NULL and 0. Unknown ID: key 219. */
RURUROR_API uint32_t gen__qtxmlif_get_buff_to_encrypt(int doc_id, char **buf_p, int *buf_len_p);
/* For C++ hosts: assigns the DOM document's text, indented by 2 spaces and without
 * an XML declaration, to the caller's QString, which stays the caller's.
 * `qstring_ptr` is required ("INTERNAL" report, GEN__QTXMLIF_E_FAILED). On another
 * kind of document: an "INTERNAL" report with the refusal's text,
 * GEN__QTXMLIF_E_FAILED, the string left as it was. Unknown ID: key 891. */
RURUROR_API uint32_t gen__qtxmlif_doc_to_string(int doc_id, gen__qtxmlif_qstring *qstring_ptr);
/* `count` (optional, preset 0) gets the number of child nodes of every type (text,
 * comments and processing instructions too) of the handle's element in a DOM
 * document; 0 for other kinds and for an absent handle. Leaves the working document
 * as it is. Unknown ID: key 913. */
RURUROR_API uint32_t gen__qtxmlif_top_level_nodes_count(int doc_id, void *entity, int *count);

/* ---- Building into the working document -------------------------------------
 * Each function checks, in this order: its string (empty: an "INTERNAL" report naming
 * it, GEN__QTXMLIF_E_FAILED); the working document (none: "INTERNAL" report
 * "xmlManager.documentExist( doc_id )", GEN__QTXMLIF_E_NO_DOCUMENT); the document's
 * answer (refused: "INTERNAL" report "result == true", GEN__QTXMLIF_E_FAILED).
 * Nothing is undone after a refusal. A stream reader refuses every call. Names are
 * not checked against XML's rules.
 * DOM document: content goes into the current element, the document element at
 * first. After a DOM load, call gen__qtxmlif_open_level once before building: until
 * then content goes to an element outside the document and is lost, though every
 * call succeeds. Once a walk has begun on a DOM document, every building call on it
 * is refused.
 * Writers write each call out at once, in call order. An attribute belongs right
 * after its element's gen__qtxmlif_open_node (the document element's: right after the
 * document was made), before any text or child; elsewhere it spoils the text. */

/* Appends a new element to the current one and makes it current. The name loses its
 * outer white space and each inner blank becomes an underscore ("  my node " gives
 * "my_node"); tabs and other white space inside stay. A DOM document refuses a name
 * of blanks only and elements nested more than 256 deep (the document element
 * counts). */
RURUROR_API uint32_t gen__qtxmlif_open_node(const char *node_name);
/* Closes the current element; the enclosing one is current again. A DOM document
 * refuses to close its document element. A writer closing the document element ends
 * its document: later calls still succeed, but a file writer writes nothing more and
 * a buffer writer writes after the end. A writer with nothing open refuses. */
RURUROR_API uint32_t gen__qtxmlif_close_node(void);
/* Sets an attribute of the current element; a DOM element that has one of that name
 * gets the new value and keeps its place, a new one comes after those it has.
 * `attr_val` NULL or empty gives an empty value. */
RURUROR_API uint32_t gen__qtxmlif_add_attr(const char *attr_name, const char *attr_val);
/* Appends text to the current element; markup characters are escaped on output. */
RURUROR_API uint32_t gen__qtxmlif_add_text(const char *text_val);
/* DOM documents only, writers refuse it: makes the element created last current
 * again (the one the latest gen__qtxmlif_open_node made, or the document element of a
 * document just made or loaded); nothing changes when it is current already. */
RURUROR_API uint32_t gen__qtxmlif_open_level(void);
/* The same as gen__qtxmlif_close_node. */
RURUROR_API uint32_t gen__qtxmlif_close_level(void);

/* ---- Walking ------------------------------------------------------------------
 * A walk: gen__qtxmlif_begin_traversion, then gen__qtxmlif_get_next_entity until it
 * returns a non-zero code (GEN__QTXMLIF_END_OF_DOCUMENT at the end), then
 * gen__qtxmlif_end_traversion. A writer has nothing to walk: it gives no start
 * handle, no event and no child, and its queries find nothing.
 *
 * Starts a walk and hands its start handle to `start_node` (optional, preset NULL).
 * `node_name` NULL or empty: the walk starts at the document element; otherwise at
 * the first element of that name in document order.
 *   DOM document: qualified names, exact case. The search ends, like a walk, at the
 *     first comment, processing instruction or entity reference. A walk from a named
 *     element begins inside it (with its first attribute, text or child, not its
 *     start) and goes on past its end to the end of the document element. Each call
 *     starts afresh; the start handle is the document's. A walk ends building into
 *     the document for good.
 *   stream reader: local names, at any depth, in exact case after a file load and
 *     as `no_case` says after a buffer load. The first gen__qtxmlif_get_next_entity
 *     reports the start element itself. A reader is walked once. The start handle is
 *     the caller's (released at once when `start_node` is absent).
 * No such element (a stream reader has then read all its input), a second stream
 * walk, a writer: GEN__QTXMLIF_E_FAILED without a report. Unknown ID: key 450. */
RURUROR_API uint32_t gen__qtxmlif_begin_traversion(int doc_id, const char *node_name, void **start_node);
/* Reports the next event. Present arguments are preset (type -1, strings NULL,
 * depth -1, flag false) before the ID is checked; for a known ID every call then
 * writes all of them, and `name` and `value` are new strings (empty, never NULL)
 * that the caller releases, also when the code is GEN__QTXMLIF_END_OF_DOCUMENT.
 *   XML_ETYPE_ELEMENT  `name` holds the element name; the event is its start, or
 *                      its end when `*is_end_element` is true.
 *   XML_ETYPE_ATTR     `name` and `value` hold an attribute of the last started element.
 *   XML_ETYPE_TEXT     `name` holds the text; `value` is empty.
 *   -1                 no event.
 * DOM walk: an element's start, its attributes (as they stand in the file, then
 *   those added by gen__qtxmlif_add_attr in the order added, then any others sorted
 *   by name: the same in every process), its texts (CDATA included) and child
 *   elements in document order, its end. The call that reports the end of the
 *   document element returns GEN__QTXMLIF_END_OF_DOCUMENT with that event (type 1,
 *   depth 0, end true); later calls return it with type -1. A comment, processing instruction or entity
 *   reference inside the document element ends the walk early: the code
 *   GEN__QTXMLIF_END_OF_DOCUMENT with type 1, the enclosing element's name, depth -1
 *   and end false, which is not an event.
 * Stream walk: an element's start, its attributes (document order), then every run
 *   of character data (white space between tags and CDATA included) and its child
 *   elements; local names; comments, processing instructions and DTDs are passed
 *   over. Only the end of the element reported last is reported, as
 *   GEN__QTXMLIF_END_OF_DOCUMENT with type -1, an empty name, end true and that
 *   element's depth; the next call ends the walk (end true once more, then false).
 *   To go on after an element's end, get the next child of its parent with
 *   gen__qtxmlif_get_next_child_node: the following call reports that child. The end
 *   of the input and a syntax error also end the walk with end true, and the reader
 *   logs "NONE" or "WARNING".
 * Unknown ID: key 509. */
RURUROR_API uint32_t gen__qtxmlif_get_next_entity(int doc_id, int *entity_type, char **name, char **value,
                                                  int *depth, bool *is_end_element);
/* As above, and `entity` (optional, preset NULL) gets a handle for the event, the
 * caller's also with GEN__QTXMLIF_END_OF_DOCUMENT; without `entity` it is released
 * inside. DOM walk: the element the walk is in after the event (the element itself
 * for its start, attributes and texts; the enclosing one after an end), NULL with
 * the end of the document element; a child list of such a handle starts at the
 * walk's place.
 * Stream walk: a handle on the element at its start; attribute events get one named
 * after their element, text events one with an empty name; NULL at an end. */
RURUROR_API uint32_t gen__qtxmlif_get_next_entity_2(int doc_id, int *entity_type, char **name, char **value,
                                                    int *depth, bool *is_end_element, void **entity);
/* DOM document: releases the start handles of the walks begun since the last call;
 * handles the caller holds stay the caller's. Stream reader: closes its input, so
 * every later walk call answers the end; its start handle stays the caller's.
 * Writers: nothing. Unknown ID: key 577. */
RURUROR_API uint32_t gen__qtxmlif_end_traversion(int doc_id);

/* ---- Children of a node ----------------------------------------------------------
 * `*child` holds the previous child on entry, released first (before anything else,
 * also for an unknown ID), and the next child on return: NULL, with code 0, after
 * the last. Start with a variable holding NULL; release the last handle with
 * gen__qtxmlif_delete_node when leaving early. `name` (optional, preset NULL) gets
 * the child's name as a new string, `depth` (optional, preset -1) its depth. An
 * absent `parent` has no children.
 * DOM document: the direct children of `parent` except texts: elements, comments
 *   (named "#comment") and processing instructions (named after their target). The
 *   parent handle keeps the place, so each handle lists its children once, and the
 *   walk does not move.
 * Stream reader: the next element start in the input, at any depth, up to an end tag
 *   named like `parent` (a nested element of that name ends it too); text is passed
 *   over. Skip a child with gen__qtxmlif_close_existing_node, or the next call gives
 *   its first child element. The reader stands on the child's start tag: its
 *   attributes can be asked for, and the next gen__qtxmlif_get_next_entity reports
 *   it. After gen__qtxmlif_get_node_text has read an element, the next call answers
 *   no child once when text (indentation too) follows that element; the call after
 *   it goes on. A syntax error ends the list like the parent's end, with the
 *   reader's "WARNING" report, or, when the error comes with the child found,
 *   GEN__QTXMLIF_E_NO_SUCH_ID without a message.
 * Unknown ID: key 668. */
RURUROR_API uint32_t gen__qtxmlif_get_next_child_node(int doc_id, void *parent, char **name, void **child);
RURUROR_API uint32_t gen__qtxmlif_get_next_child_node_2(int doc_id, void *parent, char **name, int *depth,
                                                        void **child);
/* DOM documents only. Releases what `*child` holds and presets `depth` (optional)
 * to -1; an empty `child_name` then returns GEN__QTXMLIF_OK at once, logging nothing,
 * whatever the ID. `*child` gets the first direct child of `parent` whose qualified
 * name is `child_name` in exact case, `depth` its depth; NULL and -1, with code 0,
 * when there is none or `parent` is absent. Mind the order: `child` before `depth`.
 * On another kind of document: an "INTERNAL" report with the refusal's text,
 * GEN__QTXMLIF_E_FAILED, `*child` NULL. Unknown ID: key 731. */
RURUROR_API uint32_t gen__qtxmlif_get_named_child_node(int doc_id, void *parent, const char *child_name,
                                                       void **child, int *depth);
/* Done with a handle. `*closed` (optional, preset false) true means the library has
 * released the handle: neither use nor release it again, and clear any variable
 * holding it before passing that variable to a child function. `new_depth`
 * (optional) is preset to -1.
 * DOM document: releases the handle, closed true (also for an absent one),
 *   `new_depth` = `depth`. A start handle is left to its document, closed true all
 *   the same.
 * Stream reader: `depth` must be the depth reported for the handle's element. Reads
 *   on through that element's end tag, releases the handle, closed true, `new_depth`
 *   = `depth` - 1; a following gen__qtxmlif_get_next_child_node goes on with the
 *   element's siblings. A handle marked by gen__qtxmlif_set_node_tranversion_complete
 *   is released without reading (`new_depth` = `depth`). Closed stays false, and the
 *   handle the caller's, for an absent handle, when the reader is already outside
 *   the element, before or after the walk, and when the input ends or fails first.
 * Writers: closed false, `new_depth` = `depth`. Unknown ID: key 704. */
RURUROR_API uint32_t gen__qtxmlif_close_existing_node(int doc_id, void *node_ptr, int depth, int *new_depth,
                                                      bool *closed);
/* Releases the caller's handle in `*node` and sets `*node` to NULL. Nothing happens
 * when `node` is absent or `*node` is NULL; a `*node` of 1 to 1000 is only cleared.
 * Never pass a DOM document's start handle here. No document, no report. */
RURUROR_API void gen__qtxmlif_delete_node(void **node);

/* ---- Queries ------------------------------------------------------------------------
 * On a stream reader the answers come from the reader's place, not from the handle,
 * which only has to be present: they concern an element while the reader stands on
 * its start tag, i.e. right after gen__qtxmlif_begin_traversion or
 * gen__qtxmlif_get_next_child_node gave it, and while gen__qtxmlif_get_next_entity
 * reports it and its attributes.
 *
 * Looks up an attribute of the handle's element. `node_ptr` is required ("INTERNAL"
 * report, GEN__QTXMLIF_E_FAILED, nothing written). `*found` (optional, preset false)
 * tells whether it is there, and `*attr_value` (optional, preset NULL) then gets its
 * value as a new string: a missing attribute is code 0 with found false. With
 * `no_case` non-zero, or the _nocase form, a name that differs only in letter case
 * matches too (a DOM element prefers the exact one). DOM names are qualified names,
 * the stream reader's local names. Unknown ID: key 800. */
RURUROR_API uint32_t gen__qtxmlif_get_named_attribute(int doc_id, void *node_ptr, const char *attr_name,
                                                      char **attr_value, bool *found);
RURUROR_API uint32_t gen__qtxmlif_get_named_attribute_nocase(int doc_id, void *node_ptr, const char *attr_name,
                                                             char **attr_value, bool *found);
RURUROR_API uint32_t gen__qtxmlif_get_named_attribute1(int doc_id, void *node_ptr, const char *attr_name,
                                                       RURUROR_FLAG no_case, char **attr_value, bool *found);
/* `*count` gets the number of attributes of the handle's element (0 on a stream
 * reader not on a start tag). Both pointers are required ("INTERNAL" report,
 * GEN__QTXMLIF_E_FAILED); `*count` is written only on success. Unknown ID: key 828. */
RURUROR_API uint32_t gen__qtxmlif_get_attribute_count(int doc_id, void *node_ptr, int *count);
/* `*text` gets the node's text as a new string, NULL when it is empty. `node_ptr`
 * and `text` are required ("INTERNAL" report, GEN__QTXMLIF_E_FAILED, nothing
 * written).
 * DOM document: an element gives all text inside it, its descendants' included; a
 *   comment gives its content, a processing instruction its data.
 * Stream reader: on an element's start tag, reads through that element's end tag and
 *   gives its text; mark the handle with gen__qtxmlif_set_node_tranversion_complete
 *   before closing it. A child element inside gives the text before it and ends the
 *   walk as a syntax error ("WARNING" at the next call that reads). Elsewhere NULL,
 *   and nothing is read.
 * Unknown ID: key 848, `*text` untouched. */
RURUROR_API uint32_t gen__qtxmlif_get_node_text(int doc_id, void *node_ptr, char **text);
/* `lineNumber` is required ("INTERNAL" report, GEN__QTXMLIF_E_FAILED) and written
 * only on success. DOM document: the source line of the element the walk is in
 * (after an end, the enclosing one); -1 before a walk, after it, and for built
 * elements. Stream reader: the line it has read up to, from 1. Writers: -1.
 * Unknown ID: key 872. */
RURUROR_API uint32_t gen__qtxmlif_get_line_number(int doc_id, int *lineNumber);
/* `*offset` (optional, preset 0): the number of characters a stream reader has read,
 * cut to its low 32 bits; 0 for other kinds. Leaves the working document as it is.
 * Unknown ID: key 934. */
RURUROR_API uint32_t gen__qtxmlif_characters_offset(int doc_id, int *offset);
/* Marks a stream reader's handle as read to its end (after gen__qtxmlif_get_node_text,
 * say), so that gen__qtxmlif_close_existing_node releases it without reading on. DOM
 * handles ignore the mark; an absent handle is passed over. Always GEN__QTXMLIF_OK,
 * with no document and no report. */
RURUROR_API uint32_t gen__qtxmlif_set_node_tranversion_complete(void *node_ptr);

#ifdef __cplusplus
}
#endif

#endif
