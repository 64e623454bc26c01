#include "launcher/pointer_file.h"

#include <gtest/gtest.h>

namespace {

struct ItemCase {
    std::string bytes;
    std::optional<std::string> expected;
};

TEST(ReadFirstDataItem, FollowsTheRulesOfSequentialStringInput) {
    const ItemCase cases[] = {
        {"SOFTWARE\\JavaSoft\\JRE\r\n", "SOFTWARE\\JavaSoft\\JRE"},
        {"SOFTWARE\\JavaSoft\\JRE", "SOFTWARE\\JavaSoft\\JRE"},
        {"SOFTWARE\\Java Soft\\Runtime 1.8\n", "SOFTWARE\\Java Soft\\Runtime 1.8"},
        {"   SOFTWARE\\Java\r\n", "SOFTWARE\\Java"},
        {"SOFTWARE\\Java,second item\r\n", "SOFTWARE\\Java"},
        {"SOFTWARE\\Java   \r\n", "SOFTWARE\\Java"},
        {"\"SOFTWARE\\A, B\\C\",other\r\n", "SOFTWARE\\A, B\\C"},
        {"  \"  padded  \"\r\n", "  padded  "},
        {"\"across\r\nlines\"", "across\r\nlines"},
        {"\"unclosed\r\nrest", "unclosed\r\nrest"},
        {"\"", ""},
        {"\r\nSOFTWARE\\Second line\r\n", ""},
        {",SOFTWARE\\Java", ""},
        {"first\rsecond", "first"},
        {"\tSOFTWARE\\Tabbed\t\r\n", "\tSOFTWARE\\Tabbed\t"},
        {std::string("A\0B\r\n", 5), std::string("A\0B", 3)},
        {"", std::nullopt},
        {"     ", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadFirstDataItem(c.bytes), c.expected) << "file: [" << c.bytes << "]";
    }
}

} // namespace
