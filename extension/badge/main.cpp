// emblix-badge: marks files and folders with badges. The file managers'
// menus run it on the selection; it also serves the command line.
#include "BadgeCommand.h"
#include "BadgeDialog.h"
#include "BadgePath.h"
#include "i18n/Translator.h"
#include "platform/FileSystem.h"
#include "platform/Settings.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>

#include <cstdio>
#include <memory>
#include <optional>

namespace {

const char *const kUsage = "Usage: emblix-badge [--window] COMMAND [--] [PATH...]\n"
                           "  set N PATH...    give each path badge N (1 to 10)\n"
                           "  clear PATH...    take the badge off each path\n"
                           "  show PATH...     print each path's badge, \"-\" for none\n"
                           "  sync             make every file's emblem follow the records\n"
                           "  dialog PATH...   choose the badge of the paths in a window\n"
                           "--window shows problems in a message box instead of on standard error.\n"
                           "--selection-from VARIABLE takes the paths from that environment variable\n"
                           "  (one absolute path a line, as Caja and Nautilus pass a script's selection).\n"
                           "--files0-from FILE takes more paths from FILE, \"-\" for standard input,\n"
                           "  each ended by a NUL byte (as find -print0 writes them).\n"
                           "--help shows this text, --version the version.\n";

struct Arguments {
    bool window = false;
    QByteArray selectionVariable;
    QByteArray listFile; // "-": standard input
    QString command;
    QStringList words; // before "--" and the paths: the badge number
    QList<QByteArray> paths;
};

Arguments parse(int argc, char *argv[])
{
    Arguments parsed;
    bool pathsOnly = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray word(argv[i]);
        if (pathsOnly) {
            parsed.paths.append(word);
            continue;
        }
        if (word == "--")
            pathsOnly = true;
        else if (word == "--window" && parsed.command.isEmpty())
            parsed.window = true;
        else if (word == "--selection-from" && parsed.command.isEmpty() && i + 1 < argc)
            parsed.selectionVariable = argv[++i];
        else if (word == "--files0-from" && parsed.command.isEmpty() && i + 1 < argc)
            parsed.listFile = argv[++i];
        else if (parsed.command.isEmpty())
            parsed.command = QString::fromLocal8Bit(word);
        else if (parsed.command == u"set" && parsed.words.isEmpty())
            parsed.words.append(QString::fromLocal8Bit(word));
        else
            parsed.paths.append(word);
    }
    return parsed;
}

// Caja and Nautilus start a script through GLib, which expands "%" sequences
// in the names it passes ("50%off.txt" arrives as "50ff.txt"); their
// variable lists the same selection exactly, one path a line. A name with a
// line break would split into other paths there, so then nothing is taken.
QList<QByteArray> pathsOnCommandLine(const Arguments &arguments, QStringList &problems, Translator &translator)
{
    if (arguments.selectionVariable.isEmpty() || !qEnvironmentVariableIsSet(arguments.selectionVariable.constData()))
        return arguments.paths;
    QList<QByteArray> lines = qgetenv(arguments.selectionVariable.constData()).split('\n');
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    if (lines.size() != arguments.paths.size()) {
        problems.append(translator.Translate(QStringLiteral("a name that holds a line break cannot be marked")));
        return {};
    }
    return lines;
}

// The file managers' own menus hand the selection over on standard input:
// no limit on its size, and a NUL is the one byte no name holds.
QList<QByteArray> selectedPaths(const Arguments &arguments, QStringList &problems, Translator &translator)
{
    QList<QByteArray> paths = pathsOnCommandLine(arguments, problems, translator);
    if (arguments.listFile.isEmpty())
        return paths;
    QFile list;
    bool opened = false;
    if (arguments.listFile == "-") {
        opened = list.open(stdin, QIODevice::ReadOnly);
    } else if (FileSystem::isRegularFile(QFile::decodeName(arguments.listFile))) {
        list.setFileName(QFile::decodeName(arguments.listFile));
        opened = list.open(QIODevice::ReadOnly);
    }
    const QByteArray names = opened ? list.readAll() : QByteArray();
    if (!opened || list.error() != QFileDevice::NoError) {
        problems.append(QStringLiteral("\"%1\": %2")
                            .arg(QFile::decodeName(arguments.listFile),
                                 translator.Translate(QStringLiteral("the list of paths cannot be read"))));
        return {};
    }
    for (QByteArray &name : names.split('\0'))
        if (!name.isEmpty())
            paths.append(std::move(name));
    return paths;
}

// The selected paths made absolute; a message for each name that is no text.
QStringList readablePaths(const Arguments &arguments, QStringList &unreadable, Translator &translator)
{
    QStringList paths;
    for (const QByteArray &raw : selectedPaths(arguments, unreadable, translator)) {
        const QString path = BadgePath::fromArgument(raw);
        if (path.isNull())
            unreadable.append(QStringLiteral("\"%1\": %2")
                                  .arg(QFile::decodeName(raw), translator.Translate(QStringLiteral(
                                                                   "the name is no text this system can spell"))));
        else
            paths.append(path);
    }
    return paths;
}

// The problems in one box that fits the screen, however many names were
// refused, or on standard error.
void report(QStringList messages, bool windows, Translator &translator)
{
    if (messages.isEmpty())
        return;
    constexpr qsizetype kShown = 10;
    if (messages.size() > kShown + 1) {
        const qsizetype more = messages.size() - kShown;
        messages.resize(kShown);
        messages.append(translator.Translate(QStringLiteral("... and %1 more")).arg(more));
    }
    if (windows)
        QMessageBox::warning(nullptr, QStringLiteral("Emblix Manager"), messages.join(u'\n'));
    else
        std::fprintf(stderr, "%s\n", qPrintable(messages.join(u'\n')));
}

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// What a command runs on: the paths it was given, and how problems reach
// the user.
struct Context {
    const Arguments &arguments;
    const QStringList &paths;
    bool windows;
    const ProgramFolder &folder;
    Translator &translator;
    BadgeCommand &command;
};

// Every command: what it runs, and whether it needs paths. A command run
// with arguments it cannot use gives no outcome: the usage is shown.
struct CommandEntry {
    QStringView name;
    bool needsPaths;
    std::optional<BadgeCommand::Outcome> (*run)(const Context &);
};

std::optional<BadgeCommand::Outcome> setCommand(const Context &context)
{
    if (context.arguments.words.isEmpty())
        return std::nullopt;
    bool ok = false;
    const int badge = context.arguments.words.front().toInt(&ok);
    if (!ok || badge < 1 || badge > 10)
        return std::nullopt;
    return context.command.mark(context.paths, badge);
}

std::optional<BadgeCommand::Outcome> dialogCommand(const Context &context)
{
    if (!context.windows) {
        BadgeCommand::Outcome outcome;
        outcome.messages.append(QStringLiteral("emblix-badge: the dialog needs a display"));
        outcome.ok = false;
        return outcome;
    }
    BadgeDialog window(context.folder, context.translator, context.paths, context.command.sharedBadge(context.paths));
    if (window.exec() != QDialog::Accepted)
        return BadgeCommand::Outcome{};
    return context.command.mark(context.paths, window.chosenBadge());
}

const CommandEntry kCommands[] = {
    {u"set", false, setCommand},
    {u"clear", false, [](const Context &c) { return std::optional(c.command.mark(c.paths, 0)); }},
    {u"show", false, [](const Context &c) { return std::optional(c.command.show(c.paths)); }},
    {u"sync", false, [](const Context &c) { return std::optional(c.command.sync()); }},
    {u"dialog", true, dialogCommand},
};

const CommandEntry *findCommand(const QString &name)
{
    for (const CommandEntry &entry : kCommands) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}

} // namespace

int main(int argc, char *argv[])
{
    // Asked for alone, as every Unix command answers them: on standard
    // output, exit 0. A name after the command is always a path.
    if (argc == 2 && qstrcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 2 && qstrcmp(argv[1], "--version") == 0) {
        std::puts("emblix-badge " EMBLIX_VERSION);
        return 0;
    }
    const Arguments arguments = parse(argc, argv);
    const bool dialog = arguments.command == u"dialog";
    const bool windows = (dialog || arguments.window) && hasDisplay();
    // Qt reads options such as -platformpluginpath anywhere in what it is
    // given, and the paths are file names anyone can choose: Qt gets the
    // program's name alone.
    int qtArgc = 1;
    char *qtArgv[] = {argv[0], nullptr};
    std::unique_ptr<QCoreApplication> app =
        windows ? std::make_unique<QApplication>(qtArgc, qtArgv) : std::make_unique<QCoreApplication>(qtArgc, qtArgv);

    const ProgramFolder folder = ProgramFolder::ofExecutable();
    Translator translator(folder, Settings::read(folder, Settings::kLanguage));
    QStringList unreadable;
    const QStringList paths = readablePaths(arguments, unreadable, translator);
    const CommandEntry *entry = findCommand(arguments.command);
    BadgeCommand command(folder, translator);
    const std::optional<BadgeCommand::Outcome> outcome =
        entry && !(entry->needsPaths && paths.isEmpty())
            ? entry->run(Context{arguments, paths, windows, folder, translator, command})
            : std::nullopt;
    if (!outcome) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    for (const QString &line : outcome->lines)
        std::printf("%s\n", qPrintable(line));
    report(unreadable + outcome->messages, windows, translator);
    return (outcome->ok && unreadable.isEmpty()) ? 0 : 1;
}
