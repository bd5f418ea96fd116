// The desktop program "Ploter termiczny":  wirvela [--dir DIR] [FILE]
//
// Finds the start-up directory (wirvela.ini, local.txt, the logs), makes it the current
// directory (the system reads and writes its files there), starts the application core
// and shows the main window; FILE, when given, is opened as the open command would open
// it once the start-up splash has closed.
//
// Exit codes: 0 normal end; 1-6 no usable start-up directory (StartupDirectoryStatus);
// 64 bad command line; 66 FILE not found; 71 the start-up directory cannot be entered;
// 74 wirvela.ini could not be written at the end; 143 / 129 ended by SIGTERM / SIGHUP
// (after the orderly shut-down); other codes as the controller link's start-up decided.
#include <QApplication>
#include <QIcon>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "app/AppCore.h"
#include "app/StartupDirectory.h"
#include "app/windows/AboutModel.h"
#include "platform/EventChannel.h"
#include "platform/WorkingMemory.h"
#include "ui/ControlBinding.h"
#include "ui/Icons.h"
#include "ui/QtBeep.h"
#include "ui/QtEventPump.h"
#include "ui/QtPrompt.h"
#include "ui/QtStopSignals.h"
#include "ui/TForm1.h"

#ifndef WIRVELA_VERSION
#define WIRVELA_VERSION "0.0.0"
#endif

namespace {

using namespace wirvela;

constexpr int kExitUsage = 64;
constexpr int kExitNoFile = 66;
constexpr int kExitNoDirectory = 71;
constexpr int kExitNotSaved = 74;

constexpr const char* kUsage =
    "Usage: wirvela [--dir DIR] [FILE]\n"
    "\n"
    "The control program of the hot-wire foam cutter.\n"
    "\n"
    "  --dir DIR   use DIR as the start-up directory (it must hold wirvela.ini);\n"
    "              default: the current directory when it holds wirvela.ini, else\n"
    "              $XDG_CONFIG_HOME/wirvela (~/.config/wirvela), filled with the\n"
    "              shipped settings on the first start\n"
    "  FILE        a drawing (.plt, .dxf) or project (.con) to open at start\n"
    "  --version   print the version and exit\n"
    "  --help      print this text and exit\n";

struct Arguments {
    std::optional<std::filesystem::path> directory;
    std::optional<std::filesystem::path> file;
    std::string error;
};

void Print(std::FILE* stream, const std::string& text) {
    std::fputs(text.c_str(), stream);
    std::fflush(stream);
}

int Fail(int code, const std::string& text) {
    Print(stderr, "wirvela: " + text + "\n");
    return code;
}

// --version and --help work without a display: they are looked for before Qt starts.
std::optional<int> InformationOnly(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--") break;
        if (a == "--version") {
            Print(stdout, std::string("wirvela ") + WIRVELA_VERSION + "\n");
            return 0;
        }
        if (a == "--help" || a == "-h") {
            Print(stdout, kUsage);
            return 0;
        }
    }
    return std::nullopt;
}

// The arguments Qt has left (its own options, such as -platform, are taken out).
Arguments Parse(const QStringList& arguments) {
    Arguments args;
    bool options = true;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const std::string a = FromQt(arguments[i]);
        if (options && a == "--") {
            options = false;
        } else if (options && a == "--dir") {
            if (i + 1 >= arguments.size()) {
                args.error = "--dir needs a directory";
                return args;
            }
            args.directory = std::filesystem::path(FromQt(arguments[++i]));
        } else if (options && a.rfind("--dir=", 0) == 0) {
            args.directory = std::filesystem::path(a.substr(6));
        } else if (options && a.size() > 1 && a[0] == '-') {
            args.error = "unknown option " + a;
            return args;
        } else if (args.file) {
            args.error = "only one FILE may be given";
            return args;
        } else {
            args.file = std::filesystem::path(a);
        }
    }
    if (args.directory && args.directory->empty()) args.error = "--dir needs a directory";
    return args;
}

std::optional<std::string> Environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

// The shipped wirvela.ini and local.txt: beside the installed program, where it was
// installed to, and the source tree this program was built from.
std::vector<std::filesystem::path> ShippedDataDirectories() {
    std::vector<std::filesystem::path> dirs;
    const std::filesystem::path program(FromQt(QCoreApplication::applicationDirPath()));
    dirs.push_back(program.parent_path() / "share" / "wirvela");
#ifdef WIRVELA_INSTALL_DATA_DIR
    dirs.emplace_back(WIRVELA_INSTALL_DATA_DIR);
#endif
#ifdef WIRVELA_SOURCE_DATA_DIR
    dirs.emplace_back(WIRVELA_SOURCE_DATA_DIR);
#endif
    return dirs;
}

}  // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> done = InformationOnly(argc, argv)) return *done;
    WorkingMemory::Prepare(WorkingMemory::kProgramBytes);

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("wirvela"));
    QApplication::setApplicationVersion(QStringLiteral(WIRVELA_VERSION));
    InitUiResources();
    QApplication::setWindowIcon(WirvelaIcon("wirvela"));

    const Arguments args = Parse(QApplication::arguments());
    if (!args.error.empty()) {
        Print(stderr, "wirvela: " + args.error + "\n\n" + kUsage);
        return kExitUsage;
    }

    std::error_code ec;
    const std::filesystem::path started = std::filesystem::current_path(ec);
    if (ec) return Fail(kExitNoDirectory, "the current directory cannot be read: " + ec.message());
    // FILE and DIR are named from where the program was started, not from the start-up directory.
    std::optional<std::filesystem::path> file;
    if (args.file) {
        file = std::filesystem::absolute(started / *args.file).lexically_normal();
        if (!std::filesystem::is_regular_file(*file, ec))
            return Fail(kExitNoFile, "no such drawing file: " + file->string());
    }

    StartupDirectoryRequest request;
    if (args.directory) request.explicitDirectory = (started / *args.directory).lexically_normal();
    request.currentDirectory = started;
    request.xdgConfigHome = Environment("XDG_CONFIG_HOME");
    request.home = Environment("HOME");
    request.shippedDataDirectories = ShippedDataDirectories();
    const StartupDirectory startup = StartupDirectory::Resolve(request);
    if (!startup.Ok()) return Fail(startup.ExitCode(), startup.message);
    if (!startup.seeded.empty()) Print(stderr, "wirvela: " + startup.message + "\n");

    std::filesystem::current_path(startup.directory, ec);
    if (ec) return Fail(kExitNoDirectory, "cannot enter " + startup.directory.string() + ": " + ec.message());

    QtBeep beep;
    QtEventPump pump;
    QtPrompt prompt;

    AppCoreOptions options;
    options.directory = startup.directory;
    options.shippedData = StartupDirectory::ShippedData(request.shippedDataDirectories);
    options.prompt = &prompt;
    options.notifier = pump.Notifier();
    options.processId = static_cast<int>(QCoreApplication::applicationPid());
    options.version = ProgramVersion::Compiled(WIRVELA_VERSION);
    AppCore core(std::move(options));
    const AppCore::StartResult start = core.Start();
    if (start.exit) return start.exitCode;

    for (EventChannel* channel : core.Channels()) pump.Watch(*channel);
    core.SetExitHook([](int code) { QCoreApplication::exit(code); });

    int code = 0;
    {
        const QtStopSignals stopSignals;
        TForm1 window(core, pump, prompt);
        window.SetDocumentDirectory(started);
        if (file) window.SetStartupFile(*file);
        window.show();
        code = QApplication::exec();
        // Exit ends the loop without closing the window.
        window.Shutdown();
    }
    if (!core.SaveError().empty()) {
        Fail(kExitNotSaved, "wirvela.ini could not be written: " + core.SaveError());
        if (code == 0) code = kExitNotSaved;
    }
    return code;
}
