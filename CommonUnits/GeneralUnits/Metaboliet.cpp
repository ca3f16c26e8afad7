#include "CommonUnits/GeneralUnits/Metaboliet.h"

#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include <utility>

namespace {

const String kEndOfBranch = "end";

void Collect(const TMetaboliet& node, TStrings& codes)
{
    if (codes.IndexOf(node.Code()) < 0)
        codes.Add(node.Code());
    if (node.Code() == kEndOfBranch)
        return;
    for (const auto& daughter : node.Daughters())
        Collect(*daughter, codes);
}

} // namespace

TMetaboliet::TMetaboliet(const String& code, double fraction)
{
    std::vector<String> path;
    Init(code, fraction, path);
}

TMetaboliet::TMetaboliet(const String& code, double fraction, std::vector<String>& path)
{
    Init(code, fraction, path);
}

TMetaboliet::~TMetaboliet() = default;

void TMetaboliet::Init(const String& code, double fraction, std::vector<String>& path)
{
    code_ = code;
    fraction_ = fraction;
    daughters_.clear();
    LoadDaughters(path);
}

void TMetaboliet::AddDaughter(std::unique_ptr<TMetaboliet> daughter)
{
    daughters_.push_back(std::move(daughter));
}

void TMetaboliet::LoadDaughters(std::vector<String>& path)
{
    if (code_ == kEndOfBranch)
        return;
    for (const String& ancestor : path) {
        if (SameText(ancestor, code_)) {
            String cycle;
            for (const String& step : path)
                cycle += step + " -> ";
            throw Exception("The transformation scheme of substance " + path.front() +
                            " contains a cycle: " + cycle + code_ +
                            ". A substance cannot form from itself; correct the transformations.");
        }
    }
    std::unique_ptr<TQuery> q(dmQuelm->NewQuery());
    if (!q || !dmQuelm->QueryDaughters(code_, q.get()))
        return;
    // The rows are read first: building a daughter runs queries of its own.
    std::vector<std::pair<String, double>> rows;
    for (q->First(); !q->Eof(); q->Next())
        rows.emplace_back(q->FieldByName("SUBSTANCECODEOUT")->AsString(), q->FieldByName("FRAPRTDAU")->AsFloat());
    q.reset();
    path.push_back(code_);
    for (const auto& [code, fraction] : rows)
        AddDaughter(std::unique_ptr<TMetaboliet>(new TMetaboliet(code, fraction, path)));
    path.pop_back();
}

void CollectCompounds(const TMetaboliet& root, TStrings& codes)
{
    Collect(root, codes);
}
