#include "CommonUnits/GeneralUnits/tests/settings_fixture.h"

TEST_F(SettingsTest, WorkFolderAndPerRunFileNames)
{
    const String work = dir.file("Projects");
    EXPECT_EQ(GetWorkDir(), work);
    EXPECT_TRUE(DirectoryExists(work));
    EXPECT_EQ(GetDatabaseName(), "Projects");
    const struct {
        String (*routine)(int);
        String expected;
    } cases[] = {
        {InputFileName, "17.qmi"},
        {InputFilePath, work + "/17.qmi"},
        {OutputFileName, "17.out"},
        {OutputFilePath, work + "/17.out"},
        {SummaryFileName, "17.sum"},
        {SummaryFilePath, work + "/17.sum"},
        {LogFilePath, work + "/17.log"},
        {LogFilePathUpperExt, work + "/17.log"},
        {ErrorFilePath, work + "/17.err"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.routine(17), c.expected);
}

TEST_F(SettingsTest, DotsInFolderNamesStayInTheWorkFolder)
{
    databaseFile = dir.file("v1.2/My.Projects.vantor");
    ForceDirectories(dir.file("v1.2"));
    EXPECT_EQ(GetWorkDir(), dir.file("v1.2/My.Projects"));
    EXPECT_EQ(GetDatabaseName(), "My.Projects");
}

TEST_F(SettingsTest, RunFilesExistAndAreDeleted)
{
    const String work = GetWorkDir();
    for (const char* name : {"17.qmi", "17.out", "17.sum", "17.log", "17.err", "17.bot", "170.out", "7.out",
                             "Station.met", "Scheme.irr", ".17.hidden", "17.ERR.bak"})
        quelmtest::WriteFileBytes(JoinPath(work, name), "x");
    EXPECT_TRUE(OutputFileExists(17));
    EXPECT_TRUE(SummaryFileExists(17));
    EXPECT_TRUE(ErrorFileExists(17));
    EXPECT_TRUE(LogFileExists(17));
    EXPECT_FALSE(OutputFileExists(18));

    DeleteRunOutputFiles(17);
    EXPECT_FALSE(OutputFileExists(17));
    EXPECT_FALSE(SummaryFileExists(17));
    EXPECT_FALSE(LogFileExists(17));
    EXPECT_TRUE(ErrorFileExists(17)); // the error file stays
    DeleteRunOutputFiles(17);         // missing files are no error

    DeleteAllRunFiles(17);
    std::vector<String> left = FindFiles(work, "*");
    EXPECT_EQ(left, (std::vector<String>{".17.hidden", "170.out", "7.out", "Scheme.irr", "Station.met"}));
}

TEST_F(SettingsTest, DeleteFilesByMaskCountsWhatMatched)
{
    const String folder = dir.file("masks");
    ForceDirectories(folder + "/sub.txt");
    for (const char* name : {"a.txt", "B.TXT", "c.dat", ".hidden.txt"})
        quelmtest::WriteFileBytes(JoinPath(folder, name), "x");
    const struct {
        String mask;
        int count;
    } cases[] = {
        {"*.dat", 1},
        {"nothing*", 0},
        {"*.txt", 2}, // letter case ignored; folders and hidden files never match
        {"*", 0},     // all of them are gone already
    };
    for (const auto& c : cases)
        EXPECT_EQ(DeleteFilesByMask(folder, c.mask), c.count) << c.mask;
    EXPECT_TRUE(DirectoryExists(folder + "/sub.txt"));
    EXPECT_TRUE(FileExists(folder + "/.hidden.txt"));
    EXPECT_EQ(DeleteFilesByMask(dir.file("no-folder"), "*"), 0);
}

TEST(JoinPath, ExactlyOneDelimiter)
{
    EXPECT_EQ(JoinPath("/a/b", "c.txt"), "/a/b/c.txt");
    EXPECT_EQ(JoinPath("/a/b/", "c.txt"), "/a/b/c.txt");
    String text = "name.with.dots";
    RemoveExtension(text);
    EXPECT_EQ(text, "name.with");
    text = "plain";
    RemoveExtension(text);
    EXPECT_EQ(text, "plain");
}

TEST_F(SettingsTest, NoOpenDatabaseIsAnInternalError)
{
    SetDatabaseFileNameSource(nullptr);
    EXPECT_THROW(GetWorkDir(), EAssertionFailed);
}
