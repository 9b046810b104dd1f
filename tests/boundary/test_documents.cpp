// Loading, creating, selecting, deleting, building and saving through the shared
// library: statuses, records, and the document each call leaves working.
#include "test_load_support.h"

#include <QFile>
#include <csignal>
#include <cstdio>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

// The interface as a host sees it that declares its flags as a plain byte
// (test_load_char_flag.c).
extern "C" {
uint32_t load_buff_with_char_flag(const char* buff, int* doc_id, unsigned char flag);
uint32_t load_buff_incremental_with_char_flag(const char* buff, int* doc_id, unsigned char flag);
uint32_t get_named_attribute1_with_char_flag(int doc_id, void* node_ptr, const char* attr_name, unsigned char flag,
                                             char** attr_value, bool* found);
}

namespace {

using namespace testsupport;

const std::string refused = "(result == true) @build | sound";
const std::string noWorking = "(xmlManager.documentExist( doc_id )) @build | sound";

class Documents : public HostTest {
protected:
    ScratchDir scratch;
};

// Only a DOM load that reached the parser leaves no working document. (Paths
// that are no plain files are the hardening tests'.)
TEST_F(Documents, EveryLoadFailureHasItsStatusRecordAndId)
{
    const std::string missing = scratch.path("absent.xml").toStdString() + "/../absent.xml";
    const std::string broken = scratch.write("broken.xml", "<a>\n<b>\n</c>\n").toStdString();
    int docID = 0, working = -1;
    ASSERT_EQ(gen__qtxmlif_add_document(&working, "w"), GEN__QTXMLIF_OK);
    const auto idIs = [&docID](int expected) { return [&docID, expected] { return docID == expected; }; };
    const auto file = [&docID](uint32_t (*load)(const char*, int*), const char* path) {
        return [&docID, load, path] { return load(path, &(docID = 77)); };
    };
    const auto buffer = [&docID](uint32_t (*load)(const char*, int*, bool), const char* text) {
        return [&docID, load, text] { return load(text, &(docID = 77), false); };
    };
    const std::string emptyPath = "(!((file_path) ? (file_path)[0]=='\\0' : 1)) @load | sound | trace @load";
    const std::string syntax = "82: XML document syntax error in file: ";
    expectEach({
        {file(gen__qtxmlif_load, nullptr), 14603, emptyPath, idIs(77)},
        {file(gen__qtxmlif_load_incremental, ""), 14603, emptyPath, idIs(77)},
        {file(gen__qtxmlif_load_incremental, missing.c_str()), 14603,
         "64: Unable to find document: " + missing + " | trace @load", idIs(-1)},
        {buffer(gen__qtxmlif_load_buff, nullptr), 14601, "trace @load", idIs(77)},
        {buffer(gen__qtxmlif_load_buff_incremental, ""), 14601, "trace @load", idIs(77)},
        {gen__qtxmlif_open_level, 0, ""},
        {file(gen__qtxmlif_load, broken.c_str()), 14605,
         syntax + broken + "\nError found in line 3, column 4.\n | trace @load", idIs(-1)},
        {gen__qtxmlif_open_level, 14603, noWorking},
        {buffer(gen__qtxmlif_load_buff, "<a>\n<b>\n</c>"), 14605, "trace @load", idIs(-1)},
        {[&] { return uint32_t(gen__qtxmlif_document_exist(working + 1)); }, 0, ""},
    });
    EXPECT_EQ(gen__qtxmlif_del_document(working), GEN__QTXMLIF_OK);
}

// 1000 counts as no pointer, yet the document is made; 1001 is written through.
// One maker for each way an ID comes out.
TEST_F(Documents, IdOutParameterIsWrittenOnlyAbove1000)
{
    const QByteArray path = scratch.write("x.xml", "<x/>").toUtf8();
    const std::function<uint32_t(int*)> makers[] = {
        [&](int* id) { return gen__qtxmlif_load(path.constData(), id); },
        [](int* id) { return gen__qtxmlif_load_buff_incremental("<x/>", id, false); },
        [](int* id) { return gen__qtxmlif_add_document_to_encrypt(id, "r"); },
    };
    int next = -1;
    ASSERT_EQ(gen__qtxmlif_add_document(&next, nullptr), GEN__QTXMLIF_OK);
    ASSERT_EQ(gen__qtxmlif_del_document(next), GEN__QTXMLIF_OK);
    for (const auto& make : makers) {
        EXPECT_EQ(make(reinterpret_cast<int*>(1000)), GEN__QTXMLIF_OK);
        EXPECT_EQ(gen__qtxmlif_del_document(next), GEN__QTXMLIF_OK) << "no document was made";
        struct sigaction action = {};
        action.sa_flags = SA_SIGINFO; // the address of the fault (or of the sanitizer's report) is 1001
        action.sa_sigaction = [](int, siginfo_t* info, void*) {
            std::fprintf(stderr, "at %p\n", info->si_addr);
            _exit(1);
        };
        EXPECT_DEATH((sigaction(SIGSEGV, &action, nullptr), make(reinterpret_cast<int*>(1001))), "0x0*3e9");
    }
}

// Creating or selecting a document, a DOM load and
// a reading call the document offers choose where building goes; any removal
// leaves none, and then a building call checks its string before that.
TEST_F(Documents, IdsWorkingDocumentBuildingAndSaving)
{
    int dom = -1, writer = -1, buffer = -1, reader = -1, loaded = -1, number = 0;
    const std::string path = scratch.path("saved ž.xml").toStdString();
    const std::string fifo = scratch.path("pipe").toStdString();
    const std::string full = scratch.path("full").toStdString();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(mknod(full.c_str(), S_IFCHR | 0600, makedev(1, 7)), 0);
    const auto saved = [&path] {
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::ReadOnly) &&
               file.readAll() == "<?xml version='1.0' encoding='UTF-8'?>\n<root>\n    <two_words a=\"\"/>\n</root>\n";
    };
    const auto empty = [](const char* name) {
        return "(!((" + std::string(name) + ") ? (" + name + ")[0]=='\\0' : 1)) @build | sound";
    };
    const std::string notOpened = "188: Unable to open file for saving : ";
    alarm(20); // a FIFO without a reader must not hold the caller
    expectEach({
        {[&] { return gen__qtxmlif_add_document(&dom, nullptr); }, 0, ""},
        {[&] { return gen__qtxmlif_add_document_incremental(&writer, "w"); }, 0, ""},
        {[&] { return gen__qtxmlif_add_document_to_encrypt(&buffer, "b"); }, 0, ""},
        {gen__qtxmlif_open_level, 14601, refused}, // in the buffer writer
        {[&] { return gen__qtxmlif_load_buff_incremental("<a><b></a>", &reader, false); }, 0, ""},
        {gen__qtxmlif_open_level, 14601, refused}, // still in the buffer writer
        {[&] { return gen__qtxmlif_set_working_document(dom); }, 0, ""},
        {[] { return gen__qtxmlif_set_working_document(4242); }, 14601,
         "(xmlManager.documentExist( doc_id )) @documents | sound"},
        {[&] { return gen__qtxmlif_characters_offset(reader, &number); }, 0, ""}, // selects nothing,
        {[&] { return gen__qtxmlif_get_line_number(writer, &number); }, 0, ""},   // nor does reading a writer
        {[] { return gen__qtxmlif_open_node(" two words\t"); }, 0, ""},
        {[] { return gen__qtxmlif_add_attr("a", nullptr); }, 0, ""},
        {[] { return gen__qtxmlif_open_node("   "); }, 14601, refused},
        {gen__qtxmlif_close_node, 0, ""},
        {gen__qtxmlif_close_level, 14601, refused},
        {[&] { return gen__qtxmlif_save(dom, path.c_str()); }, 0, "", saved},
        {[&] { return gen__qtxmlif_save(dom, nullptr); }, 14607, notOpened},
        {[&] { return gen__qtxmlif_save(dom, fifo.c_str()); }, 14607, notOpened + fifo},
        {[&] { return gen__qtxmlif_save(dom, full.c_str()); }, 14607, "194: error saving XML document: " + full},
        {[&] { return gen__qtxmlif_save(reader, path.c_str()); }, 14607, "194: error saving XML document: " + path,
         saved}, // a failed save leaves the file as it was
        {[&] { return gen__qtxmlif_get_line_number(reader, &number); }, 0, ""},
        {[] { return gen__qtxmlif_add_text("t"); }, 14601, refused}, // in the reader
        {[&] { return gen__qtxmlif_load_buff("<loaded/>", &loaded, false); }, 0, ""},
        {gen__qtxmlif_open_level, 0, ""},
        {[&] { return gen__qtxmlif_del_document(reader); }, 0, ""},
        {gen__qtxmlif_open_level, 14603, noWorking},
        {[] { return gen__qtxmlif_open_node(nullptr); }, 14601, empty("node_name")},
        {[] { return gen__qtxmlif_add_attr("", "v"); }, 14601, empty("attr_name")},
        {[] { return gen__qtxmlif_add_text(nullptr); }, 14601, empty("text_val")},
        {[] { return gen__qtxmlif_open_node(" "); }, 14603, noWorking},
        {[] { return gen__qtxmlif_add_attr("a", nullptr); }, 14603, noWorking},
        {[] { return gen__qtxmlif_del_document(-1); }, 0, ""},
        {[] { return gen__qtxmlif_del_document(4242); }, 14603, "(removedDocID == doc_id) @documents | sound"},
        {[] { return uint32_t(gen__qtxmlif_document_exist(0)); }, 0, ""},
        {[] { return uint32_t(gen__qtxmlif_document_exist(-1)); }, 0, "(doc_id >= 0) @documents | sound"},
        {[&] { return uint32_t(gen__qtxmlif_document_exist(reader)); }, 0, ""},
        {[&] { return gen__qtxmlif_del_document(loaded); }, 0, ""},
    });
    alarm(0);
    for (int docID : {buffer, writer, dom})
        EXPECT_EQ(gen__qtxmlif_del_document(docID), GEN__QTXMLIF_OK);
}

// Every flag taken by value: 0 is false, and any other byte is true, also one
// that no C++ bool can hold. The DOM load has no use for its flag but must
// accept such a byte all the same.
TEST_F(Documents, EveryNonZeroFlagByteMeansTrue)
{
    for (const unsigned char flag : {0, 1, 2, 255}) {
        SCOPED_TRACE("flag " + std::to_string(flag));
        const bool noCase = flag != 0;
        int reader = -1, dom = -1;
        ASSERT_EQ(load_buff_incremental_with_char_flag("<r><Item/></r>", &reader, flag), GEN__QTXMLIF_OK);
        ASSERT_EQ(load_buff_with_char_flag("<r Key='v'/>", &dom, flag), GEN__QTXMLIF_OK);

        void* start = nullptr;
        EXPECT_EQ(gen__qtxmlif_begin_traversion(reader, "ITEM", &start),
                  noCase ? GEN__QTXMLIF_OK : GEN__QTXMLIF_E_FAILED);
        EXPECT_EQ(start != nullptr, noCase);
        gen__qtxmlif_delete_node(&start);

        char* value = nullptr;
        bool found = !noCase;
        ASSERT_EQ(gen__qtxmlif_begin_traversion(dom, nullptr, &start), GEN__QTXMLIF_OK);
        EXPECT_EQ(get_named_attribute1_with_char_flag(dom, start, "KEY", flag, &value, &found), GEN__QTXMLIF_OK);
        EXPECT_EQ(found, noCase);
        EXPECT_EQ(take(value), noCase ? "v" : "<null>");

        EXPECT_EQ(gen__qtxmlif_end_traversion(dom), GEN__QTXMLIF_OK);
        EXPECT_EQ(gen__qtxmlif_del_document(dom), GEN__QTXMLIF_OK);
        EXPECT_EQ(gen__qtxmlif_del_document(reader), GEN__QTXMLIF_OK);
    }
}

} // namespace
