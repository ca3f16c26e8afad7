// Golden tests of the real rowsift program. Each folder below tests/golden/ is one run:
//   args      the command-line words, one per line (or cmdline: one line passed as a single
//             argument, as the GUI passes its command line)
//   env       optional NAME=VALUE lines; @DIR@ stands for the run's folder
//   stdin     optional standard input
//   expected  the output file's bytes; without it the run must leave no output file
//   outname   the output file's name when not out.txt
//   status    the exit status (default 0); stderr: standard error, exactly
// Every other file is copied into a fresh folder where the program runs. Afterwards the
// temp folder must be empty: no temporary file stays behind.
#include "platform/testing/quelm_test_support.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const fs::path& golden_root()
{
    static const fs::path root = fs::path(quelmtest::SourceDir()) / "rowsift" / "tests" / "golden";
    return root;
}

std::vector<std::string> case_names()
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(golden_root()))
        if (entry.is_directory())
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> read_lines(const fs::path& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string replace_all(std::string text, const std::string& from, const std::string& to)
{
    for (size_t p = text.find(from); p != std::string::npos; p = text.find(from, p + to.size()))
        text.replace(p, from.size(), to);
    return text;
}

class RowsiftGolden : public ::testing::TestWithParam<std::string> {};

TEST_P(RowsiftGolden, MatchesTheExpectedRun)
{
    const fs::path source = golden_root() / GetParam();
    quelmtest::TempDir work;
    quelmtest::TempDir temp;
    static const std::set<std::string> control = {"args", "cmdline", "env", "stdin", "expected", "outname", "status",
                                                  "stderr"};
    for (const auto& entry : fs::recursive_directory_iterator(source)) {
        const fs::path relative = fs::relative(entry.path(), source);
        if (control.count(relative.string()))
            continue;
        if (entry.is_directory())
            fs::create_directories(work.path() / relative);
        else
            fs::copy_file(entry.path(), work.path() / relative);
    }

    QStringList arguments;
    if (fs::exists(source / "cmdline")) {
        arguments << QString::fromStdString(read_lines(source / "cmdline").at(0));
    } else if (fs::exists(source / "args")) {
        for (const std::string& word : read_lines(source / "args"))
            arguments << QString::fromStdString(word);
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("ROWSIFT_NO_MESSAGE_BOX", "1");
    environment.insert("TMP", QString::fromStdString(temp.str()));
    if (fs::exists(source / "env")) {
        for (const std::string& line : read_lines(source / "env")) {
            size_t eq = line.find('=');
            environment.insert(QString::fromStdString(line.substr(0, eq)),
                               QString::fromStdString(replace_all(line.substr(eq + 1), "@DIR@", work.str())));
        }
    }
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(QString::fromStdString(work.str()));
    process.start(QStringLiteral(ROWSIFT_EXE), arguments);
    ASSERT_TRUE(process.waitForStarted());
    if (fs::exists(source / "stdin"))
        process.write(QByteArray::fromStdString(quelmtest::ReadFileBytes((source / "stdin").string())));
    process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished(60000));

    int status = 0;
    if (fs::exists(source / "status"))
        status = std::stoi(read_lines(source / "status").at(0));
    const std::string standard_error = process.readAllStandardError().toStdString();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), status) << standard_error;
    std::string expected_error;
    if (fs::exists(source / "stderr"))
        expected_error = quelmtest::ReadFileBytes((source / "stderr").string());
    EXPECT_EQ(standard_error, expected_error);

    std::string outname = "out.txt";
    if (fs::exists(source / "outname"))
        outname = read_lines(source / "outname").at(0);
    const fs::path output = work.path() / outname;
    if (fs::exists(source / "expected")) {
        ASSERT_TRUE(fs::exists(output)) << outname;
        EXPECT_EQ(quelmtest::ReadFileBytes(output.string()), quelmtest::ReadFileBytes((source / "expected").string()));
    } else {
        EXPECT_FALSE(fs::exists(output)) << "a failed run left " << outname;
    }
    for (const auto& left : fs::recursive_directory_iterator(work.path()))
        EXPECT_EQ(left.path().filename().string().find(".part"), std::string::npos) << left.path();
    EXPECT_TRUE(fs::is_empty(temp.path())) << "temporary files stayed in " << temp.str();
}

INSTANTIATE_TEST_SUITE_P(Cases, RowsiftGolden, ::testing::ValuesIn(case_names()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

} // namespace
