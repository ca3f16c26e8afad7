// Fuzzes the expression evaluator. The input's first line is an expression text; the
// following words are field texts for a column expression made of the same text. Besides
// looking for crashes, it checks that a column expression's compiled evaluation gives
// exactly what evaluating its built text gives.
#include "rowsift/expression_evaluator.h"
#include "common/runtime/shared_routines.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct outcome {
    int code = -100;
    double value = 0;
    std::string message;
    expression_variables variables;
};

template <class F>
outcome run(F&& evaluate)
{
    outcome o;
    try {
        o.code = evaluate(o.variables, o.value);
    } catch (const fatal_error_exception& e) {
        o.message = e.what();
    }
    return o;
}

bool same(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 2048)
        return 0;
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t end = input.find('\n');
    std::string text = input.substr(0, end);
    if (text.find('\0') != std::string::npos)
        return 0;

    std::string copy = text;
    run([&](expression_variables& variables, double& v) { return evaluate_expression(variables, copy, v); });

    std::vector<std::string> words;
    if (end != std::string::npos)
        words = split_fields(input.substr(end + 1), ' ', 0);
    column_expression expression(text);
    std::vector<const char*> fields;
    for (size_t i = 0; i < expression.references().size(); ++i)
        fields.push_back(words.empty() ? "1" : words[i % words.size()].c_str());
    for (const char* f : fields)
        if (!is_number(shared_variant::rowsift, f))
            return 0;
    outcome compiled = run([&](expression_variables& variables, double& v) {
        return expression.evaluate(variables, fields.data(), v);
    });
    outcome textual = run([&](expression_variables& variables, double& v) {
        std::string built = expression.build_text(fields.data());
        return evaluate_expression(variables, built, v);
    });
    bool agree = compiled.code == textual.code && compiled.message == textual.message &&
                 (compiled.code != 0 || same(compiled.value, textual.value));
    for (int k = 0; k < 26 && agree; ++k)
        agree = same(compiled.variables.value[k], textual.variables.value[k]);
    if (!agree)
        std::abort();
    return 0;
}
