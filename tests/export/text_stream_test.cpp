#include "export/text_stream.h"

#include "export_support.h"

#include <gtest/gtest.h>

namespace tvx {
namespace {

TEST(TextStream, LineFeedsBecomeCrLfAndCarriageReturnsPass) {
    test::TempDir dir;
    TextStream text;
    ASSERT_TRUE(text.Open(dir / "t.txt", nullptr));
    text.Write("a\r\n");
    text.Write("b\n\r\r\nc");
    EXPECT_EQ(text.Size(), 12u);
    text.Close();
    EXPECT_EQ(test::ReadText(dir / "t.txt"), "a\r\r\nb\r\n\r\r\r\nc");
}

TEST(TextStream, WriteFailuresThrow) {
    test::TempDir dir;
    const test::FileSizeLimit limit(8);
    TextStream text;
    ASSERT_TRUE(text.Open(dir / "t.txt", nullptr));
    text.Write("1234567");
    EXPECT_THROW(text.Write("89\n"), CFileException);   // a short write is a failure too
    EXPECT_THROW(text.Write("more"), CFileException);
}

}  // namespace
}  // namespace tvx
