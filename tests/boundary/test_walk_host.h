// Helpers for the building, walking and wrong-kind tests: strings that release
// themselves, documents made from text, and the last report or message.
#pragma once

#include "ruziradavod.h"
#include "test_load_support.h"

#include <string>

namespace host {

constexpr const char* buildSource = "gen/gen_qtxmlif/gen_qtxmlif_build.cpp";
constexpr const char* walkSource = "gen/gen_qtxmlif/gen_qtxmlif_walk.cpp";
constexpr const char* querySource = "gen/gen_qtxmlif/gen_qtxmlif_query.cpp";
constexpr const char* documentsSource = "gen/gen_qtxmlif/gen_qtxmlif_documents.cpp";

// A string the library handed out, released with gen__mem_free when done.
class Text {
public:
    Text() = default;
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    ~Text() { reset(); }

    // The place to receive a new string; whatever was held is released first.
    char** out()
    {
        reset();
        return &text;
    }
    bool isNull() const { return !text; }
    std::string str() const { return text ? text : "<null>"; }

private:
    void reset()
    {
        gen__mem_free(text, 1, __FILE__, __LINE__);
        text = nullptr;
    }
    char* text = nullptr;
};

using Create = uint32_t (*)(int*, const char*);

inline int create(Create how, const char* root = "r")
{
    int id = -1;
    EXPECT_EQ(how(&id, root), GEN__QTXMLIF_OK);
    return id;
}

inline int loadDom(const char* xml)
{
    int id = -1;
    EXPECT_EQ(gen__qtxmlif_load_buff(xml, &id, false), GEN__QTXMLIF_OK) << xml;
    return id;
}

inline int loadStream(const char* xml)
{
    int id = -1;
    EXPECT_EQ(gen__qtxmlif_load_buff_incremental(xml, &id, false), GEN__QTXMLIF_OK) << xml;
    return id;
}

// The latest assertion report names `condition` and a line of `source`, with
// exactly one sound after it.
inline ::testing::AssertionResult reported(const char* condition, const char* source)
{
    int last = recorder_count() - 1;
    while (last >= 0 && !(recorder_kind(last) == RECORD_LOG && qstrcmp(recorder_level(last), "INTERNAL") == 0))
        --last;
    return testsupport::isReport(last, condition, source);
}

// The latest log entry is the not-found message with key `number` for `id`.
inline ::testing::AssertionResult notFoundLogged(int number, int id)
{
    return testsupport::isMessage(recorder_last_log(), number, "XML document ID %d not found",
                                  "XML document ID " + QByteArray::number(id) + " not found");
}

// Every test starts with an empty record and ends with each report followed by
// its sound.
class HostTest : public ::testing::Test {
protected:
    void SetUp() override { recorder_reset(); }
    void TearDown() override { EXPECT_TRUE(recorder_sounds_follow_reports()); }
};

} // namespace host
