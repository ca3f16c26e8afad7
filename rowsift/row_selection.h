#pragma once
// Row selection engine: copies chosen columns of chosen rows of whitespace-separated ASCII
// data files into one tab-separated output table, as a settings file of column
// expressions and conditions says (one settings line per output column pair).
//
// Each data file is read once however many settings lines use it; selected rows stream
// to one temporary file per settings line and are merged side by side at the end, so
// memory does not grow with the data. The output file appears only when the merge is
// complete (written under a temporary name beside it and renamed); temporary files have
// unique names and are removed in every case.
//
// rowsift calls run_data_selection once; plotwell drives the same engine through
// data_selection with its own variant (selection_variant::plotwell) and hooks.
#include "common/runtime/shared_routines.h"
#include "rowsift/expression_evaluator.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

enum class selection_variant {
    // rowsift: settings lines of 3..15 fields, "*" and empty lines skipped, six conditions.
    rowsift,
    // plotwell: every line of the prepared file is a selection line (no skipping), at most
    // four condition pairs, optional "<"/">" value prefixes in column expressions.
    plotwell,
};

// Progress of the selection, passed to the hook after each accepted row.
struct selection_progress {
    long long bytes_read = 0;   // sum of (length + 1) of every data line read so far
    long line_rows = 0;         // rows accepted so far by the row's settings line
    long largest_rows = 0;      // the largest row count of any settings line
    bool largest_raised = false; // this row raised largest_rows
};

struct data_selection_setup {
    selection_variant variant = selection_variant::rowsift;
    // The caller's file lookup, messages and number test (plotwell: its drawing's).
    shared_context context;
    // The variables of the column expressions: the caller's (plotwell: its drawing's, shared with
    // the drawing's own expressions), or null for the selection's own, all 0 at the start.
    expression_variables* variables = nullptr;
    std::FILE* settings = nullptr;  // open for reading; closed by the engine
    std::string output_path;        // the output table; created only by the merge
    std::string skip_string = "*";  // data lines beginning with it are skipped ("" skips none)
    std::string temp_folder;        // for the temporary column files; "" = the temp folder
    bool xy_mode = false;           // rowsift "-xy": only the DATA lines of a plotwell file

    // plotwell DETECTION_VALUE: a field referenced by a column expression that begins with
    // '<' or '>' loses the prefix and is multiplied by the factor.
    bool detection_given = false;
    double detection_below = 0.0;
    double detection_above = 1.0;

    std::function<void(const selection_progress&)> on_row_accepted;
};

// Condition kinds of test_condition, decided once per settings line.
enum class condition_kind {
    whole_line, equals_text, differs, contains, less, less_equal, greater, greater_equal,
    equal_number, divisible, equals_zero_text, equals_whole_text,
};

struct selection_condition {
    int column = 0;          // 0 = the whole data line
    std::string text;        // as written
    condition_kind kind = condition_kind::equals_whole_text;
    std::string operand;     // text compared with (kinds of text)
    double number = 0;       // numeric kinds
    long divisor = 0;        // divisible
};

// One accepted settings line.
struct selection_entry {
    std::string data_file;     // expanded name
    int group = 0;             // 1.. lines on the same data file share a group
    int x_column = 0;          // 0 none, n >= 1 a field number, -1 expression
    int y_column = 0;          // n >= 1 a field number, -1 expression
    std::unique_ptr<column_expression> x_expression;
    std::unique_ptr<column_expression> y_expression;
    bool no_conditions = false;
    std::vector<selection_condition> conditions;
    std::string temp_file;
    std::FILE* temp_stream = nullptr;
    long rows = 0;
};

// Reads the next data row into line without its line end (a CR before the LF is dropped
// too), passing over empty rows and rows that begin with skip_string ("" skips none).
// Returns false at the end of the file.
bool read_data_line(std::FILE* data, std::string& line, const std::string& skip_string);

bool test_condition(const selection_condition& condition, const char* field, const std::string& raw_line,
                    shared_variant variant = shared_variant::rowsift);
selection_condition make_condition(int column, const std::string& text);

class data_selection {
public:
    explicit data_selection(data_selection_setup setup);
    ~data_selection(); // closes and removes every temporary file
    data_selection(const data_selection&) = delete;
    data_selection& operator=(const data_selection&) = delete;

    // Creates the output's temporary twin beside it, so that an output that cannot be
    // written fails before the selection starts.
    void prepare_output();
    // Reads the settings, builds the tables and groups the data files (closes the settings
    // stream).
    void read_selection_settings();
    // Selects the rows of every group into the temporary files (made here, one per line).
    void select_rows();
    // Writes the output table and removes the temporary files.
    void merge_output_columns();

    const std::vector<selection_entry>& entries() const { return entries_; }
    // The distinct data file names in group order (plotwell adds up their sizes).
    std::vector<std::string> data_file_names() const;
    long largest_rows() const { return largest_rows_; }
    bool any_selected() const { return any_selected_; }

    // Fields of the next usable settings line (0 at the end; plotwell: -1 for an empty line).
    int read_settings_line(std::vector<char*>& fields);

private:
    void store_entry(std::vector<char*>& fields, int count, int line_number);
    void store_condition_column(selection_entry& entry, const char* column, const char* text, int position,
                                int line_number);
    void group_data_files();
    void open_group_files(int group, std::FILE*& data);
    bool read_data_line(std::FILE* data);
    bool row_matches(const selection_entry& entry) const;
    void accept_row(selection_entry& entry);
    void write_selected_row(selection_entry& entry);
    void column_text(const selection_entry& entry, int column, const column_expression* expression, std::string& out);
    void evaluate_column_expression(const column_expression& expression, std::string& out);
    [[noreturn]] void cannot_open(const std::string& name) const;
    void close_temp_files();
    void remove_temp_files();

    data_selection_setup setup_;
    expression_variables own_variables_;
    expression_variables& variables_;
    std::vector<selection_entry> entries_;
    char* settings_buffer_ = nullptr;
    size_t settings_capacity_ = 0;
    std::string output_part_;
    bool output_direct_ = false;
    bool keep_raw_line_ = false;
    long largest_rows_ = 0;
    bool any_selected_ = false;
    long long bytes_read_ = 0;
    // the current data row
    char* line_buffer_ = nullptr;
    size_t line_capacity_ = 0;
    std::string raw_line_;
    std::vector<char*> fields_;
    std::string x_text_, y_text_, scratch_;
    std::vector<const char*> reference_fields_;
    std::vector<std::string> prefixed_fields_;
};

// Runs the whole selection once: settings, tables, every group, merge. Returns 1 when any
// row was selected, else 0. Every failure is fatal (fatal_error_exception).
int run_data_selection(data_selection_setup setup);
