#include "launcher/pointer_file.h"

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
        {L"  \"  padded  \"\r\n", L"  padded  "},
        {L"\"across\r\nlines\"", L"across\r\nlines"},
        {L"\"unclosed\r\nrest", L"unclosed\r\nrest", false},
        {L"\"", L"", false},
        {L"\r\nSOFTWARE\\Second line\r\n", L""},
        {L",SOFTWARE\\Java", L""},
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

} // namespace
