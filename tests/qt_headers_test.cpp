// Product code outside platform/ includes no Qt header: it calls the platform layer. Program
// mains, tests, benchmarks, fuzz targets, demos and build tools are exempt, and so are the files
// listed below, which still wait for the platform calls they need.
#include "platform/testing/quelm_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

// Files that still include Qt headers, by path from the top of the tree. Take a file off this
// list once it reaches Qt only through platform/.
const std::set<std::string> kStillIncludingQt = {
    "rowsift/app/RowsiftApp.cpp",
    "rowsift/app/SelectionFrame.cpp",
    "rowsift/app/SelectionFrame.h",
};

// Folders whose files are programs or tests rather than product code.
const std::set<std::string> kExemptFolders = {"tests", "bench", "benchmarks", "fuzz", "demo", "tools", "build"};

bool Exempt(const fs::path& relative)
{
    for (const auto& part : relative.parent_path())
        if (kExemptFolders.count(part.string()) || part.string().rfind("build", 0) == 0 || part.string()[0] == '.')
            return true;
    return false;
}

bool IsProgramMain(const std::string& text)
{
    static const std::regex main(R"(\bint\s+main\s*\()");
    return std::regex_search(text, main);
}

std::set<std::string> FilesIncludingQt()
{
    const fs::path top = quelmtest::SourceDir();
    static const std::regex qtInclude(R"(^\s*#\s*include\s*<Q[A-Za-z0-9_]*(\.h)?>)", std::regex::multiline);
    std::set<std::string> found;
    for (auto it = fs::recursive_directory_iterator(top); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path relative = fs::relative(it->path(), top);
        if (it->is_directory()) {
            const std::string name = relative.filename().string();
            if (relative == "platform" || kExemptFolders.count(name) || name.rfind("build", 0) == 0 || name[0] == '.')
                it.disable_recursion_pending();
            continue;
        }
        const std::string ext = relative.extension().string();
        if (ext != ".cpp" && ext != ".h" && ext != ".hpp")
            continue;
        if (Exempt(relative))
            continue;
        std::ifstream in(it->path());
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (std::regex_search(text, qtInclude) && !IsProgramMain(text))
            found.insert(relative.generic_string());
    }
    return found;
}

} // namespace

TEST(SourceRules, ProductCodeIncludesQtOnlyThroughThePlatformLayer)
{
    const std::set<std::string> found = FilesIncludingQt();
    std::vector<std::string> offending;
    std::set_difference(found.begin(), found.end(), kStillIncludingQt.begin(), kStillIncludingQt.end(),
                        std::back_inserter(offending));
    EXPECT_TRUE(offending.empty()) << "include Qt headers outside platform/: " << ::testing::PrintToString(offending);

    // a file that no longer includes Qt comes off the list
    std::vector<std::string> stale;
    std::set_difference(kStillIncludingQt.begin(), kStillIncludingQt.end(), found.begin(), found.end(),
                        std::back_inserter(stale));
    EXPECT_TRUE(stale.empty()) << "no longer include Qt headers; take them off the list: "
                               << ::testing::PrintToString(stale);
}
