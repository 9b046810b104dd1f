#define _POSIX_C_SOURCE 200809L
#include "stdin_copy.h"

#include <errno.h>
#include <stdbool.h>
#include <string.h>
#include <unistd.h>

#include "diagnostics.h"
#include "exit_codes.h"
#include "temp_file.h"

static bool writeAll(int fd, const char *bytes, size_t length)
{
    while (length > 0) {
        ssize_t written = write(fd, bytes, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        length -= (size_t)written;
    }
    return true;
}

static int copyFailed(void)
{
    return diag_error(EXIT_UNREADABLE, "standard input cannot be copied to a temporary file in %s: %s",
                      temp_directory(), strerror(errno));
}

/* Returns the exit status, with a message when it is not EXIT_OK. */
static int copyInto(int fd, stdin_copy *copy)
{
    char chunk[1 << 16];
    for (;;) {
        ssize_t got = read(STDIN_FILENO, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return diag_error(EXIT_UNREADABLE, "standard input cannot be read: %s", strerror(errno));
        if (got == 0)
            return EXIT_OK;
        if (!writeAll(fd, chunk, (size_t)got))
            return copyFailed();
        copy->size += got;
    }
}

int stdin_copy_make(stdin_copy *copy)
{
    copy->size = 0;
    int fd = temp_file_create(copy->path, sizeof copy->path);
    if (fd < 0)
        return copyFailed();
    int status = copyInto(fd, copy);
    if (close(fd) != 0 && status == EXIT_OK)
        status = copyFailed();
    if (status != EXIT_OK)
        stdin_copy_remove(copy);
    return status;
}

void stdin_copy_remove(stdin_copy *copy)
{
    unlink(copy->path);
}
