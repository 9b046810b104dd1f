/* Message key numbers: every runtime failure the C interface logs has a number
 * of its own, and xmlif reads the numbers back from the log to explain a
 * failure. Internal: shared by the library and the tools, never installed.
 *
 * Plain C (xmlif is C99). Each name is a macro for the number's literal, so the
 * logged key text is spelled from the same name at compile time. */
#ifndef RURURORO_MESSAGE_KEYS_H
#define RURURORO_MESSAGE_KEYS_H

/* Loading a file; the path comes first among the values. */
#define RURUROR_KEY_FILE_NOT_FOUND 64
#define RURUROR_KEY_FILE_NOT_OPENED 71
#define RURUROR_KEY_SYNTAX_ERROR 82

/* Saving; the last two name the path first. */
#define RURUROR_KEY_SAVE_ID_NOT_FOUND 183
#define RURUROR_KEY_SAVE_FILE_NOT_OPENED 188
#define RURUROR_KEY_SAVE_FAILED 194

/* "XML document ID %d not found", one number per function. */
#define RURUROR_KEY_BUFFER_ID_NOT_FOUND 219
#define RURUROR_KEY_BEGIN_TRAVERSION_ID_NOT_FOUND 450
#define RURUROR_KEY_NEXT_ENTITY_ID_NOT_FOUND 509
#define RURUROR_KEY_END_TRAVERSION_ID_NOT_FOUND 577
#define RURUROR_KEY_NEXT_CHILD_ID_NOT_FOUND 668
#define RURUROR_KEY_CLOSE_NODE_ID_NOT_FOUND 704
#define RURUROR_KEY_NAMED_CHILD_ID_NOT_FOUND 731
#define RURUROR_KEY_NAMED_ATTRIBUTE_ID_NOT_FOUND 800
#define RURUROR_KEY_ATTRIBUTE_COUNT_ID_NOT_FOUND 828
#define RURUROR_KEY_NODE_TEXT_ID_NOT_FOUND 848
#define RURUROR_KEY_LINE_NUMBER_ID_NOT_FOUND 872
#define RURUROR_KEY_DOC_TO_STRING_ID_NOT_FOUND 891
#define RURUROR_KEY_TOP_LEVEL_COUNT_ID_NOT_FOUND 913
#define RURUROR_KEY_CHARACTERS_OFFSET_ID_NOT_FOUND 934

#endif
