#pragma once
// The transformation tree of a substance: each node is a substance code with the fraction by
// which it forms from its parent, and its daughters as the substance's transformation scheme
// gives them. Building a node loads its daughters from the database, recursively.
#include "platform/rtl/Classes.h"

#include <memory>
#include <vector>

class TMetaboliet : public TObject {
public:
    // The root (fraction 0), or a daughter formed with `fraction`. A scheme in which a
    // substance forms, directly or through its metabolites, from itself is refused with an
    // Exception naming the cycle. Below "end" nothing is loaded: it ends a branch.
    explicit TMetaboliet(const String& code, double fraction = 0.0);
    ~TMetaboliet() override;

    const String& Code() const { return code_; }
    double Fraction() const { return fraction_; }
    const std::vector<std::unique_ptr<TMetaboliet>>& Daughters() const { return daughters_; }
    void AddDaughter(std::unique_ptr<TMetaboliet> daughter);

private:
    TMetaboliet(const String& code, double fraction, std::vector<String>& path);
    void Init(const String& code, double fraction, std::vector<String>& path);
    void LoadDaughters(std::vector<String>& path);

    String code_;
    double fraction_ = 0.0;
    std::vector<std::unique_ptr<TMetaboliet>> daughters_;
};

// The codes of the tree in depth-first pre-order, each once (compared without regard to
// case); the walk does not descend below a node whose code is exactly "end".
void CollectCompounds(const TMetaboliet& root, TStrings& codes);
