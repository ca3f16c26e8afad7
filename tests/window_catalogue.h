#pragma once
// Every window of the system, for the checks that run over all of them. A window issue adds
// its windows to the catalogue in window_catalogue.cpp.
#include "platform/framework/Forms.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct TWindowEntry {
    std::string Name;
    // Creates the window (its OnCreate has run) ready to be shown; the check frees it.
    std::function<TForm*()> Create;
    // Pairs of sibling controls (by component name) that overlap on purpose, such as a label
    // that waits behind a grid.
    std::vector<std::pair<std::string, std::string>> AllowedOverlaps;
};

// A fixture a window needs (a database, a settings folder...) lives as long as this object;
// the catalogue makes one for each check.
class TWindowCatalogue {
public:
    TWindowCatalogue();
    ~TWindowCatalogue();
    const std::vector<TWindowEntry>& Entries() const { return entries_; }

private:
    struct Fixtures;
    std::unique_ptr<Fixtures> fixtures_;
    std::vector<TWindowEntry> entries_;
};
