/* A legacy host that declares the loaders' flag as a plain byte (no shared
 * header), so it can pass any non-zero value for true. */
#include <stdint.h>

uint32_t gen__qtxmlif_load_buff_incremental(const char *buff, int *doc_id, unsigned char no_case);

uint32_t load_buff_incremental_with_char_flag(const char *buff, int *doc_id, unsigned char flag)
{
    return gen__qtxmlif_load_buff_incremental(buff, doc_id, flag);
}
