#include "rcs/rcs_programs.h"

#include "model/options.h"

#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <array>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <utility>
#include <vector>

#include <sys/stat.h>

namespace kestro {
namespace {

constexpr std::array<const char*, 5> kWrapped = {"co", "ci", "rlog", "rcsdiff", "rcsmerge"};

// Wrappers are a few hundred bytes; anything much larger is a program.
constexpr std::streamsize kMaxWrapperSize = 8192;

std::string ReadSmallFile(const QString& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::string text(static_cast<std::size_t>(kMaxWrapperSize), '\0');
    in.read(text.data(), kMaxWrapperSize);
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

QString DirectoryOf(const QString& path)
{
    return path.left(path.lastIndexOf('/') + 1);
}

std::string AskForAliases(const QString& rcs)
{
    QProcess process;
    process.start(rcs, {QStringLiteral("--aliases")});
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput().toStdString();
}

// What identifies an installed program: its path, file and last change.
QString Signature(const QString& path)
{
    struct stat status {};
    if (path.isEmpty() || ::stat(path.toLocal8Bit().constData(), &status) != 0)
        return path + QStringLiteral(":-");
    return QStringLiteral("%1:%2:%3:%4.%5")
        .arg(path)
        .arg(status.st_ino)
        .arg(status.st_size)
        .arg(status.st_mtim.tv_sec)
        .arg(status.st_mtim.tv_nsec);
}

// Each wrapped program that runs as "rcs <program>": only when the wrapper
// found on PATH sits beside the `rcs` found on PATH, so that what runs is
// the same program the wrapper would have run.
std::map<std::string, std::string> FindDirectForms(const QString& rcs,
                                                   const std::vector<std::pair<const char*, QString>>& found)
{
    std::map<std::string, std::string> forms;
    std::string aliases;
    bool asked = false;
    for (const auto& [program, path] : found) {
        if (path.isEmpty() || DirectoryOf(path) != DirectoryOf(rcs) || !IsRcsWrapperScript(ReadSmallFile(path), program))
            continue;
        if (!asked) {
            aliases = AskForAliases(rcs);
            asked = true;
        }
        if (ListsSubcommand(aliases, program))
            forms[program] = std::string("rcs ") + program;
    }
    return forms;
}

// The direct forms, remembered in the settings for the installed programs
// they were found for: asking rcs costs a program start, a good part of a
// one-file command. Any change to rcs or a wrapper (another PATH, an
// upgrade) asks again.
std::map<std::string, std::string> DirectForms()
{
    const QString rcs = QStandardPaths::findExecutable(QStringLiteral("rcs"));
    if (rcs.isEmpty())
        return {};
    std::vector<std::pair<const char*, QString>> found;
    QStringList signature{Signature(rcs)};
    for (const char* program : kWrapped) {
        found.emplace_back(program, QStandardPaths::findExecutable(QString::fromLatin1(program)));
        signature << Signature(found.back().second);
    }
    const QString key = signature.join(QLatin1Char('|'));
    QSettings settings = ProgramSettings();
    settings.beginGroup(QStringLiteral("RcsPrograms"));
    std::map<std::string, std::string> forms;
    if (settings.value(QStringLiteral("installed")).toString() == key) {
        for (const QString& program : settings.value(QStringLiteral("direct")).toStringList())
            forms[program.toStdString()] = "rcs " + program.toStdString();
        return forms;
    }
    forms = FindDirectForms(rcs, found);
    QStringList direct;
    for (const auto& [program, form] : forms)
        direct << QString::fromStdString(program);
    settings.setValue(QStringLiteral("installed"), key);
    settings.setValue(QStringLiteral("direct"), direct);
    return forms;
}

} // namespace

bool IsRcsWrapperScript(std::string_view script, std::string_view program)
{
    if (!script.starts_with("#!"))
        return false;
    const std::string call = "rcs " + std::string(program) + " \"$@\"";
    return script.find(call) != std::string_view::npos;
}

bool ListsSubcommand(std::string_view aliasesOutput, std::string_view subcommand)
{
    std::istringstream lines{std::string(aliasesOutput)};
    std::string line;
    while (std::getline(lines, line)) {
        if (line.starts_with("("))
            continue;  // the heading
        std::istringstream words(line);
        std::string word;
        while (words >> word) {
            if (word.back() == ',')
                word.pop_back();
            if (word == subcommand)
                return true;
        }
    }
    return false;
}

std::string DirectCommandLine(const std::string& commandLine)
{
    const std::size_t end = commandLine.find(' ');
    const std::string program = commandLine.substr(0, end);
    const std::string direct = DirectProgram(program);
    return direct == program ? commandLine : "rcs " + commandLine;
}

std::string DirectProgram(const std::string& program)
{
    static std::once_flag found;
    static std::map<std::string, std::string> forms;
    std::call_once(found, [] { forms = DirectForms(); });
    const auto it = forms.find(program);
    return it == forms.end() ? program : it->second;
}

} // namespace kestro
