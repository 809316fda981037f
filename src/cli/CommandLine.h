#pragma once

// What every fennix-morph command shares: how it declares its arguments and
// options (one Command each, see Commands.h), how a command line is parsed
// against that declaration, the options all commands take, the help texts
// made from the declarations, the exit statuses and the one-line messages.

#include <QSize>
#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "media/ImageFile.h"

namespace fennix::cli {

// The exit statuses: success, a command that failed (a file that cannot be
// read or written ...), and a command line that is wrong in itself (an
// unknown option, a missing or extra argument, a bad option value).
constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kUsageError = 2;

// One option of a command: "--name VALUE" or "--name=VALUE" when `value`
// names its value ("N", "WxH"), a flag when it is empty. `help` is its entry
// in the command's help, lines after the first ones of their own (without
// indentation). A repeated option keeps every value (see Values); a
// `repeatable` one shows "..." in the usage line.
struct Option {
    std::string name;
    std::string value;
    std::string help;
    bool repeatable = false;
};

// --force as a command that writes one file declares it.
Option ForceOption();

class Invocation;

// One command: its name, its arguments as the usage line shows them, how
// many it takes, what the help says of it, its own options (the common ones,
// -h/--help and --quiet, are added to every command) and what runs it.
struct Command {
    std::string name;       // "avi"
    std::string summary;    // one line for the program's help
    std::string arguments;  // "FRAMEDIR OUTPUT.avi"
    std::string needs;      // what a missing argument message names
    size_t minArguments = 0;
    size_t maxArguments = 0;  // kAnyNumber for no limit
    std::string description;  // the help's text between usage and options
    std::vector<Option> options;
    int (*run)(const Invocation&) = nullptr;
};

constexpr size_t kAnyNumber = static_cast<size_t>(-1);

// A command line parsed against its command, and where the command prints.
// Arguments and values keep the bytes they were given (file names need not
// be UTF-8).
class Invocation {
  public:
    Invocation(std::ostream& out, std::ostream& err, bool terminal, std::string programFolder)
        : out_(out), err_(err), terminal_(terminal), programFolder_(std::move(programFolder)) {}

    // The arguments that are not options, in their order.
    const std::vector<std::string>& Arguments() const { return arguments_; }
    // True when the option (declared by the command) was given.
    bool Has(const std::string& name) const { return options_.count(name) > 0; }
    // The last value given to the option, if it was given.
    std::optional<std::string> Value(const std::string& name) const;
    // Every value given to the option, in their order.
    std::vector<std::string> Values(const std::string& name) const;

    bool Quiet() const { return quiet_; }
    bool Force() const { return Has("force"); }
    // True when a progress line is kept on the error output: it is a
    // terminal and --quiet is not given.
    bool ShowsProgress() const { return terminal_ && !quiet_; }
    const std::string& ProgramFolder() const { return programFolder_; }
    std::ostream& Out() const { return out_; }
    std::ostream& Err() const { return err_; }

    // "fennix-morph: MESSAGE" on the error output; returns kFailure.
    int Fail(const std::string& message) const;
    // "fennix-morph: MESSAGE (see --help)" on the error output; returns
    // kUsageError.
    int Usage(const std::string& message) const;
    // A line on the standard output that tells what was done, left out
    // with --quiet.
    void Summary(const std::string& line) const;

  private:
    friend int RunCommand(const Command&, const std::vector<std::string>&, bool, std::ostream&,
                          std::ostream&, bool, const std::string&);

    std::ostream& out_;
    std::ostream& err_;
    bool terminal_;
    std::string programFolder_;
    bool quiet_ = false;
    std::vector<std::string> arguments_;
    std::map<std::string, std::vector<std::string>> options_;
};

// Parses `args` (what follows the command's name) against `command` and runs
// it: its help with -h/--help, a usage error for an unknown option, a
// missing value, a flag given a value or a wrong number of arguments.
// `quiet` is --quiet given before the command. Returns the exit status.
int RunCommand(const Command& command, const std::vector<std::string>& args, bool quiet,
               std::ostream& out, std::ostream& err, bool terminal,
               const std::string& programFolder);

// What is wrong with the form of one of `options` in `args`, found before
// QCommandLineParser reads them (its own messages name neither problem in
// the program's words): a value option at the end without its value, or a
// flag given "=VALUE". Empty when there is nothing of the kind; what comes
// after "--" is not looked at.
std::string OptionFormProblem(const std::vector<std::string>& args,
                              const std::vector<Option>& options);

// The usage line of a command, "usage: fennix-morph NAME ARGUMENTS [--opt V]
// ...", wrapped to 80 columns; `lead` replaces "usage: " (the program's help
// lists every command under one another).
std::string UsageLines(const Command& command, const std::string& lead = "usage: ");

// The whole help of a command: usage, description, options.
std::string CommandHelp(const Command& command);

// The common options' part of the program's help.
std::string CommonOptionsHelp();

// A whole number option value, `minimum` ... 1000000.
std::optional<int> CountOption(const std::string& text, int minimum);

// "WxH" with two whole numbers 1 ... 32767.
std::optional<QSize> SizeOption(const std::string& text);

// Why a command may not write the file `output`, empty when it may: an
// existing file (or a link) is replaced only with `force`. What is there and
// is not a regular file (a folder, a device, a FIFO) is left to the writer,
// which refuses it with or without --force. `what` names the kind of file
// in the message: "the project P already exists; use --force to replace it".
std::string RefuseExistingOutput(const std::string& output, const std::string& what, bool force);

// Why `output` may not be written because it is one of `inputs` (a kind and
// a path: {"start picture", "/a/s.bmp"}), under that name, through a link
// or as a hard link; empty when it is none of them. The message reads
// "it is the start picture /a/s.bmp".
std::string SameFileAsInput(const std::string& output,
                            const std::vector<std::pair<std::string, std::string>>& inputs);

// The rule for the one file a command writes: never one of `inputs`
// ("cannot write the project P: it is the start picture S"), an existing
// file only with `force` (see RefuseExistingOutput). Empty when `output` may
// be written, otherwise the message.
std::string CheckOutput(const std::string& output, const std::string& what,
                        const std::vector<std::pair<std::string, std::string>>& inputs, bool force);

// Removes what killed writes left beside `path` (see
// RemoveAbandonedScratchFiles) before a new one is written there.
void RemoveScratchBeside(const std::string& path);

// The message for an image that cannot be read, with the reason:
// "cannot read the image PATH: not a regular file".
std::string CannotReadImage(const std::string& path, ImageFailure why);

// The prefix of the scratch folders in the system's temporary folder:
// "fennix-morph-<pid>-XXXXXX".
inline constexpr const char* kScratchPrefix = "fennix-morph";

// A progress line on the terminal: "frame 3/20", rewritten in place, ended
// by a line break before anything else is printed. Silent unless `shown`.
class ProgressLine {
  public:
    ProgressLine(std::ostream& err, bool shown) : err_(err), shown_(shown) {}
    ~ProgressLine() { End(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;
    void Show(const char* what, int64_t done, int64_t total);
    void End();

  private:
    std::ostream& err_;
    bool shown_;
    bool open_ = false;
};

}  // namespace fennix::cli
