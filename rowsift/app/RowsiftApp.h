#pragma once
// The rowsift program: one selection per run, between showing its window and ending.
//
//   rowsift setfilename -o outputfile [-s skipstr] [-xy]
//
// A fatal error is written to standard error, shown in message boxes unless they are
// switched off (ROWSIFT_NO_MESSAGE_BOX=1, or the offscreen/minimal platform), and ends the
// program with exit status 1; no output file is left behind.
#include "common/runtime/shared_routines.h"

#include <string>
#include <vector>

class CSelectionFrame;

class CRowsiftApp {
public:
    // Runs the whole program on the command-line words; returns the exit status.
    int Run(std::vector<std::string> words);

    // The command-line words after the program name, split at blanks; a word in single,
    // double or back quotes keeps its blanks ('' inside single quotes is one quote). A single
    // argument with blanks is a whole command line; an argument with blanks is one word.
    static std::vector<std::string> CommandWords(int argc, char** argv);
    static bool MessageBoxesOff();

private:
    bool InitInstance();
    void rowsift_main();
    void ShowExitBox(const std::string& text);

    CSelectionFrame* frame_ = nullptr;
    std::vector<std::string> words_;
    bool boxes_ = true;
    // rowsift's variant of the shared routines, with its message boxes.
    shared_context shared_;
};

// The usage text of a command line without a settings file or with an unknown flag.
extern const char* const kRowsiftUsage;
