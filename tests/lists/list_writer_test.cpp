#include "lists/list_writer.h"

#include <gtest/gtest.h>

#include <sstream>

#include "lists/list_rows.h"
#include "support/temp_folder.h"

namespace {

using namespace qv;

// What the writer writes, the reader reads back unchanged.
TEST(ListWriterTest, WritesWhatTheReaderReadsBack) {
    const struct {
        TOfficialList List;
        const char* Text;
    } cases[] = {
        {ListOf(5, {{"AL", "R", "Doe, Jane", "none", "https://x/?a=1,2"},
                    {" a ", "b", "c", "d", "é"}}),
         "5 2\r\nAL,R,\"Doe, Jane\",none,\"https://x/?a=1,2\"\r\n a ,b,c,d,é\r\n"},
        {ListOf(1, {{"one"}, {"a,b"}}), "1 2\r\n\"one\"\r\n\"a,b\"\r\n"},
        {ListOf(6, {}), "6 0\r\n"},
    };
    const TTempFolder folder;
    for (const auto& c : cases) {
        std::ostringstream out;
        WriteOfficialList(out, c.List);
        EXPECT_EQ(out.str(), c.Text);
        TOfficialList read;
        ASSERT_EQ(LoadOfficialList(folder.Write("list.dat", out.str()), read, nullptr), 0)
            << c.Text;
        EXPECT_EQ(read.FieldCount(), c.List.FieldCount());
        EXPECT_EQ(RowsOf(read), RowsOf(c.List));
    }
}

TEST(ListWriterTest, RefusesFieldsTheFormatCannotCarryBeforeWriting) {
    for (const char* bad : {"", "say \"hi\"", "two\r\nlines", "line\n"}) {
        std::ostringstream out;
        EXPECT_THROW(WriteOfficialList(out, ListOf(2, {{"ok", "ok"}, {"ok", bad}})),
                     EListFieldError)
            << bad;
        EXPECT_EQ(out.str(), "");
    }
}

}  // namespace
