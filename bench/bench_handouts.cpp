#include "bench_handouts.h"

#include "gen_qtxmlif.h"
#include "ruziradavod.h"

#include <cstdlib>
#include <cstring>

long releaseEntities(int doc)
{
    long strings = 0;
    for (;;) {
        int type = 0, depth = 0;
        char *name = nullptr, *value = nullptr;
        bool isEnd = false;
        const uint32_t status = gen__qtxmlif_get_next_entity(doc, &type, &name, &value, &depth, &isEnd);
        strings += (name != nullptr) + (value != nullptr);
        gen__mem_free(name, 1, __FILE__, __LINE__);
        gen__mem_free(value, 1, __FILE__, __LINE__);
        if (status != GEN__QTXMLIF_OK)
            return strings;
    }
}

namespace {

// Written through volatile, so that the compiler keeps each copy it could prove unused.
char* volatile lastCopy = nullptr;

} // namespace

long handOut(const QByteArray& name, const QByteArray& value)
{
    for (const QByteArray* text : {&name, &value}) {
        lastCopy = strdup(text->constData());
        std::free(lastCopy);
    }
    return 2;
}
