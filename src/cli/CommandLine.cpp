#include "cli/CommandLine.h"

#include <sys/stat.h>

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>
#include <algorithm>

#include "core/NumberText.h"
#include "core/Paths.h"
#include "core/SafeWrite.h"

namespace fennix::cli {

namespace {

// The options every command takes besides its own.
const std::vector<Option>& CommonOptions() {
    static const std::vector<Option> common = {
        {"quiet", "",
         "no progress line and no summary; errors and warnings still go to standard error"},
        {"help", "", "this help"},
    };
    return common;
}

// Arguments are bytes; QString holds each byte as the character of the same
// number, so that names which are not UTF-8 come back unchanged.
QString FromBytes(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ToBytes(const QString& text) {
    return text.toLatin1().toStdString();
}

const Option* FindOption(const std::vector<Option>& options, std::string_view name) {
    for (const Option& option : options)
        if (option.name == name) return &option;
    return nullptr;
}

}  // namespace

std::string OptionFormProblem(const std::vector<std::string>& args,
                              const std::vector<Option>& options) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") break;
        if (arg.rfind("--", 0) != 0) continue;
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(2, equals == std::string::npos ? equals : equals - 2);
        const Option* option = FindOption(options, name);
        if (!option) continue;
        if (option->value.empty()) {
            if (equals != std::string::npos) return "--" + name + " takes no value";
        } else if (equals == std::string::npos) {
            if (i + 1 >= args.size()) return "--" + name + " needs a value";
            ++i;  // the value, whatever it looks like
        }
    }
    return {};
}

namespace {

// Why the parser refused the command line, in the program's words.
std::string ParseProblem(const QCommandLineParser& parser) {
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        const std::string name = ToBytes(unknown.front());
        return "unknown option " + std::string(name.size() == 1 ? "-" : "--") + name;
    }
    return parser.errorText().toStdString();
}

// "[--name VALUE]", "[--name VALUE ...]" or "[--name]".
std::string UsageToken(const Option& option) {
    std::string token = "[--" + option.name;
    if (!option.value.empty()) token += " " + option.value;
    if (option.repeatable) token += " ...";
    return token + "]";
}

// The text of an option in the help's list: "--name VALUE".
std::string OptionLabel(const Option& option) {
    if (option.name == "help") return "-h, --help";
    return "--" + option.name + (option.value.empty() ? "" : " " + option.value);
}

// `text` broken into lines of at most `width` characters at its blanks
// (line breaks in it count as blanks), each line after the first starting
// with `indent`.
std::string Wrapped(const std::string& text, size_t width, const std::string& indent) {
    std::string wrapped, line;
    size_t from = 0;
    while (from < text.size()) {
        const size_t start = text.find_first_not_of(" \n", from);
        if (start == std::string::npos) break;
        size_t stop = text.find_first_of(" \n", start);
        if (stop == std::string::npos) stop = text.size();
        const std::string word = text.substr(start, stop - start);
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            wrapped += line + "\n" + indent;
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        from = stop;
    }
    return wrapped + line;
}

// The options as the help lists them: the label, then its help wrapped to
// 80 columns in a column of its own (a long label has a line of its own).
std::string OptionList(const std::vector<Option>& options) {
    size_t column = 0;
    for (const Option& option : options) column = std::max(column, OptionLabel(option).size());
    column = std::min<size_t>(column, 18) + 4;
    const std::string indent(column, ' ');
    std::string text;
    for (const Option& option : options) {
        std::string line = "  " + OptionLabel(option);
        line += line.size() + 2 <= column ? std::string(column - line.size(), ' ') : "\n" + indent;
        text += line + Wrapped(option.help, 80 - column, indent) + "\n";
    }
    return text;
}

}  // namespace

Option ForceOption() {
    return {"force", "", "replace an existing output (never one of the inputs)"};
}

std::optional<std::string> Invocation::Value(const std::string& name) const {
    const auto found = options_.find(name);
    if (found == options_.end() || found->second.empty()) return std::nullopt;
    return found->second.back();
}

std::vector<std::string> Invocation::Values(const std::string& name) const {
    const auto found = options_.find(name);
    return found == options_.end() ? std::vector<std::string>{} : found->second;
}

int Invocation::Fail(const std::string& message) const {
    err_ << "fennix-morph: " << message << "\n";
    return kFailure;
}

int Invocation::Usage(const std::string& message) const {
    err_ << "fennix-morph: " << message << " (see --help)\n";
    return kUsageError;
}

void Invocation::Summary(const std::string& line) const {
    if (!quiet_) out_ << line << "\n";
}

int RunCommand(const Command& command, const std::vector<std::string>& args, bool quiet,
               std::ostream& out, std::ostream& err, bool terminal,
               const std::string& programFolder) {
    Invocation invocation(out, err, terminal, programFolder);
    std::vector<Option> options = command.options;
    options.insert(options.end(), CommonOptions().begin(), CommonOptions().end());
    if (const std::string problem = OptionFormProblem(args, options); !problem.empty())
        return invocation.Usage(problem);

    QCommandLineParser parser;
    for (const Option& option : options) {
        QStringList names = {FromBytes(option.name)};
        if (option.name == "help") names.prepend("h");
        parser.addOption(QCommandLineOption(names, QString(), FromBytes(option.value)));
    }
    QStringList list = {"fennix-morph"};
    for (const std::string& arg : args) list.append(FromBytes(arg));
    if (!parser.parse(list)) return invocation.Usage(ParseProblem(parser));
    if (parser.isSet("help")) {
        out << CommandHelp(command);
        return kSuccess;
    }
    invocation.quiet_ = quiet || parser.isSet("quiet");
    for (const Option& option : command.options) {
        if (!parser.isSet(FromBytes(option.name))) continue;
        std::vector<std::string>& values = invocation.options_[option.name];
        for (const QString& value : parser.values(FromBytes(option.name)))
            values.push_back(ToBytes(value));
    }
    for (const QString& argument : parser.positionalArguments())
        invocation.arguments_.push_back(ToBytes(argument));

    const size_t count = invocation.arguments_.size();
    if (count < command.minArguments)
        return invocation.Usage(command.name + " needs " + command.needs);
    if (count > command.maxArguments)
        return invocation.Usage(command.name + " takes " + command.needs + " only, not also " +
                                invocation.arguments_[command.maxArguments]);
    return command.run(invocation);
}

std::string UsageLines(const Command& command, const std::string& lead) {
    const std::string start = lead + "fennix-morph " + command.name + " ";
    const std::string indent(start.size(), ' ');
    std::string text, line = start + command.arguments;
    for (const Option& option : command.options) {
        const std::string token = UsageToken(option);
        if (line.size() + 1 + token.size() > 80) {
            text += line + "\n";
            line = indent + token;
        } else {
            line += " " + token;
        }
    }
    return text + line + "\n";
}

std::string CommandHelp(const Command& command) {
    std::vector<Option> options = command.options;
    options.insert(options.end(), CommonOptions().begin(), CommonOptions().end());
    return UsageLines(command) + command.description + "Options (--opt VALUE or --opt=VALUE):\n" +
           OptionList(options);
}

std::string CommonOptionsHelp() {
    std::vector<Option> options = {
        {"help", "", "this help; COMMAND --help shows the command's own"},
        {"version", "", "the program's name and version"},
        CommonOptions().front(),
        ForceOption(),
    };
    options.back().help = "(commands that write) " + options.back().help;
    return "Options (--opt VALUE or --opt=VALUE; -- ends the options, so that what follows\n"
           "is an argument even when it starts with -):\n" +
           OptionList(options);
}

std::optional<int> CountOption(const std::string& text, int minimum) {
    const auto number = ParseNumber(text);
    if (!number || *number != static_cast<int>(*number) || *number < minimum || *number > 1000000)
        return std::nullopt;
    return static_cast<int>(*number);
}

std::optional<QSize> SizeOption(const std::string& text) {
    const size_t x = text.find_first_of("xX");
    if (x == std::string::npos) return std::nullopt;
    const auto width = CountOption(text.substr(0, x), 1);
    const auto height = CountOption(text.substr(x + 1), 1);
    if (!width || !height || *width > 32767 || *height > 32767) return std::nullopt;
    return QSize(*width, *height);
}

std::string RefuseExistingOutput(const std::string& output, const std::string& what, bool force) {
    if (force || !NameTaken(output)) return {};
    struct stat info {};
    if (::stat(output.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return {};
    return "the " + what + " " + output + " already exists; use --force to replace it";
}

std::string SameFileAsInput(const std::string& output,
                            const std::vector<std::pair<std::string, std::string>>& inputs) {
    for (const auto& [kind, path] : inputs)
        if (SameFile(output, path)) return "it is the " + kind + " " + path;
    return {};
}

std::string CheckOutput(const std::string& output, const std::string& what,
                        const std::vector<std::pair<std::string, std::string>>& inputs,
                        bool force) {
    if (const std::string why = SameFileAsInput(output, inputs); !why.empty())
        return "cannot write the " + what + " " + output + ": " + why;
    return RefuseExistingOutput(output, what, force);
}

void RemoveScratchBeside(const std::string& path) {
    const std::string folder = PathFolder(path);
    RemoveAbandonedScratchFiles(folder.empty() ? std::string(".") : folder);
}

std::string CannotReadImage(const std::string& path, ImageFailure why) {
    return "cannot read the image " + path + ": " + ImageFailureText(why);
}

void ProgressLine::Show(const char* what, int64_t done, int64_t total) {
    if (!shown_) return;
    err_ << "\r" << what << " " << done << "/" << total << std::flush;
    open_ = true;
}

void ProgressLine::End() {
    if (open_) err_ << "\n" << std::flush;
    open_ = false;
}

}  // namespace fennix::cli
