#include "cli/ProfilesCommand.h"

#include <CLI/CLI.hpp>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "cli/CliSession.h"
#include "cli/ExitCode.h"
#include "config/MessageFormat.h"
#include "config/Settings.h"
#include "formats/DrawingLoader.h"
#include "mesh3d/Mesh3D.h"
#include "mesh3d/ProfileBuilder.h"

namespace wirvela {

namespace {

using Json = nlohmann::ordered_json;

struct ProfilesArgs {
    std::string model;
    ProfileOptions options;
    bool noPlinth = false;
    std::string out;
    std::string log;
};

// Message boxes become numbered lines on standard error; the log is not kept.
class CliProfileSink : public ProfileSink {
public:
    CliProfileSink(const TMessages& messages, std::ostream& err, std::ostream* log)
        : messages_(messages), err_(err), log_(log) {}
    bool Logging() const override { return log_ != nullptr; }
    void Log(std::string_view line) override {
        if (log_ != nullptr) *log_ << line << '\n';
    }
    std::string MessageText(int key, std::span<const int> args) const override {
        std::vector<FormatArg> values(args.begin(), args.end());
        return FormatMessage(messages_.MessageText(key), values);
    }
    void Box(int key, std::string_view text) override { err_ << "wirvela-cli: message " << key << ": " << text << '\n'; }

private:
    const TMessages& messages_;
    std::ostream& err_;
    std::ostream* log_;
};

int ExitFor(int message) {
    switch (message) {
        case 0: return kExitOk;
        case 350: case 355: case 357: return kExitUnreadable;
        case 359: return kExitNoPath;
        default: return kExitBadArgument;
    }
}

int ReadModel(TMesh3D& mesh, const std::string& file, CliSession& session, std::ostream& err) {
    const int read = mesh.ReadRaw(file, session.Parameters().GetNumber(settings::k3DRawScale));
    int message = 0;
    if (read == TMesh3D::kReadCannotOpen) message = 636;
    else if (read == TMesh3D::kReadNoMemory) message = 639;
    else if (read != TMesh3D::kReadOk || mesh.Count() == 0) message = 637;
    if (message == 0) return 0;
    const std::string text = message == 639 ? session.Messages().MessageText(639)
                                            : FormatMessage(session.Messages().MessageText(message), {file});
    err << "wirvela-cli: message " << message << ": " << text << '\n';
    return message;
}

int RunProfiles(const CliOptions& cli, ProfilesArgs args, std::ostream& out, std::ostream& err) {
    CliSession session(cli, err);
    TParameters& p = session.Parameters();
    ProfileOptions& o = args.options;
    o.plinth = !args.noPlinth;
    o.baseOffset = p.GetNumber(settings::kBaseOffset);
    o.snapTolerance = p.GetNumber(settings::kTollPktSnapToLine);
    o.snapToLine2nd = static_cast<int>(p.GetNumber(settings::kSnapToLine2nd));

    TMesh3D mesh;
    if (const int refused = ReadModel(mesh, args.model, session, err)) {
        if (cli.json) out << Json{{"message", refused}}.dump(2) << '\n';
        return refused == 636 ? kExitUnreadable : kExitBadArgument;
    }
    auto drawing = std::make_unique<TDrawing>();
    DeriveDrawingSettings(*drawing, p);
    std::ofstream logFile;
    if (!args.log.empty()) {
        logFile.open(args.log);
        if (!logFile) {
            err << "wirvela-cli: the log file '" << args.log << "' cannot be written\n";
            return kExitUnreadable;
        }
    }
    CliProfileSink sink(session.Messages(), err, args.log.empty() ? nullptr : &logFile);
    const ProfilesResult result = BuildProfiles(mesh, *drawing, o, args.out, sink);

    if (cli.json) {
        Json profiles = Json::array();
        for (const ProfileOutcome& r : result.profiles)
            profiles.push_back({{"index", r.index}, {"angle", r.angle}, {"lines", r.lines}, {"vertices", r.vertices},
                                {"boundary", r.boundary}, {"file", r.written ? r.file.string() : ""}});
        out << Json{{"message", result.message}, {"project", result.projectWritten ? result.project.string() : ""},
                    {"triangles", mesh.Count()}, {"profiles", profiles}}
                   .dump(2)
            << '\n';
    } else {
        for (const ProfileOutcome& r : result.profiles) {
            out << "profile " << r.index << " at " << r.angle << " deg: " << r.lines << " lines, " << r.vertices
                << " vertices, outline walk " << (r.boundary == 0 ? "reached the exit" : "failed");
            if (r.written) out << ", written to " << r.file.string();
            out << '\n';
        }
        if (result.projectWritten) out << "project written to " << result.project.string() << '\n';
    }
    return ExitFor(result.message);
}

}  // namespace

void AddProfilesCommand(CLI::App& app, CliOptions& options, std::function<int(std::ostream&, std::ostream&)>& action) {
    auto args = std::make_shared<ProfilesArgs>();
    CLI::App* command = app.add_subcommand(
        "profiles", "Turn a 3-D model (3D_raw) into the profiles of a rotary project (.hpr) and their HP-GL files");
    command->add_option("MODEL", args->model, "3D_raw model file")->required();
    command->add_option("--count", args->options.count, "Number of profiles per 180 degrees (1 to 360)")
        ->required();
    const auto millimetres = CLI::Range(0.0, 100000.0);
    command->add_option("--clearance", args->options.clearance, "Side clearance of the entry and exit points, mm")
        ->check(millimetres)
        ->capture_default_str();
    command->add_option("--base", args->options.baseDepth, "Depth of the base block, mm")
        ->check(millimetres)
        ->capture_default_str();
    CLI::Option* noPlinth = command->add_flag("--no-plinth", args->noPlinth, "Stand the part on the base block alone");
    command->add_option("--plinth-height", args->options.plinthHeight, "Plinth height, mm")
        ->check(millimetres)
        ->excludes(noPlinth)
        ->capture_default_str();
    command->add_option("--plinth-width", args->options.plinthWidth, "Plinth width, mm")
        ->check(millimetres)
        ->excludes(noPlinth)
        ->capture_default_str();
    command->add_option("--out", args->out, "Project file (.hpr) to write; the profiles go beside it")->required();
    command->add_flag("--no-dumps", [args](std::int64_t) { args->options.dumps = false; },
                      "Do not write the projection dumps (rzut_NAME_J.plt, rzut_NAME_sylwetki_J.plt)");
    command->add_option("--log", args->log, "Write the generator's log lines (tables, walk) to this file");
    command->callback([&options, &action, args] {
        action = [&options, args](std::ostream& out, std::ostream& err) {
            return RunProfiles(options, *args, out, err);
        };
    });
}

}  // namespace wirvela
