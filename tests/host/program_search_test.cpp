#include "launcher/program_search.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgramSearchFolders, WindowsOrderWithoutTheCurrentDirectory) {
    struct FoldersCase {
        const wchar_t* path;
        std::vector<std::wstring> fromPath; // what PATH adds after the fixed folders
    };
    const FoldersCase cases[] = {
        {L"", {}},
        {L"C:\\A;D:\\B\\", {L"C:\\A", L"D:\\B\\"}},
        {L" \"C:\\Program Files\\Java\\bin\" ;;", {L"C:\\Program Files\\Java\\bin"}},
        {L".;bin;..\\x;\\rooted;C:relative;C:/forward", {L"C:/forward"}},
        {L"\\\\server\\share\\bin", {L"\\\\server\\share\\bin"}},
    };
    for (const auto& c : cases) {
        std::vector<std::wstring> expected = {L"C:\\App", L"C:\\Windows\\system32",
                                              L"C:\\Windows\\System", L"C:\\Windows"};
        expected.insert(expected.end(), c.fromPath.begin(), c.fromPath.end());
        EXPECT_EQ(
            ProgramSearchFolders(L"C:\\App", L"C:\\Windows\\system32", L"C:\\Windows", c.path),
            expected)
            << c.path;
    }
}

} // namespace
