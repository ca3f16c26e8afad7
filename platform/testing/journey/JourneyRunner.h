#pragma once
// Journey tests: start a real program of the build, let the journey driver play a script of key
// presses and clicks on its shown windows, and look at what the user would see afterwards (exit
// status, files, stored records, the titles of the windows shown). See README.md, development
// notes, for the script's steps.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace journey {

struct JourneyResult {
    int exitStatus = -1;          // the program's exit status; 128 + signal when a signal ended it
    bool timedOut = false;        // the program was still running at the deadline and was killed
    bool driverFailed = false;    // a step of the script failed (the driver ended the program)
    std::string failure;          // the driver's report of the failed step
    std::string standardError;
    std::string standardOutput;
    std::string log;              // the logs of every driver (the program and the programs it started)

    // Titles of the windows a program showed, in order ("quelmgui", "plotwell"...).
    std::vector<std::string> WindowsShown(const std::string& program) const;
    bool ShowedWindow(const std::string& program, const std::string& titlePart) const;
    // Everything above, for an assertion's message.
    std::string Describe() const;
};

// One start of a program in a home of its own: a fresh folder holds HOME, the XDG folders, a
// private temporary folder ($TMPDIR) and the driver's output; it is removed with the object.
class Journey {
public:
    explicit Journey(std::filesystem::path program);
    ~Journey();
    Journey(const Journey&) = delete;
    Journey& operator=(const Journey&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    std::filesystem::path Home() const { return root_ / "home"; }
    std::filesystem::path Temp() const { return root_ / "tmp"; }
    std::filesystem::path Out() const { return root_ / "out"; } // $QUELM_JOURNEY_OUT: logs, pictures

    // Sets an environment variable of the program (added to the fresh-home set above).
    void SetEnv(const std::string& name, const std::string& value) { env_[name] = value; }

    // Starts the program with <arguments>, plays <script> and waits for the program to end, at
    // most <timeoutMs> (then kills it). Programs the program started are ended too.
    JourneyResult Run(const std::string& script, const std::vector<std::string>& arguments = {},
                      int timeoutMs = 60000);

private:
    std::filesystem::path program_;
    std::filesystem::path root_;
    std::map<std::string, std::string> env_;
};

// The rows of <sql> on the SQLite database <file>, opened read-only; each value as text (NULL as
// an empty string). Throws std::runtime_error when the database or the query fails.
std::vector<std::vector<std::string>> QueryDatabase(const std::filesystem::path& file, const std::string& sql);

// Waits up to <timeoutMs> for <file> to exist.
bool WaitForFile(const std::filesystem::path& file, int timeoutMs = 10000);

} // namespace journey
