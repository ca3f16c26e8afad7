// The expression evaluator: values, return codes, fatal messages, variables that persist
// between evaluations, and the compiled column expressions that must give exactly what the
// built text gives.
#include "rowsift/expression_evaluator.h"
#include "common/runtime/shared_routines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

constexpr double kPi = 3.141592653589793;

struct value_case {
    const char* setup; // evaluated first (variables), may be empty
    const char* text;
    double expected;
};

class EvaluatorValues : public ::testing::TestWithParam<value_case> {};

TEST_P(EvaluatorValues, GivesTheValue)
{
    expression_variables variables;
    const value_case& c = GetParam();
    double v = 0;
    if (*c.setup) {
        std::string setup = c.setup;
        ASSERT_EQ(evaluate_expression(variables, setup, v), 0);
    }
    std::string text = c.text;
    ASSERT_EQ(evaluate_expression(variables, text, v), 0) << c.text;
    EXPECT_NEAR(v, c.expected, 1e-12 * std::max(1.0, std::fabs(c.expected))) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Table, EvaluatorValues, ::testing::Values(
    value_case{"", "2+3*4", 14},
    value_case{"", "2^3^2", 512},
    value_case{"", "-2^2", 4},                      // unary minus binds tighter than ^
    value_case{"X=3", "-x^2", -9},                  // rewritten to -1*X^2
    value_case{"", "-PI", -kPi},
    value_case{"", "-pi", -kPi},                    // -1*PI
    value_case{"", "sin(pi/2)", 1},
    value_case{"", "DTR(180)", kPi},
    value_case{"", "RTD(PI)", 180},
    value_case{"", "LOG(0)", 0},
    value_case{"", "LOG10(-5)", 0},
    value_case{"", "SQRT(-4)", 0},
    value_case{"", "SQRT(16)+ABS(-2)+EXP(0)", 7},
    value_case{"", "COS(0)+COSH(0)+SINH(0)+TANH(0)+ATAN(0)+TAN(0)", 2},
    value_case{"", "ASIN(1)*2", kPi},
    value_case{"", "ACOS(1)", 0},
    value_case{"", "LOG10(1000)", 3},
    value_case{"", "MAX(1,5,3)", 5},
    value_case{"", "MIN(MAX(1,2),0.5)", 0.5},
    value_case{"", "MAX(2,MAX(3,4))", 4},
    value_case{"", "MAX(1,MIN(2,MAX(7,1)),0)", 2},
    value_case{"", "MAX(1.23456789,0)", 1.23457},   // "%G" keeps six digits
    value_case{"", "MIN(1234567,0)*0+MAX(1234567,0)", 1.23457e6},
    value_case{"", "MAX(1,,4)", 4},                 // consecutive commas count as one
    value_case{"", "3-MIN(-1,0)", 4},
    value_case{"X=-4", "IF(X>=0){X}ELSE{0-X}", 4},
    value_case{"X=4", "IF(X>=0){X}ELSE{0-X}", 4},
    value_case{"X=0", "IF(X<0){1}", -9999},
    value_case{"X=0", "IF(X<0){1}ELSE{}", -9999},
    value_case{"X=0", "IF(X==0){}ELSE{1}", -9999},
    value_case{"A=2", "IF(A>1){2}ELSE{3}+5", 2},    // the rest after the construct is dropped
    value_case{"A=0", "IF(A>1){2}ELSE{3}+5", 3},
    value_case{"A=1", "IF(A!=1){1}ELSE{IF(A==1){7}ELSE{8}}", 7},
    value_case{"A=1", "IF(A<=1){5}", 5},
    value_case{"", "IF(1){5}ELSE{6}", 6},           // no comparison: false
    value_case{"", "2*IF(X>1){1}", 0},              // IF only at the start: I*... reads I
    value_case{"X=2", "XVALUE+1", 3},
    value_case{"X=5", "XMAX+ADMIN", 5},             // names holding MAX/MIN are variables
    value_case{"M=2", "MAX3+MIN", 4},               // so are MAX and MIN without a bracket
    value_case{"", "2)3", 2},                       // the rest is not checked
    value_case{"A=3", "A B", 3},                    // blanks removed: AB reads A
    value_case{"", "1E-5*1e5", 1},
    value_case{"", "2.5E+3", 2500},
    value_case{"", "1.2.3", 1.2},                   // longest numeric prefix
    value_case{"", "(1+2)*(3+4)", 21},
    value_case{"", "2*-3", -6},
    value_case{"X=2", "2*-x", -4},
    value_case{"", "8/2/2", 2},
    value_case{"", "3 $ 4", 3},                     // a character that starts no token ends it
    value_case{"", "SINX", 0},                      // variable S
    value_case{"", "B=(C=2)+1", 3},
    value_case{"", "MAX(A=3,1)+A", 6}               // assignments in arguments take effect
));

struct code_case {
    const char* text;
    int code;
};

class EvaluatorCodes : public ::testing::TestWithParam<code_case> {};

TEST_P(EvaluatorCodes, ReturnsTheCode)
{
    expression_variables variables;
    std::string text = GetParam().text;
    double v = 0;
    EXPECT_EQ(evaluate_expression(variables, text, v), GetParam().code) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Table, EvaluatorCodes, ::testing::Values(
    code_case{"ASIN(2)", expr_domain_error},
    code_case{"ACOS(-1.5)", expr_domain_error},
    code_case{"1/0", expr_division_by_zero},
    code_case{"1/(2-2)+5", expr_division_by_zero},
    code_case{"IF(1/0>0){1}ELSE{2}", expr_division_by_zero},
    code_case{"MAX(1/0,2)", 0},                     // an argument's error stays inside it
    code_case{"2*3", 0}));

struct fatal_case {
    const char* text;
    const char* message;
};

class EvaluatorFatal : public ::testing::TestWithParam<fatal_case> {};

TEST_P(EvaluatorFatal, EndsWithTheMessage)
{
    expression_variables variables;
    std::string text = GetParam().text;
    double v = 0;
    try {
        evaluate_expression(variables, text, v);
        FAIL() << "no fatal error for " << GetParam().text;
    } catch (const fatal_error_exception& e) {
        EXPECT_EQ(std::string(e.what()), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, EvaluatorFatal, ::testing::Values(
    fatal_case{"", " is no expression\n"},
    fatal_case{"$", "$ is no expression\n"},
    fatal_case{"3*", "3*: syntax error\n"},
    fatal_case{"3 * x +", "3 * X +: syntax error\n"},   // quoted upper-cased, blanks kept
    fatal_case{"(3", "(3: unbalanced parenthesis\n"},
    fatal_case{"max(1,2", "MAX(1,2: unbalanced parenthesis\n"},
    fatal_case{"MAX()", "MAX(): unbalanced parenthesis\n"},  // an empty pair is unbalanced
    fatal_case{"MAX(1,*)", "MAX(1,*): syntax error\n"},
    fatal_case{"IF(X>0{1}", "IF(X>0{1}: unbalanced parenthesis\n"},
    fatal_case{"IF(>1){1}", "IF(>1){1} is no expression\n"},
    fatal_case{"SIN", "SIN: syntax error\n"}));

std::string deep_power(int n)
{
    std::string text = "1";
    for (int i = 0; i < n; ++i)
        text += "^1";
    return text;
}

TEST(Evaluator, DeepNestingIsASyntaxErrorNotACrash)
{
    for (std::string text : {std::string(5000, '(') + "1", deep_power(3000),
                             std::string(2000, '-') + "1"}) {
        double v = 0;
        std::string copy = text;
        expression_variables variables;
        EXPECT_THROW(evaluate_expression(variables, copy, v), fatal_error_exception);
    }
}

TEST(Evaluator, CallerTextIsUpperCasedInPlace)
{
    expression_variables variables;
    std::string text = "a = sqrt(x)";
    double v = 0;
    evaluate_expression(variables, text, v);
    EXPECT_EQ(text, "A = SQRT(X)");
}

TEST(Evaluator, VariablesPersistBetweenEvaluations)
{
    expression_variables variables;
    double v = 0;
    std::string a = "A=3";
    ASSERT_EQ(evaluate_expression(variables, a, v), 0);
    EXPECT_EQ(v, 3);
    std::string b = "A*2";
    ASSERT_EQ(evaluate_expression(variables, b, v), 0);
    EXPECT_EQ(v, 6);
    for (int i = 0; i < 3; ++i) {
        std::string s = "S=S+2";
        evaluate_expression(variables, s, v);
    }
    EXPECT_EQ(variables['S'], 6);
}

// Two callers evaluating in turn (two selections, two drawings) each see only their own variables,
// through the text and through a compiled column expression alike.
TEST(Evaluator, CallersKeepTheirOwnVariables)
{
    expression_variables first, second;
    double v = 0;
    std::string a = "A=2", b = "A=5";
    evaluate_expression(first, a, v);
    evaluate_expression(second, b, v);
    column_expression sum("S=S+A*$1");
    ASSERT_TRUE(sum.compiled());
    const char* one[] = {"1"};
    for (int i = 0; i < 3; ++i) {
        std::string text = "T=T+A";
        ASSERT_EQ(evaluate_expression(first, text, v), 0);
        text = "T=T+A";
        ASSERT_EQ(evaluate_expression(second, text, v), 0);
        ASSERT_EQ(sum.evaluate(first, one, v), 0);
        ASSERT_EQ(sum.evaluate(second, one, v), 0);
    }
    EXPECT_EQ(first['T'], 6);
    EXPECT_EQ(second['T'], 15);
    EXPECT_EQ(first['S'], 6);
    EXPECT_EQ(second['S'], 15);
}

TEST(Evaluator, PiSetsVariablePAlsoInsideAWord)
{
    expression_variables variables;
    double v = 0;
    std::string t = "SPIN*0+P";
    ASSERT_EQ(evaluate_expression(variables, t, v), 0);
    EXPECT_DOUBLE_EQ(v, kPi);
}

TEST(Evaluator, FailedAssignmentKeepsTheVariable)
{
    expression_variables variables;
    double v = 0;
    std::string a = "S=5";
    evaluate_expression(variables, a, v);
    std::string b = "S=S+1/0";
    EXPECT_EQ(evaluate_expression(variables, b, v), expr_division_by_zero);
    EXPECT_EQ(variables['S'], 5);
}

TEST(Evaluator, ConditionsAndBrackets)
{
    expression_variables variables;
    EXPECT_TRUE(evaluate_condition(variables, "1==1"));
    EXPECT_TRUE(evaluate_condition(variables, "2>=2"));
    EXPECT_FALSE(evaluate_condition(variables, "2<2"));
    EXPECT_TRUE(evaluate_condition(variables, "2<3"));
    EXPECT_TRUE(evaluate_condition(variables, "3!=2"));
    EXPECT_FALSE(evaluate_condition(variables, "3"));
    EXPECT_EQ(find_closing_bracket("(a(b)c)d", '(', ')'), 5);
    EXPECT_EQ(find_closing_bracket("()", '(', ')'), 0);
    EXPECT_EQ(find_closing_bracket("(ab", '(', ')'), 0);
    EXPECT_DOUBLE_EQ(degrees_to_radians(90), kPi / 2);
    EXPECT_DOUBLE_EQ(radians_to_degrees(kPi), 180);
}

// A column expression evaluated through its compiled form gives exactly what the built text
// gives, including the variables it leaves behind.
TEST(ColumnExpression, CompiledFormMatchesTheText)
{
    const char* expressions[] = {
        "$1*0.001", "($2+$3)/2", "$1-$2", "-$1^2", "2^$1", "$1^$2", "S=S+$2", "$1*-$2", "-$1",
        "+$1", "A=$1", "$1/$2", "SQRT($1)*PI", "-X*$1", "$1--$2", "2*$1e5", "$1,$2", "ASIN($1)",
        "1.0*$4", "-1.0*$4", "($1)", "$2+IF(1)",
    };
    const char* values[] = {"1", "-2", "+3", "0", "2.5e3", "-1E-2", ".5", "-.5", "5.", "1e400",
                            "0.000", "12345678901234567890", "-0"};
    std::mt19937 random(7);
    for (const char* e : expressions) {
        column_expression expression(e);
        for (int round = 0; round < 60; ++round) {
            const char* fields[8];
            for (size_t i = 0; i < expression.references().size(); ++i)
                fields[i] = values[random() % (sizeof values / sizeof *values)];
            expression_variables after_a;
            double a = 0, b = 0;
            int code_a = -100, code_b = -100;
            std::string message_a, message_b;
            try {
                code_a = expression.evaluate(after_a, fields, a);
            } catch (const fatal_error_exception& x) {
                message_a = x.what();
            }
            expression_variables after_b;
            std::string text = expression.build_text(fields);
            try {
                code_b = evaluate_expression(after_b, text, b);
            } catch (const fatal_error_exception& x) {
                message_b = x.what();
            }
            ASSERT_EQ(code_a, code_b) << e << " -> " << text;
            ASSERT_EQ(message_a, message_b) << e << " -> " << text;
            if (code_a == 0)
                ASSERT_TRUE(a == b || (std::isnan(a) && std::isnan(b))) << e << " -> " << text;
            for (int k = 0; k < 26; ++k)
                ASSERT_TRUE(after_a.value[k] == after_b.value[k]) << e;
        }
    }
}

TEST(ColumnExpression, CompilesWhereFieldsCannotChangeTheText)
{
    EXPECT_TRUE(column_expression("$4*0.001").compiled());
    EXPECT_TRUE(column_expression("($2+$3)/2").compiled());
    EXPECT_FALSE(column_expression("MAX($1,$2)").compiled());
    EXPECT_FALSE(column_expression("IF($1>0){$1}").compiled());
    EXPECT_FALSE(column_expression("2$1").compiled());       // the field joins the number
    EXPECT_FALSE(column_expression("2E-$1").compiled());     // the exponent takes the field
    EXPECT_FALSE(column_expression("$1.5").compiled());
    column_expression e("a$1b$12");
    EXPECT_EQ(e.references(), (std::vector<int>{1, 12}));
    EXPECT_TRUE(e.begins_with_piece());
    EXPECT_FALSE(column_expression("$3+1").begins_with_piece());
    EXPECT_EQ(count_column_references("$1+$2*$"), 2);
}

TEST(ColumnExpression, FieldThatIsNoPlainNumberUsesTheText)
{
    expression_variables variables;
    // "0x10" starts like a number; as text it is the hexadecimal number 16
    column_expression e("$1+1");
    const char* fields[] = {"0x10"};
    double v = 0;
    ASSERT_EQ(e.evaluate(variables, fields, v), 0);
    EXPECT_EQ(v, 17);
    const char* exponent[] = {"1e"};
    column_expression f("$1-2");                             // "1e-2": the exponent takes "-"
    ASSERT_EQ(f.evaluate(variables, exponent, v), 0);
    EXPECT_DOUBLE_EQ(v, 0.01);
}

} // namespace
