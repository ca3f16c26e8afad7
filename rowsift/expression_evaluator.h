#pragma once
// Expression evaluator shared by rowsift and plotwell: turns a text such as 2.5*X+1,
// A=SQRT(X^2+Y^2) or IF(X>0){LOG10(X)}ELSE{-9999} into one double.
//
// The text is first rewritten (upper case, blanks removed, "1*" after a minus before a
// name, MIN(...)/MAX(...) replaced by their "%G"-formatted value, a leading IF construct
// reduced to its branch) and then parsed by recursive descent. The 26 one-letter variables
// belong to the caller (expression_variables): they keep their values from one evaluation to
// the next for as long as the caller keeps them, and two callers with their own variables
// never see each other's values.
#include <cstddef>
#include <string>
#include <vector>

// Return codes of evaluate_expression. Codes 1 to 3 never reach the caller: they end in
// fatal_error ("%s is no expression\n", "%s: syntax error\n", "%s: unbalanced parenthesis\n").
enum expression_error : int {
    expr_ok = 0,
    expr_no_expression = 1,
    expr_syntax_error = 2,
    expr_unbalanced_parenthesis = 3,
    expr_domain_error = 4,      // ASIN or ACOS outside -1..1
    expr_division_by_zero = 5,
};

// The variables A..Z of one evaluating caller (a rowsift selection, a plotwell drawing): all 0
// when made, never reset by the evaluator.
struct expression_variables {
    double value[26] = {};
    double& operator[](char letter) { return value[letter - 'A']; }
};

// Computes the value of text with the caller's variables. Returns 0 with value set, or 4 or 5
// (value not to be used). The caller's text is upper-cased in place; fatal messages quote it in
// that form.
int evaluate_expression(expression_variables& variables, std::string& text, double& value);
int evaluate_expression(expression_variables& variables, char* text, double& value);

double degrees_to_radians(double x);
double radians_to_degrees(double x);

// Number of characters strictly between the opening bracket at text[0] and its closing
// bracket, nested pairs counted; 0 when the text ends first (an empty pair also gives 0).
int find_closing_bracket(const char* text, char opening, char closing);

// The comparison inside IF(...): ==, !=, <=, <, >=, > searched in that order over the whole
// condition. A condition without an operator is false.
bool evaluate_condition(expression_variables& variables, const std::string& condition);

// A column expression whose $n references are filled from a data row. Compiled once; for
// each row the references' field texts are put in place. When every field is a plain
// number (optional sign, digits, point, exponent) and the expression has no MIN/MAX and
// no leading IF, the compiled token list is evaluated directly with the same parser,
// which gives exactly the result of evaluating the built text; otherwise the text is
// built and evaluated as it stands.
class column_expression {
public:
    // text: the expression as written, with $n references (n >= 1).
    explicit column_expression(const std::string& text);

    const std::string& text() const { return text_; }
    // The referenced column numbers in order of appearance (0 for "$0").
    const std::vector<int>& references() const { return columns_; }
    // Whether the text begins with a text piece (false when it begins with a reference).
    bool begins_with_piece() const { return begins_with_piece_; }
    const std::vector<std::string>& pieces() const { return pieces_; }
    bool compiled() const { return fast_; }

    // fields[i] is the text of the field for references()[i] (never null). Returns the code
    // of evaluate_expression (0, 4 or 5); fatal codes end in fatal_error as there.
    int evaluate(expression_variables& variables, const char* const* fields, double& value) const;
    // The text that the row's fields make (what evaluate_expression would be given).
    std::string build_text(const char* const* fields) const;

    struct token {
        unsigned char kind = 0;  // 0 end, 1 delimiter, 2 name, 3 number, 4 field slot
        char delimiter = 0;
        unsigned char function = 0; // 4..19 for a function name
        unsigned char variable = 0; // 0..25: the name's first letter
        int slot = 0;
        double number = 0;
    };

private:
    std::string text_;
    std::vector<std::string> pieces_;
    std::vector<int> columns_;
    bool begins_with_piece_ = true;
    bool fast_ = false;
    bool sets_pi_ = false;
    std::vector<token> tokens_;
    mutable std::vector<token> scratch_;
};

// Count and split of a column expression's $n references (rowsift's settings lines).
int count_column_references(const std::string& text);
