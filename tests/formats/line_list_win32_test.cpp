// A server's error text crosses the workstation's ANSI code page twice (the answer is loaded as
// ANSI lines, and the error text turns them back into bytes that are read as UTF-8). It arrives
// whole when the code page maps every byte to a character and back, which Windows' single-byte
// code pages do; on a Russian workstation that includes 0x98, the one byte Windows-1251 leaves
// unassigned: Microsoft's table for the code page (bestfit1251.txt) maps it to U+0098 and U+0098
// back to it. "И" is D0 98 in UTF-8.

#include <windows.h>

#include <gtest/gtest.h>

#include "formats/line_list.h"
#include "formats/ansi_code_page.h"
#include "tests/support/workstation_win32.h"

namespace vq {
namespace {

TEST(LineListWin32, ServerErrorTextSurvivesTheSystemCodePageWhole) {
    const std::string answer = "Ошибка: учётная запись «Иванов И.» не найдена\nИИИ\r\n";
    LineList lines;
    lines.LoadFromBytes(answer, SystemAnsiCodePage());
    EXPECT_EQ(ErrorText(lines, SystemAnsiCodePage()),
              u"Ошибка: учётная запись «Иванов И.» не найдена\r\nИИИ\r\n");
}

TEST(LineListWin32, RussianWorkstationMapsTheUnassignedByteToItsControlCharacter) {
    if (!test::IsRussianWorkstation())
        GTEST_SKIP() << "needs ANSI code page 1251 (the Russian Wine run)";
    EXPECT_EQ(SystemAnsiCodePage().Decode("\x98"), u"\u0098");
    EXPECT_EQ(SystemAnsiCodePage().Encode(u"\u0098"), "\x98");
    // Every byte decodes as the portable Windows-1251 table says, and encodes back to itself.
    std::string every_byte;
    for (int b = 1; b < 256; ++b) every_byte.push_back(static_cast<char>(b));
    EXPECT_EQ(SystemAnsiCodePage().Decode(every_byte), Windows1251CodePage().Decode(every_byte));
    EXPECT_EQ(SystemAnsiCodePage().Encode(SystemAnsiCodePage().Decode(every_byte)), every_byte);
}

}  // namespace
}  // namespace vq
