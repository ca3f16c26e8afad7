// Makes a project database from the shipped SQL: make_demo_database [--replace] [--empty] <file>.
// Without --empty it holds the demo data; with it only the schema, the rule texts and the
// version row (the server check's connection test database).
#include "CommonUnits/GeneralUnits/DemoDatabase.h"

#include "platform/rtl/FileUtils.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    bool replace = false;
    bool empty = false;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--replace") == 0)
            replace = true;
        else if (std::strcmp(argv[i], "--empty") == 0)
            empty = true;
        else
            path = argv[i];
    }
    if (!path) {
        std::fprintf(stderr, "usage: make_demo_database [--replace] [--empty] <file>\n");
        return 2;
    }
    try {
        if (replace && FileExists(path))
            DeleteFile(path);
        CreateProjectDatabase(path, !empty);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_demo_database: %s\n", e.what());
        return 1;
    }
    return 0;
}
