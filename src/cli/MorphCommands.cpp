#include "cli/MorphCommands.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>
#include <algorithm>

#include "cli/Commands.h"
#include "core/ScratchFolder.h"

namespace fennix {

namespace {

using namespace cli;

// The program's help: every command's usage, what each does, the options
// all of them share and the exit statuses.
std::string ProgramHelp() {
    std::string text;
    for (const Command* command : Commands())
        text += UsageLines(*command, text.empty() ? "usage: " : "       ");
    text +=
        "       fennix-morph COMMAND --help\n"
        "       fennix-morph --version\n"
        "Commands:\n";
    for (const Command* command : Commands())
        text +=
            "  " + command->name +
            std::string(std::max<size_t>(8, command->name.size() + 2) - command->name.size(), ' ') +
            command->summary + "\n";
    return text + CommonOptionsHelp() +
           "Exit status: 0 on success, 1 when the command fails, 2 for a usage error.\n";
}

const Command* FindCommand(const std::string& name) {
    for (const Command* command : Commands())
        if (command->name == name) return command;
    return nullptr;
}

// Arguments are bytes; see FromBytes in CommandLine.cpp.
QString Latin1(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

int UsageError(std::ostream& err, const std::string& message) {
    err << "fennix-morph: " << message << " (see --help)\n";
    return kUsageError;
}

}  // namespace

int RunMorphCommand(const std::vector<std::string>& args, const std::string& programFolder,
                    std::ostream& out, std::ostream& err, bool terminal) {
    // The program's own options come before the command; everything from
    // the command on is the command's (its own parser reads "--" there).
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help(QStringList{"h", "help"}), version("version"), quiet("quiet");
    parser.addOptions({help, version, quiet});
    if (const std::string problem =
            OptionFormProblem(args, {{"help", "", ""}, {"version", "", ""}, {"quiet", "", ""}});
        !problem.empty())
        return UsageError(err, problem);
    QStringList list = {"fennix-morph"};
    for (const std::string& arg : args) list.append(Latin1(arg));
    if (!parser.parse(list)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (unknown.isEmpty()) return UsageError(err, parser.errorText().toStdString());
        const std::string name = unknown.front().toLatin1().toStdString();
        return UsageError(err,
                          "unknown option " + std::string(name.size() == 1 ? "-" : "--") + name);
    }
    std::vector<std::string> positional;
    for (const QString& argument : parser.positionalArguments())
        positional.push_back(argument.toLatin1().toStdString());
    const Command* command = positional.empty() ? nullptr : FindCommand(positional[0]);
    if (parser.isSet(help)) {
        // "fennix-morph --help render" is "fennix-morph render --help".
        out << (command ? CommandHelp(*command) : ProgramHelp());
        return kSuccess;
    }
    if (parser.isSet(version)) {
        out << "fennix-morph " << FENNIX_VERSION << "\n";
        return kSuccess;
    }
    if (positional.empty()) {
        err << ProgramHelp();
        return kUsageError;
    }
    if (!command) return UsageError(err, "unknown command " + positional[0]);
    // Scratch folders of runs that were killed (a render's JPEG scratch).
    RemoveAbandonedScratchFolders(SystemTempFolder(), kScratchPrefix);
    const std::vector<std::string> rest(positional.begin() + 1, positional.end());
    return RunCommand(*command, rest, parser.isSet(quiet), out, err, terminal, programFolder);
}

}  // namespace fennix
