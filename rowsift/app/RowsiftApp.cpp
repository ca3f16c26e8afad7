#include "rowsift/app/RowsiftApp.h"

#include "rowsift/app/SelectionFrame.h"

#include "rowsift/row_selection.h"
#include "common/runtime/shared_routines.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMessageBox>

#include <clocale>
#include <cstdlib>
#include <cstring>

const char* const kRowsiftUsage =
    "usage: rowsift setfilename [-o outputfilename] [-s skipstr] [-xy]\n"
    "       -s:  if \"skipstr\" is found at the beginning of a line\n"
    "            in the data file the line is skipped\n"
    "       -xy: data selection if of type xy\n"
    "             (the data command of xy)\n";

namespace {

constexpr int kMaxWords = 300;
constexpr int kFatalExitStatus = 1;

[[noreturn]] void fatal_usage()
{
    fatal_error("%s", kRowsiftUsage);
}

bool has_blank(const char* text)
{
    for (; *text; ++text)
        if (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r' || *text == '\v' || *text == '\f')
            return true;
    return false;
}

} // namespace

std::vector<std::string> CRowsiftApp::CommandWords(int argc, char** argv)
{
    // The words are split from one command line, as the program always did. A single
    // argument with blanks is that command line itself. Otherwise the arguments are joined
    // again: one that holds blanks (a shell-quoted name) is put in quotes so that it stays
    // one word, and the pieces of a single-quoted name that a launcher split at its blanks
    // ('my out''s.txt') come together again.
    if (argc == 2 && has_blank(argv[1]))
        return split_fields(argv[1], ' ', kMaxWords);
    std::string line;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (i > 1)
            line += ' ';
        if (!arg.empty() && !has_blank(arg.c_str())) {
            line += arg;
        } else if (arg.find('"') == std::string::npos) {
            line += '"' + arg + '"';
        } else {
            line += '\'';
            for (char c : arg)
                line += c == '\'' ? std::string("''") : std::string(1, c);
            line += '\'';
        }
    }
    return split_fields(line, ' ', kMaxWords);
}

bool CRowsiftApp::MessageBoxesOff()
{
    const char* off = std::getenv("ROWSIFT_NO_MESSAGE_BOX");
    if (off && *off && std::strcmp(off, "0") != 0)
        return true;
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

void CRowsiftApp::ShowExitBox(const std::string& text)
{
    if (boxes_)
        QMessageBox::critical(nullptr, QStringLiteral("rowsift"), QString::fromLatin1(text.c_str()));
}

bool CRowsiftApp::InitInstance()
{
    boxes_ = !MessageBoxesOff();
    shared_.variant = shared_variant::rowsift;
    shared_.message_handler = [this](const std::string& text) {
        if (boxes_)
            QMessageBox::warning(frame_, QStringLiteral("Message"), QString::fromLatin1(text.c_str()));
        else
            std::fprintf(stderr, "%s%s", text.c_str(), (!text.empty() && text.back() == '\n') ? "" : "\n");
    };
    frame_ = new CSelectionFrame;
    frame_->PlaceOnScreen();
    frame_->show();
    QCoreApplication::processEvents();
    return true;
}

void CRowsiftApp::rowsift_main()
{
    data_selection_setup setup;
    setup.context = shared_;
    std::string value;
    take_option_argument(value, words_, "-s");
    setup.skip_string = value.empty() ? std::string("*") : value;
    take_option_argument(value, words_, "-o");
    if (value.empty())
        fatal_error("Define outputfile with: -o OutputFile!");
    setup.output_path = expand_environment_path(value);
    unsigned flags = 0;
    collect_flag_letters(flags, words_, "xy", [](char) { fatal_usage(); });
    if (words_.empty())
        fatal_usage();
    setup.xy_mode = flags != 0;
    setup.settings = open_file_or_fail(shared_, words_.front(), "r");

    QElapsedTimer since_refresh;
    since_refresh.start();
    setup.on_row_accepted = [this, &since_refresh](const selection_progress& progress) {
        if (!progress.largest_raised || progress.largest_rows % 10 != 0)
            return;
        frame_->ShowCount(progress.largest_rows);
        if (since_refresh.elapsed() >= 100) {
            frame_->Refresh();
            since_refresh.restart();
        }
    };
    frame_->BeginSelection();
    run_data_selection(std::move(setup));
    frame_->EndSelection();
}

int CRowsiftApp::Run(std::vector<std::string> words)
{
    words_ = std::move(words);
    std::string failure;
    try {
        InitInstance();
        rowsift_main();
    } catch (const fatal_error_exception& e) {
        failure = e.what();
    } catch (const std::bad_alloc&) {
        failure = "Can't allocate memory";
    } catch (const std::exception& e) {
        failure = e.what();
    }
    if (frame_)
        frame_->EndSelection();
    if (failure.empty()) {
        delete frame_;
        return 0;
    }
    std::fprintf(stderr, "%s%s", failure.c_str(), failure.back() == '\n' ? "" : "\n");
    if (boxes_) {
        report_fatal_error(shared_, failure, [this](const std::string& text) { ShowExitBox(text); });
    }
    delete frame_;
    return kFatalExitStatus;
}
