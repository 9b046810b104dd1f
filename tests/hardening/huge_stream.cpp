// Walks a generated file of 3 GiB with the stream reader, child by child: past
// 2^31, gen__qtxmlif_characters_offset must give the offsets' low 32 bits.
// Too slow for every run: it is labelled "slow".
//
// Usage: hardening_huge_stream [MiB]   (default 3072)
#include "hostile.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int textBytes = 65536;
constexpr qint64 childBytes = 3 + textBytes + 4 + 1; // <c>, the text, </c>, line break

int lowBits(qint64 offset)
{
    return int(quint32(quint64(offset) & 0xffffffffu));
}

// The child's start, its text (in as many pieces as the reader makes) and its
// end; false unless all are there.
bool readChild(int id)
{
    hostile::Step step = hostile::nextEntity(id);
    bool fine = step.status == GEN__QTXMLIF_OK && step.type == XML_ETYPE_ELEMENT && step.name == "c";
    qint64 text = 0;
    while ((step = hostile::nextEntity(id)).status == GEN__QTXMLIF_OK)
        text += qint64(step.name.size());
    return fine && step.isEnd && text == textBytes;
}

} // namespace

int main(int argc, char** argv)
{
    const qint64 children = (argc > 1 ? std::atoll(argv[1]) : 3072) * 1024 * 1024 / childBytes;
    const QByteArray head = "<root>\n", tail = "</root>\n";
    testsupport::ScratchDir dir;
    const QString path = hostile::writeRepeated(dir, QStringLiteral("huge.xml"), head,
                                                "<c>" + QByteArray(textBytes, 't') + "</c>\n", children, tail);

    int id = -1, failures = 0, offset = 0;
    void* start = nullptr;
    void* current = nullptr;
    if (gen__qtxmlif_load_incremental(path.toUtf8().constData(), &id) != GEN__QTXMLIF_OK
        || gen__qtxmlif_begin_traversion(id, nullptr, &start) != GEN__QTXMLIF_OK) {
        std::fprintf(stderr, "cannot begin the walk\n");
        return 1;
    }
    qint64 seen = 0;
    for (; gen__qtxmlif_get_next_child_node(id, start, nullptr, &current) == GEN__QTXMLIF_OK && current; ++seen) {
        failures += !readChild(id);
        gen__qtxmlif_characters_offset(id, &offset);
        failures += offset != lowBits(head.size() + (seen + 1) * childBytes - 1);
    }
    // One more call reads the end of the document.
    gen__qtxmlif_get_next_child_node(id, start, nullptr, &current);
    gen__qtxmlif_characters_offset(id, &offset);
    const qint64 total = head.size() + children * childBytes + tail.size();
    const bool cleanEnd = recorder_logs("WARNING") == 0
                          && hostile::lastLogText("NONE") == "Incremental Xml Parsing Ended Successfully. mDepth=0";
    gen__qtxmlif_delete_node(&current);
    gen__qtxmlif_delete_node(&start);
    gen__qtxmlif_del_document(id);

    std::printf("children %lld of %lld; offset at the end %d (low 32 bits of %lld: %d); failed checks %d; "
                "clean end %s\n", seen, children, offset, total, lowBits(total), failures, cleanEnd ? "yes" : "no");
    return seen == children && failures == 0 && offset == lowBits(total) && cleanEnd ? 0 : 1;
}
