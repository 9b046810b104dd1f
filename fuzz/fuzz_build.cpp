// Building calls chosen by the input, replayed on each writable kind. The file
// writer and the buffer writer must produce the same bytes for the same calls,
// and a saved DOM document must load again.
//
// Element names come from a list of valid XML names (the library passes names on
// unchecked, so an invalid one is the caller's fault); attribute values and texts
// are arbitrary bytes.
#include "fuzz_support.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QString>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr size_t callLimit = 256;
constexpr size_t textLimit = 64;

// Blanks around and inside a name are trimmed and turned into underscores on
// the way in; both forms are here.
const char* const elementNames[] = {
    "a", "b", "item", "x-y", "_z", "n.1", "\xc3\xa9t\xc3\xa9", "\xe5\x90\x8d", " spaced name ", "A", "root",
};
const char* const attributeNames[] = {"id", "x", "ID", "lang", "a-b", "\xc3\xa9"};
// The document element's name is passed on as it is.
const char* const rootNames[] = {"a", "item", "\xc3\xa9t\xc3\xa9", "root"};

enum class Kind { OpenNode, AddAttr, AddText, CloseNode, OpenLevel, CloseLevel, kMaxValue = CloseLevel };

struct Call {
    Kind kind;
    std::string name;
    std::string text;
};

std::vector<Call> readCalls(FuzzedDataProvider& input)
{
    std::vector<Call> calls;
    while (input.remaining_bytes() > 0 && calls.size() < callLimit) {
        Call call{input.ConsumeEnum<Kind>(), {}, {}};
        if (call.kind == Kind::OpenNode)
            call.name = input.PickValueInArray(elementNames);
        if (call.kind == Kind::AddAttr)
            call.name = input.PickValueInArray(attributeNames);
        if (call.kind == Kind::AddAttr || call.kind == Kind::AddText)
            call.text = input.ConsumeRandomLengthString(textLimit);
        calls.push_back(std::move(call));
    }
    return calls;
}

uint32_t replay(const Call& call)
{
    // The string ends at its first NUL, as any C caller's would.
    switch (call.kind) {
    case Kind::OpenNode: return gen__qtxmlif_open_node(call.name.c_str());
    case Kind::AddAttr: return gen__qtxmlif_add_attr(call.name.c_str(), call.text.c_str());
    case Kind::AddText: return gen__qtxmlif_add_text(call.text.c_str());
    case Kind::CloseNode: return gen__qtxmlif_close_node();
    case Kind::OpenLevel: return gen__qtxmlif_open_level();
    case Kind::CloseLevel: return gen__qtxmlif_close_level();
    }
    return GEN__QTXMLIF_E_FAILED;
}

bool accepted(uint32_t code)
{
    return code == GEN__QTXMLIF_OK || code == GEN__QTXMLIF_E_FAILED;
}

std::string fileContent(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void buildDom(const std::vector<Call>& calls, const char* rootName)
{
    int id = -1;
    uint32_t code = gen__qtxmlif_add_document(&id, rootName);
    fuzz::require(code == GEN__QTXMLIF_OK, "create a DOM document", code);
    for (const Call& call : calls) {
        code = replay(call);
        fuzz::require(accepted(code), "a DOM building call", code);
    }
    QString text;
    fuzz::require(gen__qtxmlif_doc_to_string(id, &text) == GEN__QTXMLIF_OK, "document to string");
    const std::string& saved = fuzz::scratchPath("dom.xml");
    code = gen__qtxmlif_save(id, saved.c_str());
    fuzz::require(code == GEN__QTXMLIF_OK, "save a built DOM document", code);
    fuzz::require(gen__qtxmlif_del_document(id) == GEN__QTXMLIF_OK, "delete the DOM document");

    int reloaded = -1;
    code = gen__qtxmlif_load(saved.c_str(), &reloaded);
    fuzz::require(code == GEN__QTXMLIF_OK, "a saved DOM document loads again", code);
    fuzz::require(gen__qtxmlif_del_document(reloaded) == GEN__QTXMLIF_OK, "delete the reloaded document");
}

// Replays the calls up to the end of the document element: after it the file
// writer drops what it is given while the buffer writer appends it. Returns
// whether the calls ended the document.
bool buildStream(const std::vector<Call>& calls, int id)
{
    fuzz::require(gen__qtxmlif_set_working_document(id) == GEN__QTXMLIF_OK, "select a writer");
    int open = 1;
    for (const Call& call : calls) {
        const uint32_t code = replay(call);
        fuzz::require(accepted(code), "a writer building call", code);
        if (call.kind == Kind::OpenNode)
            ++open;
        if ((call.kind == Kind::CloseNode || call.kind == Kind::CloseLevel) && --open == 0)
            return true;
    }
    return false;
}

void compareWriters(const std::vector<Call>& calls, const char* rootName)
{
    int fileWriter = -1, bufferWriter = -1;
    uint32_t code = gen__qtxmlif_add_document_incremental(&fileWriter, rootName);
    fuzz::require(code == GEN__QTXMLIF_OK, "create a file writer", code);
    code = gen__qtxmlif_add_document_to_encrypt(&bufferWriter, rootName);
    fuzz::require(code == GEN__QTXMLIF_OK, "create a buffer writer", code);
    buildStream(calls, fileWriter);
    const bool ended = buildStream(calls, bufferWriter);

    const std::string& fromFile = fuzz::scratchPath("written.xml");
    code = gen__qtxmlif_save(fileWriter, fromFile.c_str());
    fuzz::require(code == GEN__QTXMLIF_OK, "save the file writer", code);
    // A buffer writer ends its document once, by the last close or by saving.
    if (!ended) {
        code = gen__qtxmlif_save(bufferWriter, fuzz::scratchPath("unused.xml").c_str());
        fuzz::require(code == GEN__QTXMLIF_OK, "end the buffer writer", code);
    }
    char* bytes = nullptr;
    int length = -1;
    code = gen__qtxmlif_get_buff_to_encrypt(bufferWriter, &bytes, &length);
    fuzz::require(code == GEN__QTXMLIF_OK && bytes && length >= 0, "take the buffer writer's bytes", code);
    fuzz::require(fileContent(fromFile) == std::string(bytes, size_t(length)),
                  "the file writer and the buffer writer wrote the same bytes");
    fuzz::require(gen__qtxmlif_del_document(fileWriter) == GEN__QTXMLIF_OK, "delete the file writer");
    fuzz::require(gen__qtxmlif_del_document(bufferWriter) == GEN__QTXMLIF_OK, "delete the buffer writer");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    // No name at all gives a document element named "root".
    const char* rootName = input.ConsumeBool() ? nullptr : input.PickValueInArray(rootNames);
    const std::vector<Call> calls = readCalls(input);
    buildDom(calls, rootName);
    compareWriters(calls, rootName);
    fuzz::requireNoDocuments();
    return 0;
}
