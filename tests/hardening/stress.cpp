// Creates, builds, saves, loads, walks and deletes documents of all four kinds,
// cycle after cycle, and checks that nothing piles up: resident memory between
// the first tenth of the run and its end, files in the temporary directory,
// document IDs, strings handed out and not released.
//
// Usage: hardening_stress CYCLES
#include "hostile.h"

#include "ruziradavod.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr long allowedGrowthKib = 2 * 1024;
// Over fewer cycles the first tenth is still warming up.
constexpr long cyclesToJudgeMemory = 1000;
// At most one document is alive at a time, so IDs stay at the bottom.
constexpr int highestExpectedId = 2;

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer keeps freed memory in quarantine: resident memory grows by design.
constexpr bool memoryIsMeaningful = false;
#else
constexpr bool memoryIsMeaningful = true;
#endif

class Cycle {
public:
    explicit Cycle(const QByteArray& destination) : path(destination) {}

    int failures = 0;
    int highestId = 0;

    void run()
    {
        domRoundTrip();
        fileWriterAndReader();
        bufferWriterAndLoaders();
        // The reader's end-of-parse reports would otherwise pile up in the recorder.
        recorder_reset();
    }

private:
    void check(uint32_t status, const char* what)
    {
        if (status != GEN__QTXMLIF_OK && failures++ < 10)
            std::fprintf(stderr, "%s: status %u\n", what, status);
    }

    // Runs a creating or loading call and keeps the ID it gives.
    template <typename Call>
    int created(Call call, const char* what)
    {
        int id = -1;
        check(call(&id), what);
        highestId = std::max(highestId, id);
        return id;
    }

    void build()
    {
        check(gen__qtxmlif_open_node("item"), "open item");
        check(gen__qtxmlif_add_attr("n", "1"), "attribute");
        check(gen__qtxmlif_add_text("some text"), "text");
        check(gen__qtxmlif_open_node("sub"), "open sub");
        check(gen__qtxmlif_close_node(), "close sub");
        check(gen__qtxmlif_close_node(), "close item");
    }

    void walkDom(int id)
    {
        check(gen__qtxmlif_begin_traversion(id, nullptr, nullptr), "begin DOM walk");
        while (hostile::nextEntity(id).status == GEN__QTXMLIF_OK) {
        }
        check(gen__qtxmlif_end_traversion(id), "end DOM walk");
    }

    void walkStream(int id)
    {
        void* start = nullptr;
        check(gen__qtxmlif_begin_traversion(id, nullptr, &start), "begin stream walk");
        while (hostile::nextEntity(id).status == GEN__QTXMLIF_OK) {
        }
        gen__qtxmlif_delete_node(&start);
    }

    void remove(int id) { check(gen__qtxmlif_del_document(id), "delete"); }

    void domRoundTrip()
    {
        int id = created([](int* out) { return gen__qtxmlif_add_document(out, "stress"); }, "create DOM");
        build();
        check(gen__qtxmlif_save(id, path.constData()), "save DOM");
        remove(id);
        id = created([this](int* out) { return gen__qtxmlif_load(path.constData(), out); }, "load DOM");
        walkDom(id);
        remove(id);
    }

    void fileWriterAndReader()
    {
        int id = created([](int* out) { return gen__qtxmlif_add_document_incremental(out, "stress"); },
                         "create file writer");
        build();
        check(gen__qtxmlif_save(id, path.constData()), "save file writer");
        remove(id);
        id = created([this](int* out) { return gen__qtxmlif_load_incremental(path.constData(), out); },
                     "load stream reader");
        walkStream(id);
        remove(id);
    }

    void bufferWriterAndLoaders()
    {
        int id = created([](int* out) { return gen__qtxmlif_add_document_to_encrypt(out, "stress"); },
                         "create buffer writer");
        build();
        check(gen__qtxmlif_close_node(), "end buffer writer");
        char* bytes = nullptr;
        int length = 0;
        check(gen__qtxmlif_get_buff_to_encrypt(id, &bytes, &length), "take bytes");
        const QByteArray text(bytes, length);
        remove(id);
        id = created([&text](int* out) { return gen__qtxmlif_load_buff(text.constData(), out, false); },
                     "load DOM buffer");
        walkDom(id);
        remove(id);
        id = created([&text](int* out) { return gen__qtxmlif_load_buff_incremental(text.constData(), out, false); },
                     "load stream buffer");
        walkStream(id);
        remove(id);
    }

    const QByteArray path;
};

struct Memory {
    long current;
    long peak;
};

Memory memoryNow()
{
    return {hostile::currentRssKib(), hostile::peakRssKib()};
}

int leftoverFiles(const QString& directory)
{
    return int(QDir(directory).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size());
}

} // namespace

int main(int argc, char** argv)
{
    const long cycles = argc > 1 ? std::atol(argv[1]) : 10000;
    if (cycles < 10) {
        std::fprintf(stderr, "usage: %s CYCLES (at least 10)\n", argv[0]);
        return 2;
    }
    QTemporaryDir work;
    // Temporary files go to a directory of our own, where a leftover shows.
    const QString temp = work.filePath(QStringLiteral("tmp"));
    QDir().mkdir(temp);
    setenv("TMPDIR", QFile::encodeName(temp).constData(), 1);

    Cycle cycle(work.filePath(QStringLiteral("out.xml")).toUtf8());
    const long baselineCycle = cycles / 10;
    Memory baseline{};
    int leftovers = 0;
    for (long done = 1; done <= cycles; ++done) {
        cycle.run();
        if (done == baselineCycle)
            baseline = memoryNow();
        if (done % 1000 == 0 || done == cycles)
            leftovers = std::max(leftovers, leftoverFiles(temp));
    }
    const Memory end = memoryNow();
    const long outstanding = recorder_strings_outstanding();

    std::printf("cycles %ld; resident KiB at cycle %ld: %ld, at the end: %ld (growth %ld); "
                "peak KiB %ld -> %ld (growth %ld)\n",
                cycles, baselineCycle, baseline.current, end.current, end.current - baseline.current, baseline.peak,
                end.peak, end.peak - baseline.peak);
    std::printf("highest document ID %d; files left in the temporary directory %d; strings not released %ld; "
                "failed calls %d\n",
                cycle.highestId, leftovers, outstanding, cycle.failures);

    bool fine = cycle.failures == 0 && leftovers == 0 && outstanding == 0 && cycle.highestId <= highestExpectedId;
    if (memoryIsMeaningful && cycles >= cyclesToJudgeMemory)
        fine = fine && end.current - baseline.current < allowedGrowthKib && end.peak - baseline.peak < allowedGrowthKib;
    else
        std::printf("memory growth not judged: %s\n", memoryIsMeaningful ? "too few cycles" : "AddressSanitizer build");
    return fine ? 0 : 1;
}
