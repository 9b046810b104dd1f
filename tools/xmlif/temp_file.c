#define _POSIX_C_SOURCE 200809L
#include "temp_file.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>

const char *temp_directory(void)
{
    const char *directory = getenv("TMPDIR");
    return directory && *directory ? directory : "/tmp";
}

int temp_file_create(char *path, size_t size)
{
    if ((size_t)snprintf(path, size, "%s/xmlif-XXXXXX", temp_directory()) >= size) {
        errno = ENAMETOOLONG;
        return -1;
    }
    return mkstemp(path);
}
