#include "rowsift/expression_evaluator.h"

#include "common/runtime/shared_routines.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

namespace {

using token = column_expression::token;

constexpr double kPi = 3.141592653589793;
// Deeper nesting than this (brackets, powers, MIN/MAX calls) is a syntax error instead of
// a stack overflow.
constexpr int kMaxDepth = 400;

struct function_name {
    const char* name;
    unsigned char code;
};
constexpr function_name kFunctions[] = {
    {"SIN", 4},  {"ASIN", 5},  {"SINH", 6}, {"COS", 7},   {"ACOS", 8},  {"COSH", 9},
    {"TAN", 10}, {"ATAN", 11}, {"TANH", 12}, {"LOG", 13}, {"LOG10", 14}, {"SQRT", 15},
    {"EXP", 16}, {"ABS", 17},  {"DTR", 18}, {"RTD", 19},
};

bool is_letter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// The characters that end a name or a number token.
bool ends_token(char c)
{
    switch (c) {
    case 0: case ' ': case '\t': case '\r':
    case '+': case '-': case '*': case '/': case '^': case '=': case '(': case ')':
        return true;
    default:
        return false;
    }
}

bool is_operator_char(char c)
{
    return c != 0 && std::strchr("+-*/^=()", c) != nullptr;
}

char upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Reads the token at text[i]; returns its length (0 for the end token).
size_t read_token(std::string_view text, size_t i, token& t)
{
    t = token{};
    if (i >= text.size())
        return 0;
    char c = text[i];
    if (is_operator_char(c)) {
        t.kind = 1;
        t.delimiter = c;
        return 1;
    }
    if (is_letter(c)) {
        size_t end = i + 1;
        while (end < text.size() && !ends_token(text[end]))
            ++end;
        std::string_view name = text.substr(i, end - i);
        t.kind = 2;
        t.variable = static_cast<unsigned char>(upper(c) - 'A');
        for (const auto& f : kFunctions)
            if (name.size() == std::strlen(f.name)) {
                bool same = true;
                for (size_t k = 0; k < name.size() && same; ++k)
                    same = upper(name[k]) == f.name[k];
                if (same)
                    t.function = f.code;
            }
        return end - i;
    }
    if (is_digit(c) || c == '.') {
        size_t end = i;
        while (end < text.size() && (end == i || !ends_token(text[end]))) {
            // an exponent letter takes its sign (or whatever follows) into the number
            if (upper(text[end]) == 'E' && end + 1 < text.size())
                end += 2;
            else
                ++end;
        }
        std::string number(text.substr(i, end - i));
        t.kind = 3;
        t.number = c_strtod(number.c_str());
        return end - i;
    }
    return 0; // a character that starts no token
}

// The token list of a text up to its first character that starts no token.
void tokenize(std::string_view text, std::vector<token>& out)
{
    out.clear();
    size_t i = 0;
    for (;;) {
        token t;
        size_t n = read_token(text, i, t);
        out.push_back(t);
        if (t.kind == 0)
            return;
        i += n;
    }
}

double apply_function(int code, double x, int& error)
{
    switch (code) {
    case 4: return std::sin(x);
    case 5:
        if (std::fabs(x) > 1) { error = expr_domain_error; return 0; }
        return std::asin(x);
    case 6: return std::sinh(x);
    case 7: return std::cos(x);
    case 8:
        if (std::fabs(x) > 1) { error = expr_domain_error; return 0; }
        return std::acos(x);
    case 9: return std::cosh(x);
    case 10: return std::tan(x);
    case 11: return std::atan(x);
    case 12: return std::tanh(x);
    case 13: return x <= 0 ? 0 : std::log(x);
    case 14: return x <= 0 ? 0 : std::log10(x);
    case 15: return x < 0 ? 0 : std::sqrt(x);
    case 16: return std::exp(x);
    case 17: return std::fabs(x);
    case 18: return degrees_to_radians(x);
    case 19: return radians_to_degrees(x);
    default: return x;
    }
}

// Recursive descent over a token list; the current token is read before each level is
// entered. Once an error is set no level descends further.
class parser {
public:
    parser(const token* tokens, int& error, expression_variables& variables)
        : tokens_(tokens), error_(error), vars_(variables.value)
    {
    }

    // Reads the first token; error 1 when the text has none.
    double run()
    {
        next();
        if (tok_->kind == 0) {
            error_ = expr_no_expression;
            return 0;
        }
        return assignment();
    }

private:
    void next()
    {
        tok_ = &tokens_[pos_];
        if (tok_->kind != 0)
            ++pos_;
    }
    void put_back()
    {
        if (tok_->kind != 0)
            --pos_;
    }
    bool is(char delimiter) const { return tok_->kind == 1 && tok_->delimiter == delimiter; }

    double assignment()
    {
        if (error_)
            return 0;
        if (tok_->kind == 2) {
            const token* name = tok_;
            next();
            if (is('=')) {
                next();
                double v = sum();
                if (!error_)
                    vars_[name->variable] = v;
                return v;
            }
            put_back();
            tok_ = name;
        }
        return sum();
    }

    double sum()
    {
        double v = product();
        while (!error_ && (is('+') || is('-'))) {
            char op = tok_->delimiter;
            next();
            double r = product();
            if (error_)
                break;
            v = op == '+' ? v + r : v - r;
        }
        return v;
    }

    double product()
    {
        double v = power();
        while (!error_ && (is('*') || is('/'))) {
            char op = tok_->delimiter;
            next();
            double r = power();
            if (error_)
                break;
            if (op == '*') {
                v = v * r;
            } else if (r == 0 || std::isnan(r)) {
                error_ = expr_division_by_zero; // the left operand stays
            } else {
                v = v / r;
            }
        }
        return v;
    }

    double power()
    {
        if (++depth_ > kMaxDepth) {
            error_ = expr_syntax_error;
            return 0;
        }
        double v = unary();
        if (!error_ && is('^')) {
            next();
            double r = power();
            if (!error_)
                v = std::pow(v, r);
        }
        --depth_;
        return v;
    }

    double unary()
    {
        char op = 0;
        int function = 0;
        if (is('+') || is('-')) {
            op = tok_->delimiter;
            next();
        } else if (tok_->kind == 2 && tok_->function) {
            function = tok_->function;
            next();
        }
        double v = parenthesis();
        if (error_)
            return v;
        if (op == '-')
            v = -v;
        else if (function)
            v = apply_function(function, v, error_);
        return v;
    }

    double parenthesis()
    {
        if (!is('('))
            return operand();
        if (++depth_ > kMaxDepth) {
            error_ = expr_syntax_error;
            return 0;
        }
        next();
        double v = assignment();
        --depth_;
        if (error_)
            return v;
        if (!is(')')) {
            error_ = expr_unbalanced_parenthesis;
            return v;
        }
        next();
        return v;
    }

    double operand()
    {
        double v = 0;
        if (tok_->kind == 2)
            v = vars_[tok_->variable];
        else if (tok_->kind == 3)
            v = tok_->number;
        else {
            error_ = expr_syntax_error;
            return 0;
        }
        next();
        return v;
    }

    const token* tokens_;
    const token* tok_ = nullptr;
    size_t pos_ = 0;
    int& error_;
    double* vars_;
    int depth_ = 0;
};

// Evaluates one sub-text (an IF condition side, a MIN/MAX argument): first token, error 1
// when there is none, then the assignment level.
double evaluate_part(expression_variables& variables, std::string_view text, int& error)
{
    std::vector<token> tokens;
    tokenize(text, tokens);
    parser p(tokens.data(), error, variables);
    return p.run();
}

bool is_name_char(char c)
{
    return is_letter(c) || is_digit(c) || c == '.' || c == '_' || c == '$';
}

// Position of the next call "NAME(" at or after from whose name is not the tail of a
// longer name (XMAX(1) reads variable X, ADMIN is a variable); npos when none.
size_t find_function(const std::string& text, const char* name, size_t from)
{
    for (size_t p = text.find(name, from); p != std::string::npos; p = text.find(name, p + 1)) {
        if (p + 3 < text.size() && text[p + 3] == '(' && (p == 0 || !is_name_char(text[p - 1])))
            return p;
    }
    return std::string::npos;
}

// Index of the bracket that closes text[at] (nested pairs counted); npos when the text ends
// first.
size_t closing_index(const std::string& text, size_t at, char opening, char closing)
{
    int level = 0;
    for (size_t i = at; i < text.size(); ++i) {
        if (text[i] == opening)
            ++level;
        else if (text[i] == closing && --level == 0)
            return i;
    }
    return std::string::npos;
}

struct rewriting {
    expression_variables& variables;
    std::string work;
    int error = 0;
    int depth = 0;
};

// Replaces the MIN or MAX call at pos by its value. 0 when replaced; -1 / -2 when its
// arguments hold a further MIN / MAX call; 3 when the bracket is not closed (or empty);
// 1 or 2 when an argument is no expression or has a syntax error.
int expand_min_max(size_t pos, rewriting& r, bool is_max)
{
    std::string& work = r.work;
    size_t open = pos + 3;
    int inner = find_closing_bracket(work.c_str() + open, '(', ')');
    if (inner == 0)
        return expr_unbalanced_parenthesis;
    std::string args = work.substr(open + 1, static_cast<size_t>(inner));
    if (find_function(args, "MIN", 0) != std::string::npos)
        return -1;
    if (find_function(args, "MAX", 0) != std::string::npos)
        return -2;
    std::vector<char*> fields;
    split_fields(args.data(), fields, ',', 32);
    if (fields.empty())
        return expr_no_expression;
    double result = 0;
    for (size_t i = 0; i < fields.size(); ++i) {
        // Errors 4 and 5 of an argument stay inside it; its value is what the parser left.
        int error = 0;
        double v = evaluate_part(r.variables, fields[i], error);
        if (error >= expr_no_expression && error <= expr_unbalanced_parenthesis)
            return error;
        if (i == 0 || (is_max ? v > result : v < result))
            result = v;
    }
    std::string replaced = work.substr(0, pos);
    replaced += format_double("%G", result);
    replaced += work.substr(open + static_cast<size_t>(inner) + 2);
    work = std::move(replaced);
    return 0;
}

// Expands the call at pos, its inner calls first.
int expand_call(size_t pos, rewriting& r, bool is_max)
{
    if (++r.depth > kMaxDepth)
        return expr_syntax_error;
    int result;
    for (;;) {
        result = expand_min_max(pos, r, is_max);
        if (result >= 0)
            break;
        bool inner_max = result == -2;
        size_t inner = find_function(r.work, inner_max ? "MAX" : "MIN", pos + 4);
        int code = inner == std::string::npos ? expr_syntax_error : expand_call(inner, r, inner_max);
        if (code > 0) {
            result = code;
            break;
        }
    }
    --r.depth;
    return result;
}

bool condition_value(expression_variables& variables, const std::string& condition, int& error)
{
    size_t at = std::string::npos;
    int op = 0;
    size_t length = 2;
    if ((at = condition.find("==")) != std::string::npos) {
        op = 1;
    } else if ((at = condition.find("!=")) != std::string::npos) {
        op = 2;
    } else if ((at = condition.find('<')) != std::string::npos) {
        op = (at + 1 < condition.size() && condition[at + 1] == '=') ? 3 : 4;
        length = op == 3 ? 2 : 1;
    } else if ((at = condition.find('>')) != std::string::npos) {
        op = (at + 1 < condition.size() && condition[at + 1] == '=') ? 5 : 6;
        length = op == 5 ? 2 : 1;
    } else {
        return false;
    }
    double left = evaluate_part(variables, std::string_view(condition).substr(0, at), error);
    if (error)
        return false;
    double right = evaluate_part(variables, std::string_view(condition).substr(at + length), error);
    if (error)
        return false;
    switch (op) {
    case 1: return left == right;
    case 2: return left != right;
    case 3: return left <= right;
    case 4: return left < right;
    case 5: return left >= right;
    default: return left > right;
    }
}

// Reduces a working text that begins with IF( to the branch that applies; everything
// after the construct is dropped. A missing or empty branch gives -9999.
void reduce_if(rewriting& r)
{
    std::string& work = r.work;
    int inner = find_closing_bracket(work.c_str() + 2, '(', ')');
    if (inner == 0) {
        r.error = expr_unbalanced_parenthesis;
        return;
    }
    std::string condition = work.substr(3, static_cast<size_t>(inner));
    bool truth = condition_value(r.variables, condition, r.error);
    if (r.error)
        return;
    std::string rest = work.substr(3 + static_cast<size_t>(inner) + 1);
    size_t then_end = rest.empty() || rest[0] != '{' ? std::string::npos : closing_index(rest, 0, '{', '}');
    std::string chosen;
    if (truth) {
        if (then_end != std::string::npos)
            chosen = rest.substr(1, then_end - 1);
    } else if (then_end != std::string::npos && rest.compare(then_end + 1, 5, "ELSE{") == 0) {
        size_t else_start = then_end + 5;
        size_t else_end = closing_index(rest, else_start, '{', '}');
        if (else_end != std::string::npos)
            chosen = rest.substr(else_start + 1, else_end - else_start - 1);
    }
    work = chosen.empty() ? std::string("-9999") : chosen;
}

// Step 1 of the rewriting: blanks dropped, upper case, and "1*" after a minus that stands
// right before a letter other than an upper-case P as written (so -SIN(X) is -1*SIN(X),
// -x^2 is -(X^2), and -PI stays).
std::string rewrite_text(std::string_view text)
{
    std::string work;
    work.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
            continue;
        work += upper(c);
        if (c == '-' && i + 1 < text.size() && is_letter(text[i + 1]) && text[i + 1] != 'P')
            work += "1*";
    }
    return work;
}

[[noreturn]] void report_expression_error(int error, const std::string& text)
{
    if (error == expr_no_expression)
        fatal_error("%s is no expression\n", text.c_str());
    if (error == expr_syntax_error)
        fatal_error("%s: syntax error\n", text.c_str());
    fatal_error("%s: unbalanced parenthesis\n", text.c_str());
}

bool is_fatal(int error)
{
    return error >= expr_no_expression && error <= expr_unbalanced_parenthesis;
}

// Evaluates an already upper-cased caller text (message text) from its original spelling.
int evaluate_rewritten(expression_variables& variables, const std::string& original, const std::string& message_text,
                       double& value)
{
    rewriting r{variables};
    r.work = rewrite_text(original);
    if (r.work.find("PI") != std::string::npos)
        variables['P'] = kPi;
    for (const char* name : {"MAX", "MIN"}) {
        bool is_max = name[1] == 'A';
        size_t pos;
        while (!r.error && (pos = find_function(r.work, name, 0)) != std::string::npos) {
            int code = expand_call(pos, r, is_max);
            if (code > 0)
                r.error = code;
        }
    }
    while (!r.error && r.work.compare(0, 3, "IF(") == 0)
        reduce_if(r);
    if (!r.error) {
        double v = evaluate_part(variables, r.work, r.error);
        if (!r.error)
            value = v;
    }
    if (is_fatal(r.error))
        report_expression_error(r.error, message_text);
    return r.error;
}

// A field that is a plain number: optional sign, digits with an optional point (or a
// point and digits), optional exponent with digits. Its text then makes exactly the tokens
// [sign] number wherever it stands between operator characters.
bool plain_number(const char* field, char& sign, double& value)
{
    const char* p = field;
    sign = 0;
    if (*p == '+' || *p == '-')
        sign = *p++;
    const char* mantissa = p;
    bool digits = false;
    while (is_digit(*p)) {
        ++p;
        digits = true;
    }
    if (*p == '.') {
        ++p;
        while (is_digit(*p)) {
            ++p;
            digits = true;
        }
    }
    if (!digits)
        return false;
    if (*p == 'e' || *p == 'E') {
        ++p;
        if (*p == '+' || *p == '-')
            ++p;
        if (!is_digit(*p))
            return false;
        while (is_digit(*p))
            ++p;
    }
    if (*p)
        return false;
    auto [end, ec] = std::from_chars(mantissa, p, value);
    if (ec != std::errc() || end != p)
        value = c_strtod(mantissa);
    return true;
}

} // namespace

double degrees_to_radians(double x)
{
    return x * std::atan(1.0) / 45;
}

double radians_to_degrees(double x)
{
    return x * 45 / std::atan(1.0);
}

int find_closing_bracket(const char* text, char opening, char closing)
{
    if (!text || *text != opening)
        return 0;
    int level = 0;
    for (const char* p = text; *p; ++p) {
        if (*p == opening) {
            ++level;
        } else if (*p == closing && --level == 0) {
            return static_cast<int>(p - text - 1);
        }
    }
    return 0;
}

bool evaluate_condition(expression_variables& variables, const std::string& condition)
{
    int error = 0;
    bool truth = condition_value(variables, condition, error);
    if (is_fatal(error))
        report_expression_error(error, condition);
    return truth;
}

int evaluate_expression(expression_variables& variables, std::string& text, double& value)
{
    std::string original = text;
    to_upper_string(text);
    return evaluate_rewritten(variables, original, text, value);
}

int evaluate_expression(expression_variables& variables, char* text, double& value)
{
    std::string original = text ? text : "";
    to_upper_string(text);
    return evaluate_rewritten(variables, original, text ? std::string(text) : std::string(), value);
}

int count_column_references(const std::string& text)
{
    int count = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '$' && is_digit(text[i + 1]))
            ++count;
    return count;
}

column_expression::column_expression(const std::string& text) : text_(text)
{
    // Pieces and references: text = pieces[0] field(0) pieces[1] ... field(n-1) pieces[n].
    std::string piece;
    for (size_t i = 0; i < text.size();) {
        if (text[i] == '$' && i + 1 < text.size() && is_digit(text[i + 1])) {
            size_t end = i + 1;
            long column = 0;
            while (end < text.size() && is_digit(text[end])) {
                if (column < 100000000)
                    column = column * 10 + (text[end] - '0');
                ++end;
            }
            pieces_.push_back(piece);
            piece.clear();
            columns_.push_back(static_cast<int>(column));
            i = end;
            continue;
        }
        piece += text[i++];
    }
    pieces_.push_back(piece);
    begins_with_piece_ = !pieces_.front().empty();

    // The compiled form: the text rewritten with each reference as a slot character, which
    // stands for a plain-number field. It is used only where a field cannot change the
    // rewriting or merge with its neighbours: no MIN/MAX, no leading IF, and every slot
    // between operator characters (or the text's ends).
    constexpr char kSlot = '\x01';
    if (text.find(kSlot) != std::string::npos)
        return;
    std::string given;
    for (size_t i = 0; i < pieces_.size(); ++i) {
        given += pieces_[i];
        if (i < columns_.size())
            given += kSlot;
    }
    std::string work = rewrite_text(given);
    if (work.find("MIN(") != std::string::npos || work.find("MAX(") != std::string::npos ||
        work.compare(0, 3, "IF(") == 0)
        return;
    for (size_t i = 0; i < work.size(); ++i) {
        if (work[i] != kSlot)
            continue;
        bool before = i == 0 || is_operator_char(work[i - 1]);
        bool after = i + 1 == work.size() || is_operator_char(work[i + 1]);
        if (!before || !after)
            return;
    }
    sets_pi_ = work.find("PI") != std::string::npos;
    size_t i = 0;
    int slot = 0;
    for (;;) {
        token t;
        if (i < work.size() && work[i] == kSlot) {
            t.kind = 4;
            t.slot = slot++;
            tokens_.push_back(t);
            ++i;
            continue;
        }
        size_t n = read_token(work, i, t);
        tokens_.push_back(t);
        if (t.kind == 0)
            break;
        i += n;
    }
    // A slot swallowed by a neighbouring number (2E-$1) leaves fewer slot tokens.
    if (slot != static_cast<int>(columns_.size())) {
        tokens_.clear();
        return;
    }
    fast_ = true;
}

std::string column_expression::build_text(const char* const* fields) const
{
    std::string text = pieces_[0];
    for (size_t i = 0; i < columns_.size(); ++i) {
        text += fields[i];
        text += pieces_[i + 1];
    }
    return text;
}

int column_expression::evaluate(expression_variables& variables, const char* const* fields, double& value) const
{
    if (fast_) {
        scratch_.clear();
        bool plain = true;
        for (const token& t : tokens_) {
            if (t.kind != 4) {
                scratch_.push_back(t);
                continue;
            }
            char sign;
            double number;
            if (!plain_number(fields[t.slot], sign, number)) {
                plain = false;
                break;
            }
            if (sign) {
                token s;
                s.kind = 1;
                s.delimiter = sign;
                scratch_.push_back(s);
            }
            token n;
            n.kind = 3;
            n.number = number;
            scratch_.push_back(n);
        }
        if (plain) {
            if (sets_pi_)
                variables['P'] = kPi;
            int error = 0;
            parser p(scratch_.data(), error, variables);
            double v = p.run();
            if (is_fatal(error)) {
                std::string text = build_text(fields);
                to_upper_string(text);
                report_expression_error(error, text);
            }
            if (!error)
                value = v;
            return error;
        }
    }
    std::string text = build_text(fields);
    return evaluate_expression(variables, text, value);
}
