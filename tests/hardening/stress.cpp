// Documents of all four kinds created, built, saved, loaded, walked and deleted
// cycle after cycle; nothing may pile up: resident memory between the first
// tenth of the run and its end, temporary files, document IDs, strings not
// released.
//
// Usage: hardening_stress CYCLES
#include "hostile.h"

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr long allowedGrowthKib = 2 * 1024;
// Over fewer cycles the first tenth is still warming up.
constexpr long cyclesToJudgeMemory = 1000;
#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer keeps freed memory in quarantine: resident memory grows by design.
constexpr bool memoryIsMeaningful = false;
#else
constexpr bool memoryIsMeaningful = true;
#endif

int failures = 0;
int highestId = 0;

void check(uint32_t status, const char* call)
{
    if (status != GEN__QTXMLIF_OK && failures++ < 10)
        std::fprintf(stderr, "%s: status %u\n", call, status);
}
#define CHECK(call) check(call, #call)

// The ID a creating or loading call gave, read once the call has set it.
int track(uint32_t status, const int& id)
{
    check(status, "create or load");
    highestId = std::max(highestId, id);
    return id;
}

int create(uint32_t (*add)(int*, const char*))
{
    int id = -1;
    track(add(&id, "stress"), id);
    CHECK(gen__qtxmlif_open_node("item"));
    CHECK(gen__qtxmlif_add_attr("n", "1"));
    CHECK(gen__qtxmlif_add_text("some text"));
    CHECK(gen__qtxmlif_open_node("sub"));
    CHECK(gen__qtxmlif_close_node());
    CHECK(gen__qtxmlif_close_node());
    return id;
}

// A stream reader's start handle is the caller's to release; a DOM document
// keeps its own.
void walkAndDelete(int id, bool stream)
{
    void* start = nullptr;
    CHECK(gen__qtxmlif_begin_traversion(id, nullptr, stream ? &start : nullptr));
    while (hostile::nextEntity(id).status == GEN__QTXMLIF_OK) {
    }
    if (stream)
        gen__qtxmlif_delete_node(&start);
    else
        CHECK(gen__qtxmlif_end_traversion(id));
    CHECK(gen__qtxmlif_del_document(id));
}

// A DOM document saved and loaded again; a file writer read back by a stream
// reader; a buffer writer whose bytes both buffer loaders load.
void cycle(const char* path)
{
    int id = -1;
    for (bool stream : {false, true}) {
        id = create(stream ? gen__qtxmlif_add_document_incremental : gen__qtxmlif_add_document);
        CHECK(gen__qtxmlif_save(id, path));
        CHECK(gen__qtxmlif_del_document(id));
        walkAndDelete(track((stream ? gen__qtxmlif_load_incremental : gen__qtxmlif_load)(path, &id), id), stream);
    }
    id = create(gen__qtxmlif_add_document_to_encrypt);
    CHECK(gen__qtxmlif_close_node());
    char* bytes = nullptr;
    int length = 0;
    CHECK(gen__qtxmlif_get_buff_to_encrypt(id, &bytes, &length));
    const QByteArray text(bytes, length);
    CHECK(gen__qtxmlif_del_document(id));
    walkAndDelete(track(gen__qtxmlif_load_buff(text.constData(), &id, false), id), false);
    walkAndDelete(track(gen__qtxmlif_load_buff_incremental(text.constData(), &id, false), id), true);
    // The reader's end-of-parse reports would otherwise pile up in the recorder.
    recorder_reset();
}

// Resident memory now and at its peak, in KiB.
std::pair<long, long> rssKib()
{
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return {resident * (sysconf(_SC_PAGESIZE) / 1024), usage.ru_maxrss};
}

} // namespace

int main(int argc, char** argv)
{
    const long cycles = std::max(10L, argc > 1 ? std::atol(argv[1]) : 10000);
    QTemporaryDir work;
    // Temporary files go to a directory of our own, where a leftover shows.
    const QString temp = work.filePath(QStringLiteral("tmp"));
    QDir().mkdir(temp);
    setenv("TMPDIR", QFile::encodeName(temp).constData(), 1);
    const QByteArray path = QFile::encodeName(work.filePath(QStringLiteral("out.xml")));

    std::pair<long, long> baseline;
    int leftovers = 0;
    for (long done = 1; done <= cycles; ++done) {
        cycle(path.constData());
        if (done == cycles / 10)
            baseline = rssKib();
        if (done % 1000 == 0 || done == cycles)
            leftovers = std::max(leftovers, int(QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                                                    .size()));
    }
    const long growth = rssKib().first - baseline.first, peakGrowth = rssKib().second - baseline.second;
    const long outstanding = recorder_strings_outstanding();
    std::printf("cycles %ld; resident KiB growth after cycle %ld: %ld, peak growth %ld; highest document ID %d; "
                "temporary files left %d; strings not released %ld; failed calls %d\n",
                cycles, cycles / 10, growth, peakGrowth, highestId, leftovers, outstanding, failures);

    // At most one document is alive at a time, so IDs stay at the bottom.
    bool fine = failures == 0 && leftovers == 0 && outstanding == 0 && highestId <= 2;
    if (memoryIsMeaningful && cycles >= cyclesToJudgeMemory)
        fine = fine && growth < allowedGrowthKib && peakGrowth < allowedGrowthKib;
    else
        std::printf("memory growth not judged: %s\n", memoryIsMeaningful ? "too few cycles" : "AddressSanitizer build");
    return fine ? 0 : 1;
}
