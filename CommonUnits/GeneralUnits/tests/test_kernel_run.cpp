// A kernel run with the stand-in kernel of the build, and the readers of its files.
#include "CommonUnits/GeneralUnits/KernelRun_Unit.h"
#include "CommonUnits/GeneralUnits/tests/settings_fixture.h"

#include "platform/framework/CheckLst.h"
#include "platform/framework/Forms.h"
#include "CommonUnits/GeneralUnits/Utils_Misc_Unit.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;

// The items of a check list with their marks: "text [x]" or "text [ ]".
std::vector<String> CheckListItems(const TCheckListBox& list)
{
    std::vector<String> items;
    for (int i = 0; i < list.Items()->Count(); ++i)
        items.push_back(list.Items()->Strings(i) + (list.Checked(i) ? " [x]" : " [ ]"));
    return items;
}

// The kernel is looked for beside the running program; the build puts it in its program
// folder, so the test program gets a link to it.
class KernelRunTest : public SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        SetRunAndWaitPollPeriod(10);
        const fs::path built = fs::path(GetExeDir()) / ".." / ".." / "bin" / "Quelmmodel";
        ASSERT_TRUE(fs::exists(built)) << "no kernel built at " << built;
        kernel = GetKernelExeName();
        if (!fs::exists(fs::symlink_status(kernel)))
            fs::create_symlink(fs::canonical(built), kernel);
        work = GetWorkDir();
        for (const auto& entry : fs::directory_iterator(quelmtest::SourceDir() + "/kernel/tests/fixtures"))
            fs::copy_file(entry.path(), fs::path(work) / entry.path().filename());
    }
    void TearDown() override
    {
        unsetenv("QUELMMODEL_FAIL");
        SetRunAndWaitPollPeriod(100);
        Screen->SetCursor(crDefault);
        SettingsTest::TearDown();
    }
    String WorkFile(const String& name) const { return JoinPath(work, name); }

    String kernel;
    String work;
};

} // namespace

TEST_F(KernelRunTest, SuccessLeavesNoErrorFileAndTheFilesTheGuiReads)
{
    EXPECT_EQ(RunKernel("17.qmi", rwHidden), rsSucceeded);
    EXPECT_EQ(quelmtest::ReadFileBytes(WorkFile("run.sh")), "#!/bin/sh\n\"" + kernel + "\" 17.qmi\n");
    EXPECT_FALSE(FileExists(WorkFile("17.err")));
    EXPECT_TRUE(OutputFileExists(17));
    EXPECT_TRUE(SummaryFileExists(17));
    EXPECT_TRUE(LogFileExists(17));

    TCheckListBox depths(nullptr);
    LoadOutputHeaderItems(true, OutputFilePath(17), &depths);
    EXPECT_EQ(CheckListItems(depths), (std::vector<String>{"0.025 [x]", "0.075 [x]", "0.95 [x]"}));
}

TEST_F(KernelRunTest, FaultyInputIsAModelErrorWithItsListing)
{
    fs::remove(WorkFile("DEMO1.met"));
    EXPECT_EQ(RunKernel("17.qmi", rwMinimized), rsModelError);
    const String text = ReadTextFile(ErrorFilePath(17));
    EXPECT_NE(text.find("DEMO1.met"), String::npos) << text;
    EXPECT_NE(text.find("\r\n"), String::npos);
}

TEST_F(KernelRunTest, InterruptedRunsLeaveAnEmptyOrTwelveLineErrorFile)
{
    for (const char* mode : {"interrupt", "interrupt-empty"}) {
        SCOPED_TRACE(mode);
        setenv("QUELMMODEL_FAIL", mode, 1); // the kernel inherits the caller's environment
        EXPECT_EQ(RunKernel("17.qmi", rwNormal), rsInterrupted);
    }
}

TEST_F(KernelRunTest, ErrorFileLeftByAnEarlierRunDecidesWhenTheKernelLeavesItAlone)
{
    quelmtest::WriteFileBytes(WorkFile("17.err"), "Error of an earlier run\n");
    setenv("QUELMMODEL_FAIL", "silent", 1); // a kernel that touches no file
    EXPECT_EQ(RunKernel("17.qmi", rwHidden), rsModelError);
    unsetenv("QUELMMODEL_FAIL");
    EXPECT_EQ(RunKernel("17.qmi", rwHidden), rsSucceeded); // the stand-in removes it
}

TEST_F(KernelRunTest, KernelThatCannotBeStartedIsNotStarted)
{
    fs::remove(kernel);
    EXPECT_EQ(RunKernel("17.qmi", rwNormal), rsNotStarted);
    EXPECT_FALSE(FileExists(WorkFile("17.out")));
}

TEST_F(KernelRunTest, WindowModeOutsideTheThreeIsRefused)
{
    EXPECT_THROW(RunKernel("17.qmi", static_cast<TRunWindowMode>(3)), Exception);
}

TEST_F(SettingsTest, ErrorFileDecidesTheOutcome)
{
    struct Case {
        const char* content; // nullptr: no file
        TRunResultState state;
    };
    const String twelve = "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n";
    const Case cases[] = {
        {nullptr, rsSucceeded},
        {"", rsInterrupted},
        {"1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n", rsModelError},
        {"1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n", rsInterrupted},
        {"1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12", rsInterrupted}, // last line without end
        {"1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n", rsModelError},
        {"Error in input\n", rsModelError},
    };
    for (const Case& c : cases) {
        const String path = dir.file("5.err");
        fs::remove(path);
        if (c.content)
            quelmtest::WriteFileBytes(path, c.content);
        EXPECT_EQ(ClassifyErrorFile(path), c.state) << (c.content ? c.content : "(none)");
    }
    EXPECT_THROW(CountLines(dir.file("none.err")), EInOutError);
}

TEST_F(SettingsTest, ReadTextFileEndsLinesWithCrLfAndDropsExtendedCharacters)
{
    quelmtest::WriteFileBytes(dir.file("e.err"), "caf\xe9 au lait\nline 2\r\nlast");
    EXPECT_EQ(ReadTextFile(dir.file("e.err")), "caf au lait\r\nline 2\r\nlast\r\n");
    EXPECT_THROW(ReadTextFile(dir.file("none.err")), EInOutError);
}

TEST_F(SettingsTest, OutputHeaderItemsAreTheWordsFromTheThird)
{
    struct Case {
        const char* text;
        std::vector<String> items;
    };
    const Case cases[] = {
        {"a b VarX VarY\n1 2 3 4\n", {"VarX", "VarY"}},
        {"* comment\n*\n   Time  Date   0.05  0.1\n", {"0.05", "0.1"}},
        {"* comment\nTime Date\n", {}},
        {"* comment\n\nTime Date 0.05\n", {}}, // an empty line before the header
        {"* only comments\n", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        quelmtest::WriteFileBytes(dir.file("h.out"), c.text);
        TCheckListBox list(nullptr);
        list.SetChecked(list.Items()->Add("kept"), true);
        LoadOutputHeaderItems(false, dir.file("h.out"), &list);
        std::vector<String> expected{"kept [x]"};
        for (const String& item : c.items)
            expected.push_back(item + " [ ]");
        EXPECT_EQ(CheckListItems(list), expected) << c.text;
    }
    EXPECT_EQ(boxes.Count(), 0);

    TCheckListBox none(nullptr);
    LoadOutputHeaderItems(true, dir.file("none.out"), &none);
    EXPECT_EQ(none.Items()->Count(), 0);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, "Internal error: output file not found");
    EXPECT_EQ(boxes.Last().Kind, TMessageBoxKind::Error);
}
