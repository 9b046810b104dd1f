// Quiet versions of the five support functions: the library's reports would
// flood the fuzzer's output, and string copies go through plain malloc/free so
// that LeakSanitizer sees every string a target forgets to release.
#include "fuzz_support.h"

#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <unistd.h>

extern "C" {

void gen__log_write(const char*, const char*, ...) {}

void gen__err_sound(void) {}

void gen__log_status_check(const char*, int) {}

char* gen__str_dup_fn(const char* text, const char*, int)
{
    return text ? strdup(text) : nullptr;
}

void gen__mem_free(void* pointer, int, const char*, int)
{
    free(pointer);
}

} // extern "C"

namespace fuzz {
namespace {

// Building a DOM document without a current element writes a Qt debug message
// on every refused call.
void dropQtMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

struct ScratchDirectory {
    std::string path;
    std::map<std::string, std::string> files;

    ScratchDirectory()
    {
        const char* base = getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/rururoro-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data()))
            fail("cannot create a scratch directory", 0);
        path = pattern;
    }
    ~ScratchDirectory()
    {
        for (const auto& file : files)
            unlink(file.second.c_str());
        rmdir(path.c_str());
    }
};

ScratchDirectory& scratch()
{
    static ScratchDirectory directory;
    return directory;
}

} // namespace

void fail(const char* what, uint32_t code)
{
    fprintf(stderr, "fuzz check failed: %s (status %u)\n", what, code);
    abort();
}

const std::string& scratchPath(const char* fileName)
{
    auto& directory = scratch();
    auto found = directory.files.find(fileName);
    if (found == directory.files.end())
        found = directory.files.emplace(fileName, directory.path + "/" + fileName).first;
    return found->second;
}

std::string take(char*& text)
{
    std::string copy = text ? text : "";
    gen__mem_free(text, 1, __FILE__, __LINE__);
    text = nullptr;
    return copy;
}

void requireNoDocuments()
{
    // IDs count the live documents, so a leftover one holds a small ID.
    for (int id = 1; id <= 16; ++id)
        require(!gen__qtxmlif_document_exist(id), "a document outlived its input");
}

} // namespace fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qInstallMessageHandler(fuzz::dropQtMessage);
    return 0;
}
