// The tree's layering as the build states it: a file includes headers of its own folder and of the
// folders whose targets its target links, each spelled by its path from the repository root.
// The table of targets (quelm_layers.txt) is written by the top CMakeLists.txt at configure time.
#include "platform/testing/quelm_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct LayerTarget {
    std::string name;
    bool library = false;
    std::string folder;
    std::vector<std::string> sources;
    std::set<std::string> allowed; // its own folder and the folders of what it links
    std::set<std::string> outside; // the outside libraries linked through it (Qt6::Sql...)
};

std::vector<std::string> SplitList(const std::string& text)
{
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, ';');)
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

std::vector<LayerTarget> ReadLayers()
{
    std::ifstream in(QUELM_LAYERS_FILE);
    std::vector<LayerTarget> targets;
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::stringstream row(line);
        for (std::string field; std::getline(row, field, '\t');)
            fields.push_back(field);
        fields.resize(6);
        LayerTarget target{fields[0], fields[1] != "EXECUTABLE", fields[2], SplitList(fields[3]), {}, {}};
        target.allowed.insert(target.folder);
        for (const std::string& folder : SplitList(fields[4]))
            target.allowed.insert(folder);
        for (const std::string& library : SplitList(fields[5]))
            target.outside.insert(library);
        targets.push_back(std::move(target));
    }
    return targets;
}

bool Inside(const std::string& path, const std::string& folder)
{
    return folder.empty() || path.rfind(folder + "/", 0) == 0;
}

// The folder of the target that a file of the tree belongs to: the deepest target folder above it.
std::string OwnerFolder(const std::string& path, const std::set<std::string>& folders)
{
    std::string best;
    for (const std::string& folder : folders)
        if (Inside(path, folder) && folder.size() >= best.size())
            best = folder;
    return best;
}

bool InTestFolder(const std::string& path)
{
    for (const auto& part : fs::path(path).parent_path())
        if (part == "tests" || part == "bench" || part == "demo" || part == "fuzz")
            return true;
    return false;
}

struct IncludeFault {
    std::string file;
    std::string include;
    std::string why;
};

// Checks the quoted includes of one file against the folders it may reach.
void CheckFile(const fs::path& top, const std::string& file, const std::set<std::string>& allowed,
               const std::set<std::string>& folders, std::vector<IncludeFault>& faults)
{
    static const std::regex quoted(R"(^\s*#\s*include\s*"([^"]+)\")");
    std::ifstream in(top / file);
    for (std::string line; std::getline(in, line);) {
        std::smatch match;
        if (!std::regex_search(line, match, quoted))
            continue;
        const std::string name = match[1];
        if (!fs::exists(top / name)) {
            if (fs::exists((top / file).parent_path() / name))
                faults.push_back({file, name, "not spelled from the repository root"});
            continue; // a header from outside the tree
        }
        const std::string owner = OwnerFolder(name, folders);
        if (!allowed.count(owner))
            faults.push_back({file, name, "its folder " + owner + " is not linked by " + file + "'s target"});
    }
}

std::vector<IncludeFault> LayeringFaults(const std::vector<LayerTarget>& targets)
{
    const fs::path top = quelmtest::SourceDir();
    std::set<std::string> folders;
    for (const LayerTarget& target : targets)
        folders.insert(target.folder);

    std::vector<IncludeFault> faults;
    std::set<std::string> checked;
    for (const LayerTarget& target : targets)
        for (const std::string& source : target.sources) {
            CheckFile(top, source, target.allowed, folders, faults);
            checked.insert(source);
        }

    // Headers and unbuilt sources answer to the targets of their folder: the libraries, or every
    // target for the files of tests, benchmarks, demos and fuzz targets.
    for (auto it = fs::recursive_directory_iterator(top); it != fs::recursive_directory_iterator(); ++it) {
        const std::string relative = fs::relative(it->path(), top).generic_string();
        const std::string name = it->path().filename().string();
        if (it->is_directory()) {
            if (name.rfind("build", 0) == 0 || name[0] == '.' || fs::exists(it->path() / "CMakeCache.txt"))
                it.disable_recursion_pending();
            continue;
        }
        const std::string ext = it->path().extension().string();
        if ((ext != ".h" && ext != ".cpp") || checked.count(relative))
            continue;
        const std::string owner = OwnerFolder(relative, folders);
        const bool anyTarget = InTestFolder(relative);
        bool ownerHasLibrary = false;
        for (const LayerTarget& target : targets)
            ownerHasLibrary |= target.folder == owner && target.library;
        std::set<std::string> allowed{owner};
        for (const LayerTarget& target : targets)
            if (target.folder == owner && (anyTarget || target.library || !ownerHasLibrary))
                allowed.insert(target.allowed.begin(), target.allowed.end());
        CheckFile(top, relative, allowed, folders, faults);
    }
    return faults;
}

std::string Describe(const std::vector<IncludeFault>& faults)
{
    std::string text;
    for (const IncludeFault& fault : faults)
        text += "\n  " + fault.file + ": \"" + fault.include + "\": " + fault.why;
    return text;
}

} // namespace

TEST(SourceRules, IncludesFollowTheLinkedLibrariesAndAreSpelledFromTheRoot)
{
    const std::vector<LayerTarget> targets = ReadLayers();
    ASSERT_FALSE(targets.empty()) << "no layering table at " << QUELM_LAYERS_FILE;
    const std::vector<IncludeFault> faults = LayeringFaults(targets);
    EXPECT_TRUE(faults.empty()) << Describe(faults);
}

// The check itself: a grid unit reaching up into the windows, a bare name, and what is allowed.
TEST(SourceRules, LayeringCheckCatchesAnIncludeAgainstTheLinks)
{
    quelmtest::TempDir dir;
    const auto write = [&](const std::string& path, const std::string& text) {
        fs::create_directories((dir.path() / path).parent_path());
        std::ofstream(dir.path() / path) << text;
    };
    write("lib/Low.h", "#pragma once\n");
    write("lib/Low.cpp", "#include \"lib/Low.h\"\n#include \"app/High.h\"\n");
    write("app/High.h", "#pragma once\n#include \"lib/Low.h\"\n");
    write("app/High.cpp", "#include \"High.h\"\n#include \"lib/Low.h\"\n#include <vector>\n#include \"gtest/gtest.h\"\n");

    std::vector<IncludeFault> faults;
    const std::set<std::string> folders{"lib", "app"};
    CheckFile(dir.path(), "lib/Low.cpp", {"lib"}, folders, faults);
    CheckFile(dir.path(), "app/High.cpp", {"app", "lib"}, folders, faults);
    CheckFile(dir.path(), "app/High.h", {"app", "lib"}, folders, faults);
    ASSERT_EQ(faults.size(), 2u) << Describe(faults);
    EXPECT_EQ(faults[0].file, "lib/Low.cpp");
    EXPECT_EQ(faults[0].include, "app/High.h");
    EXPECT_EQ(faults[1].file, "app/High.cpp");
    EXPECT_EQ(faults[1].include, "High.h");
    EXPECT_NE(faults[1].why.find("repository root"), std::string::npos);
}

// Libraries that stay clear of a part of Qt: the grid and what is built on it work without the
// database engine (the data-aware controls are a library of their own), the plot core, the
// evaluator and the shared runtime without any GUI library.
TEST(SourceRules, LibrariesStayClearOfTheQtPartsTheyDoNotNeed)
{
    const std::vector<LayerTarget> targets = ReadLayers();
    const struct {
        const char* library;
        std::vector<std::string> unwanted;
    } cases[] = {
        {"grid", {"Qt6::Sql"}},
        {"dropdown", {"Qt6::Sql"}},
        {"grid_dropdown_editors", {"Qt6::Sql"}},
        {"platform_framework", {"Qt6::Sql"}},
        {"shared_runtime", {"Qt6::Gui", "Qt6::Widgets"}},
        {"rowsift_core", {"Qt6::Gui", "Qt6::Widgets"}},
        {"plotwell_core", {"Qt6::Gui", "Qt6::Widgets"}},
    };
    for (const auto& c : cases) {
        const auto target = std::find_if(targets.begin(), targets.end(),
                                         [&](const LayerTarget& t) { return t.name == c.library; });
        ASSERT_NE(target, targets.end()) << c.library;
        EXPECT_TRUE(target->outside.count("Qt6::Widgets") || target->outside.count("Qt6::Core"))
            << c.library << " links no Qt at all: the table has no outside libraries";
        for (const std::string& unwanted : c.unwanted)
            EXPECT_FALSE(target->outside.count(unwanted)) << c.library << " links " << unwanted;
    }
}
