/* A legacy host that declares the flags of the C interface as a plain byte (no
 * shared header), so it can pass any non-zero value for true. */
#include <stdbool.h>
#include <stdint.h>

uint32_t gen__qtxmlif_load_buff(const char *buff, int *doc_id, unsigned char no_case);
uint32_t gen__qtxmlif_load_buff_incremental(const char *buff, int *doc_id, unsigned char no_case);
uint32_t gen__qtxmlif_get_named_attribute1(int doc_id, void *node_ptr, const char *attr_name, unsigned char no_case,
                                           char **attr_value, bool *found);

uint32_t load_buff_with_char_flag(const char *buff, int *doc_id, unsigned char flag)
{
    return gen__qtxmlif_load_buff(buff, doc_id, flag);
}

uint32_t load_buff_incremental_with_char_flag(const char *buff, int *doc_id, unsigned char flag)
{
    return gen__qtxmlif_load_buff_incremental(buff, doc_id, flag);
}

uint32_t get_named_attribute1_with_char_flag(int doc_id, void *node_ptr, const char *attr_name, unsigned char flag,
                                             char **attr_value, bool *found)
{
    return gen__qtxmlif_get_named_attribute1(doc_id, node_ptr, attr_name, flag, attr_value, found);
}
