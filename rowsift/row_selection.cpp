#include "rowsift/row_selection.h"

#include "common/runtime/shared_routines.h"

#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"

#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace {

constexpr size_t kStreamBuffer = 1 << 16;

// Reads one line of any length into buffer without its line end (LF, and a CR before it).
// Returns the length of the line as read (without the LF), or -1 at the end of the file.
long read_line(std::FILE* f, char*& buffer, size_t& capacity, size_t& length)
{
    ssize_t n = ::getline(&buffer, &capacity, f);
    if (n < 0)
        return -1;
    long raw = n;
    if (n > 0 && buffer[n - 1] == '\n') {
        buffer[--n] = 0;
        raw = n;
    }
    if (n > 0 && buffer[n - 1] == '\r')
        buffer[--n] = 0;
    length = static_cast<size_t>(n);
    return raw;
}

mode_t current_umask()
{
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

bool read_data_line(std::FILE* data, std::string& line, const std::string& skip_string)
{
    char* buffer = nullptr;
    size_t capacity = 0;
    size_t length = 0;
    bool found = false;
    while (read_line(data, buffer, capacity, length) >= 0) {
        if (length == 0)
            continue;
        if (!skip_string.empty() && std::strncmp(buffer, skip_string.c_str(), skip_string.size()) == 0)
            continue;
        line.assign(buffer, length);
        found = true;
        break;
    }
    std::free(buffer);
    return found;
}

selection_condition make_condition(int column, const std::string& text)
{
    selection_condition c;
    c.column = column;
    c.text = text;
    if (column == 0) {
        c.kind = condition_kind::whole_line;
        c.operand = text;
        return c;
    }
    auto number_after = [&text](size_t at) { return c_strtod(text.c_str() + at); };
    if (text.compare(0, 1, "\\") == 0) {
        c.kind = condition_kind::equals_text;
        c.operand = text.substr(1);
    } else if (text.compare(0, 1, "!") == 0) {
        c.kind = condition_kind::differs;
        c.operand = text.substr(1);
    } else if (text.compare(0, 1, "?") == 0) {
        c.kind = condition_kind::contains;
        c.operand = text.substr(1);
    } else if (text.compare(0, 2, "-=") == 0) {
        c.kind = condition_kind::less_equal;
        c.number = number_after(2);
    } else if (text.compare(0, 1, "-") == 0) {
        c.kind = condition_kind::less;
        c.number = number_after(1);
    } else if (text.compare(0, 2, "+=") == 0) {
        c.kind = condition_kind::greater_equal;
        c.number = number_after(2);
    } else if (text.compare(0, 1, "+") == 0) {
        c.kind = condition_kind::greater;
        c.number = number_after(1);
    } else if (text.compare(0, 1, "=") == 0) {
        c.kind = condition_kind::equal_number;
        c.number = number_after(1);
    } else if (text.compare(0, 1, "%") == 0) {
        c.divisor = c_atol(text.c_str() + 1);
        c.kind = c.divisor != 0 ? condition_kind::divisible : condition_kind::equals_zero_text;
    } else {
        c.kind = condition_kind::equals_whole_text;
        c.operand = text;
    }
    return c;
}

bool test_condition(const selection_condition& c, const char* field, const std::string& raw_line,
                    shared_variant variant)
{
    switch (c.kind) {
    case condition_kind::whole_line:
        return raw_line.find(c.operand) != std::string::npos;
    case condition_kind::equals_text:
    case condition_kind::equals_whole_text:
        return c.operand == field;
    case condition_kind::differs:
        return c.operand != field;
    case condition_kind::contains:
        return std::strstr(field, c.operand.c_str()) != nullptr;
    case condition_kind::equals_zero_text:
        return std::strcmp(field, "0") == 0;
    default:
        break;
    }
    if (!is_number(variant, field))
        return false;
    if (c.kind == condition_kind::divisible) {
        long value = c_atol(field);
        return c.divisor == -1 || value % c.divisor == 0;
    }
    double value = c_strtod(field);
    switch (c.kind) {
    case condition_kind::less: return value < c.number;
    case condition_kind::less_equal: return value <= c.number;
    case condition_kind::greater: return value > c.number;
    case condition_kind::greater_equal: return value >= c.number;
    default: return value == c.number;
    }
}

data_selection::data_selection(data_selection_setup setup)
    : setup_(std::move(setup)), variables_(setup_.variables ? *setup_.variables : own_variables_)
{
    if (setup_.temp_folder.empty())
        setup_.temp_folder = GetTempDir();
}

data_selection::~data_selection()
{
    if (setup_.settings)
        std::fclose(setup_.settings);
    close_temp_files();
    remove_temp_files();
    if (!output_part_.empty())
        DeleteFile(output_part_);
    std::free(line_buffer_);
    std::free(settings_buffer_);
}

void data_selection::cannot_open(const std::string& name) const
{
    if (setup_.variant == selection_variant::plotwell)
        fatal_error("Cannot open %s\n", name.c_str());
    fatal_error("Cannot open %s!", name.c_str());
}

void data_selection::prepare_output()
{
    if (!output_part_.empty() || output_direct_)
        return;
    // A device or pipe (/dev/stdout) is written as it stands; it cannot be renamed onto.
    struct stat info;
    if (::stat(setup_.output_path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        output_direct_ = true;
        return;
    }
    String folder = ExtractFilePath(setup_.output_path);
    if (folder.empty())
        folder = "./";
    try {
        output_part_ = CreateUniqueFile("." + ExtractFileName(setup_.output_path) + ".", ".part", folder);
    } catch (const Exception&) {
        cannot_open(setup_.output_path);
    }
}

int data_selection::read_settings_line(std::vector<char*>& fields)
{
    size_t length = 0;
    for (;;) {
        if (read_line(setup_.settings, settings_buffer_, settings_capacity_, length) < 0)
            return 0;
        char* text = settings_buffer_;
        if (setup_.variant == selection_variant::plotwell) {
            // plotwell's driver prepared the file: every line is a selection line.
            int count = split_fields(text, fields, ' ', 200);
            return count > 0 ? count : -1;
        }
        if (length == 0 || text[0] == '*')
            continue;
        if (setup_.xy_mode) {
            // Only DATA commands, in any letter case, followed by white space.
            if (length < 5 || !is_white(text[4]))
                continue;
            std::string command(text, 4);
            to_upper_string(command);
            if (command != "DATA")
                continue;
            text += 5;
        }
        int count = split_fields(text, fields, ' ', 15);
        if (count >= 3)
            return count;
    }
}

void data_selection::store_condition_column(selection_entry& entry, const char* column, const char* text,
                                            int position, int line_number)
{
    if (!is_number(setup_.context, column) || c_atol(column) < 0)
        fatal_error("column %d in line %d of rowsift settings file must contain a number\n", position, line_number);
    int number = static_cast<int>(c_atol(column));
    if (number == 0)
        keep_raw_line_ = true;
    entry.conditions.push_back(make_condition(number, text ? text : ""));
}

void data_selection::store_entry(std::vector<char*>& fields, int count, int line_number)
{
    selection_entry entry;
    std::string name = fields[0];
    entry.data_file = setup_.variant == selection_variant::plotwell ? name : expand_environment_path(name);

    const std::string x = fields[1];
    if (x == "!" || (is_integer(x.c_str()) && c_atol(x.c_str()) == 0)) {
        entry.x_column = 0;
    } else if (is_integer(x.c_str())) {
        entry.x_column = static_cast<int>(c_atol(x.c_str()));
    } else {
        entry.x_column = -1;
        entry.x_expression = std::make_unique<column_expression>(x);
    }
    const std::string y = fields[2];
    if (is_integer(y.c_str())) {
        entry.y_column = static_cast<int>(c_atol(y.c_str()));
        if (entry.y_column == 0)
            fatal_error("y column in line %d of rowsift settings file must not be 0\n", line_number);
    } else {
        entry.y_column = -1;
        entry.y_expression = std::make_unique<column_expression>(y);
    }

    int pairs_limit = setup_.variant == selection_variant::plotwell ? 11 : 15;
    if (count > pairs_limit)
        count = pairs_limit;
    if (count == 3) {
        entry.no_conditions = true;
    } else if (count % 2 == 0) {
        fatal_error("number of columns in rowsift settings file must be uneven\n");
    } else {
        for (int i = 3; i + 1 < count; i += 2)
            store_condition_column(entry, fields[i], fields[i + 1], i + 1, line_number);
    }
    entries_.push_back(std::move(entry));
}

void data_selection::read_selection_settings()
{
    std::vector<char*> fields;
    int line_number = 0;
    for (;;) {
        int count = read_settings_line(fields);
        if (count == 0)
            break;
        ++line_number;
        if (count < 3)
            fatal_error("too few columns in line %d of rowsift settings file\n", line_number);
        store_entry(fields, count, line_number);
    }
    std::fclose(setup_.settings);
    setup_.settings = nullptr;
    group_data_files();
}

void data_selection::group_data_files()
{
    int group = 0;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].group != 0)
            continue;
        ++group;
        for (size_t j = i; j < entries_.size(); ++j)
            if (entries_[j].group == 0 && entries_[j].data_file == entries_[i].data_file)
                entries_[j].group = group;
    }
}

std::vector<std::string> data_selection::data_file_names() const
{
    std::vector<std::string> names;
    int group = 0;
    for (const selection_entry& entry : entries_)
        if (entry.group > group) {
            group = entry.group;
            names.push_back(entry.data_file);
        }
    return names;
}

void data_selection::open_group_files(int group, std::FILE*& data)
{
    data = nullptr;
    for (selection_entry& entry : entries_) {
        if (entry.group != group)
            continue;
        if (!data) {
            if (entry.data_file == "stdin") {
                data = stdin;
            } else if (setup_.variant == selection_variant::plotwell) {
                data = open_file_or_fail(setup_.context, entry.data_file, "r");
            } else {
                data = std::fopen(entry.data_file.c_str(), "r");
                if (!data)
                    cannot_open(entry.data_file);
            }
        }
        try {
            entry.temp_file = CreateUniqueFile("rowsift_tmp00.", String(), setup_.temp_folder);
        } catch (const Exception&) {
            cannot_open(PathJoin(setup_.temp_folder, "rowsift_tmp00"));
        }
        entry.temp_stream = std::fopen(entry.temp_file.c_str(), "w+");
        if (!entry.temp_stream)
            cannot_open(entry.temp_file);
        std::setvbuf(entry.temp_stream, nullptr, _IOFBF, kStreamBuffer);
        entry.rows = 0;
    }
}

bool data_selection::read_data_line(std::FILE* data)
{
    const std::string& skip = setup_.skip_string;
    size_t length = 0;
    for (;;) {
        long raw = read_line(data, line_buffer_, line_capacity_, length);
        if (raw < 0)
            return false;
        bytes_read_ += raw + 1;
        if (length == 0)
            continue;
        if (!skip.empty() && std::strncmp(line_buffer_, skip.c_str(), skip.size()) == 0)
            continue;
        return true;
    }
}

bool data_selection::row_matches(const selection_entry& entry) const
{
    for (const selection_condition& c : entry.conditions) {
        if (c.column == 0) {
            if (!test_condition(c, "", raw_line_, setup_.context.variant))
                return false;
            continue;
        }
        if (static_cast<size_t>(c.column) > fields_.size())
            return false;
        if (!test_condition(c, fields_[static_cast<size_t>(c.column) - 1], raw_line_, setup_.context.variant))
            return false;
    }
    return true;
}

void data_selection::evaluate_column_expression(const column_expression& expression, std::string& out)
{
    const std::vector<int>& columns = expression.references();
    reference_fields_.resize(columns.size());
    if (setup_.detection_given)
        prefixed_fields_.resize(columns.size());
    for (size_t i = 0; i < columns.size(); ++i) {
        int column = columns[i];
        if (column < 1 || static_cast<size_t>(column) > fields_.size()) {
            out = "-";
            return;
        }
        const char* field = fields_[static_cast<size_t>(column) - 1];
        if (setup_.detection_given && (field[0] == '<' || field[0] == '>')) {
            // A value below or above the detection limit: the number times its factor.
            if (!is_number(setup_.context, field + 1)) {
                out = "-";
                return;
            }
            double factor = field[0] == '<' ? setup_.detection_below : setup_.detection_above;
            prefixed_fields_[i] = format_double("%.17g", c_strtod(field + 1) * factor);
            field = prefixed_fields_[i].c_str();
        } else if (!is_number(setup_.context, field)) {
            out = "-";
            return;
        }
        reference_fields_[i] = field;
    }
    double value = 0;
    if (expression.evaluate(variables_, reference_fields_.data(), value) != 0) {
        out = "-";
        return;
    }
    out = format_double("%g", value);
}

void data_selection::column_text(const selection_entry&, int column, const column_expression* expression,
                                 std::string& out)
{
    if (expression)
        evaluate_column_expression(*expression, out);
    else
        out = fields_[static_cast<size_t>(column) - 1];
}

void data_selection::write_selected_row(selection_entry& entry)
{
    bool first = &entry == &entries_.front();
    std::FILE* f = entry.temp_stream;
    if (entry.x_column != 0) {
        column_text(entry, entry.x_column, entry.x_expression.get(), x_text_);
        if (!first)
            std::fputc('\t', f);
        std::fwrite(x_text_.data(), 1, x_text_.size(), f);
    }
    column_text(entry, entry.y_column, entry.y_expression.get(), y_text_);
    if (!(first && entry.x_column == 0))
        std::fputc('\t', f);
    std::fwrite(y_text_.data(), 1, y_text_.size(), f);
    std::fputc('\n', f);
}

void data_selection::accept_row(selection_entry& entry)
{
    size_t count = fields_.size();
    if (entry.x_column > 0 && static_cast<size_t>(entry.x_column) > count)
        return;
    if (entry.y_column > 0 && static_cast<size_t>(entry.y_column) > count)
        return;
    write_selected_row(entry);
    any_selected_ = true;
    ++entry.rows;
    selection_progress progress;
    progress.bytes_read = bytes_read_;
    progress.line_rows = entry.rows;
    if (entry.rows > largest_rows_) {
        largest_rows_ = entry.rows;
        progress.largest_raised = true;
    }
    progress.largest_rows = largest_rows_;
    if (setup_.on_row_accepted)
        setup_.on_row_accepted(progress);
}

void data_selection::select_rows()
{
    int groups = 0;
    for (const selection_entry& entry : entries_)
        groups = std::max(groups, entry.group);
    for (int group = 1; group <= groups; ++group) {
        std::FILE* data = nullptr;
        open_group_files(group, data);
        std::vector<selection_entry*> lines;
        for (selection_entry& entry : entries_)
            if (entry.group == group)
                lines.push_back(&entry);
        while (read_data_line(data)) {
            if (keep_raw_line_)
                raw_line_.assign(line_buffer_);
            // Every field of the row is kept, however many there are.
            split_fields(line_buffer_, fields_, ' ', 0);
            for (selection_entry* entry : lines)
                if (entry->no_conditions || row_matches(*entry))
                    accept_row(*entry);
        }
        if (data != stdin)
            std::fclose(data);
        for (selection_entry* entry : lines) {
            if (std::fflush(entry->temp_stream) != 0)
                cannot_open(entry->temp_file);
        }
    }
}

void data_selection::merge_output_columns()
{
    prepare_output();
    std::FILE* out = std::fopen(output_direct_ ? setup_.output_path.c_str() : output_part_.c_str(), "w");
    if (!out)
        cannot_open(setup_.output_path);
    std::setvbuf(out, nullptr, _IOFBF, kStreamBuffer);
    for (selection_entry& entry : entries_) {
        if (entry.temp_stream)
            std::rewind(entry.temp_stream);
    }
    std::vector<char*> buffers(entries_.size(), nullptr);
    std::vector<size_t> capacities(entries_.size(), 0);
    for (long row = 0; row < largest_rows_; ++row) {
        for (size_t n = 0; n < entries_.size(); ++n) {
            selection_entry& entry = entries_[n];
            size_t length = 0;
            if (row < entry.rows && entry.temp_stream &&
                read_line(entry.temp_stream, buffers[n], capacities[n], length) >= 0) {
                std::fwrite(buffers[n], 1, length, out);
                continue;
            }
            // The line has no more rows: "-" for each of its columns.
            if (entry.x_column != 0)
                std::fputs(n == 0 ? "-" : "\t-", out);
            std::fputs(n == 0 && entry.x_column == 0 ? "-" : "\t-", out);
        }
        std::fputc('\n', out);
    }
    for (char* b : buffers)
        std::free(b);
    bool failed = std::ferror(out) != 0;
    failed = std::fclose(out) != 0 || failed;
    if (failed)
        cannot_open(setup_.output_path);
    if (!output_direct_) {
        ::chmod(output_part_.c_str(), 0666 & ~current_umask());
        if (!RenameFile(output_part_, setup_.output_path))
            cannot_open(setup_.output_path);
        output_part_.clear();
    }
    close_temp_files();
    remove_temp_files();
}

void data_selection::close_temp_files()
{
    for (selection_entry& entry : entries_) {
        if (entry.temp_stream) {
            std::fclose(entry.temp_stream);
            entry.temp_stream = nullptr;
        }
    }
}

void data_selection::remove_temp_files()
{
    for (selection_entry& entry : entries_) {
        if (!entry.temp_file.empty()) {
            DeleteFile(entry.temp_file);
            entry.temp_file.clear();
        }
    }
}

int run_data_selection(data_selection_setup setup)
{
    data_selection selection(std::move(setup));
    selection.prepare_output();
    selection.read_selection_settings();
    selection.select_rows();
    selection.merge_output_columns();
    return selection.any_selected() ? 1 : 0;
}
