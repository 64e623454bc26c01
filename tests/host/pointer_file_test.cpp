#include "launcher/pointer_file.h"

#include "launcher/failure_report.h"
#include "tests/support/memory_platform.h"

#include <gtest/gtest.h>

namespace {

struct ItemCase {
    std::wstring text;
    std::optional<std::wstring> value;
    bool ended = true; // the text holds the item's end
};

TEST(ReadFirstDataItem, FollowsTheRulesOfSequentialStringInput) {
    const ItemCase cases[] = {
        {L"SOFTWARE\\JavaSoft\\JRE\r\n", L"SOFTWARE\\JavaSoft\\JRE"},
        {L"SOFTWARE\\JavaSoft\\JRE", L"SOFTWARE\\JavaSoft\\JRE", false},
        {L"SOFTWARE\\Java Soft\\Runtime 1.8\n", L"SOFTWARE\\Java Soft\\Runtime 1.8"},
        {L"   SOFTWARE\\Java\r\n", L"SOFTWARE\\Java"},
        {L"SOFTWARE\\Java,second item\r\n", L"SOFTWARE\\Java"},
        {L"SOFTWARE\\Java   \r\n", L"SOFTWARE\\Java"},
        {L"\"SOFTWARE\\A, B\\C\",other\r\n", L"SOFTWARE\\A, B\\C"},
        {L"\"SOFTWARE\\x\",\"SOFTWARE\\y\"", L"SOFTWARE\\x"},
        {L"  \"  padded  \"\r\n", L"  padded  "},
        {L"\"across\r\nlines\"", L"across\r\nlines"},
        {L"\"unclosed\r\nrest", L"unclosed\r\nrest", false},
        {L"\"", L"", false},
        {L"\r\nSOFTWARE\\Second line\r\n", L""},
        {L",SOFTWARE\\Java", L""},
        {L"\"\"SOFTWARE\\Java\r\n", L""},
        {L"first\rsecond", L"first"},
        {L"\tSOFTWARE\\Tabbed\t\r\n", L"\tSOFTWARE\\Tabbed\t"},
        {std::wstring(L"A\0B\r\n", 5), std::wstring(L"A\0B", 3)},
        {L"", std::nullopt},
        {L"     ", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto item = ReadFirstDataItem(c.text);
        ASSERT_EQ(item.has_value(), c.value.has_value()) << "file: [" << c.text << "]";
        if (item) {
            EXPECT_EQ(item->value, *c.value) << "file: [" << c.text << "]";
            EXPECT_EQ(item->ended, c.ended) << "file: [" << c.text << "]";
        }
    }
}

TEST(ReadRuntimePointer, ReadsAsFarAsTheFirstItemInAnsiOrAfterAUtf8Mark) {
    struct PointerCase {
        const char* name;
        std::string bytes;
        std::optional<std::wstring> keyPath; // none: the item is too long to name a key
        bool holdsItem = true;               // false: input past end of file
    };
    const std::string megabytes(5 * 1024 * 1024, 'x');
    const std::string bound(MaxPointerFileBytes, ' ');
    const PointerCase cases[] = {
        {"ANSI", "SOFTWARE\\J\xE9r\xF4me\r\n", L"SOFTWARE\\J\u00E9r\u00F4me"},
        {"UTF-8 after the mark", "\xEF\xBB\xBFSOFTWARE\\J\xC3\xA9r\xC3\xB4me\r\n",
         L"SOFTWARE\\J\u00E9r\u00F4me"},
        {"UTF-8 mark, quoted item", "\xEF\xBB\xBF  \"SOFTWARE\\A, B\",x", L"SOFTWARE\\A, B"},
        {"mark only", "\xEF\xBB\xBF", std::nullopt, false},
        {"mark bytes not at the start", " \xEF\xBB\xBFX", L"\u00EF\u00BB\u00BFX"},
        {"megabytes after the first line", "SOFTWARE\\Big\r\n" + megabytes, L"SOFTWARE\\Big"},
        {"megabytes on one line with no end", "SOFTWARE\\" + megabytes, std::nullopt},
        {"megabytes of blanks", std::string(3 * 1024 * 1024, ' '), std::nullopt},
        {"blanks up to the bound, then an item", bound + "SOFTWARE\\Late\r\n", std::nullopt},
        {"UTF-16 with no line end", std::string("\xFF\xFES\0\\\0K\0", 8), L"S\\K"},
        {"an item that ends right at the bound", bound.substr(4) + "S\\X\n", L"S\\X"},
        {"an item that ends on the byte past the bound", bound.substr(3) + "S\\X\n", std::nullopt},
        {"blanks only, within the bound", bound, std::nullopt, false},
        {"lone quote", "\"", L""},
        {"unclosed quote", "\"SOFTWARE\\Open\r\n", L"SOFTWARE\\Open\r\n"},
        {"unclosed quote past the bound", "\"SOFTWARE\\Open\r\n" + megabytes, std::nullopt},
    };
    const std::wstring path = L"C:\\Virelt\\JRE.pelorin";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        memory_platform::Reset();
        memory_platform::TheMachine().files[path] = c.bytes;
        try {
            EXPECT_EQ(ReadRuntimePointer(path).keyPath, c.keyPath);
            EXPECT_TRUE(c.holdsItem);
        } catch (const Failure& failure) {
            EXPECT_FALSE(c.holdsItem);
            EXPECT_EQ(failure.kind, FailureKind::PointerFileEmpty);
        }
        EXPECT_LE(memory_platform::TheMachine().bytesRead, MaxPointerFileBytes + 4096);
    }
}

} // namespace
