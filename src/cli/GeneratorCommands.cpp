#include "cli/GeneratorCommands.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliSession.h"
#include "cli/DrawingReport.h"
#include "cli/DrawingSession.h"
#include "config/Settings.h"
#include "formats/HpglWriter.h"
#include "generators/BentMoulding.h"
#include "generators/Frame.h"

namespace wirvela {

namespace {

using Json = nlohmann::ordered_json;

struct FrameArgs {
    std::string file;
    std::string shape = "rectangle";
    bool size = false;
    FrameTexts texts;
    bool geometry = false;
    std::string out;
};

struct MouldingArgs {
    bool angleMode = false;
    MouldingTexts texts;
    std::string burn;  // empty: no burn allowance
    bool noReduce = false;
    bool geometry = false;
    std::string out;
};

// What the dialog would show in a message box: the text with its number on standard
// error, and with --json the number on standard output. Exit code 2.
int Refuse(const CliOptions& options, CliSession& session, const GeneratorMessage& refusal, std::ostream& out,
           std::ostream& err) {
    err << "wirvela-cli: message " << refusal.number << ": " << refusal.Text(session.Messages()) << '\n';
    if (options.json) out << Json{{"message", refusal.number}}.dump(2) << '\n';
    return 2;
}

int RunFrame(const CliOptions& options, const FrameArgs& args, std::ostream& out, std::ostream& err) {
    CliSession session(options, err);
    DrawingSession loaded(session);
    const int result = loaded.LoadAndJoin(args.file, false, err);
    const LoadReport& load = loaded.Loading();
    if (load.failure == LoadFailure::CannotOpen || load.failure == LoadFailure::Project) {
        err << "wirvela-cli: " << LoadFailureText(load) << ": '" << args.file << "'\n";
        return 1;
    }
    if (result != 16) {
        err << "wirvela-cli: '" << args.file << "' not loaded: " << LoadFailureText(load) << '\n';
        return 2;
    }
    // Without a joining there is no entry line for the frame to take the place of.
    if (loaded.Joining().state == kConnectNoGraph) {
        err << "wirvela-cli: '" << args.file << "': the drawing could not be joined, so no frame is added\n";
        return 3;
    }

    const FrameShape shape = args.shape == "circle" ? FrameShape::Circle : FrameShape::Rectangle;
    const FrameSizing sizing = args.size ? FrameSizing::Size : FrameSizing::Offset;
    FrameSpec spec;
    GeneratorMessage refusal;
    if (!ReadFrameSpec(args.texts, shape, sizing, spec, refusal)) return Refuse(options, session, refusal, out, err);
    TDrawing& d = loaded.Drawing();
    d.SelectFigure(TDrawing::kFigure1);
    d.SetEntryOffset(session.Parameters().GetNumber(settings::kWejscieX),
                     session.Parameters().GetNumber(settings::kWejscieY));
    if (const GeneratorMessage refused = AddFrame(d, spec)) return Refuse(options, session, refused, out, err);
    const int frameObject = d.Oelems();
    loaded.JoinAgain();

    const ConnectReport& report = loaded.Joining();
    if (options.json) {
        Json figures = Json::array();
        for (int f : ReportedFigures(d)) figures.push_back(FigurePathJson(d, f, &report, args.geometry));
        out << Json{{"frameObject", frameObject},
                    {"state", report.state},
                    {"figures", std::move(figures)},
                    {"seconds", report.seconds}}
                   .dump(2)
            << '\n';
    } else {
        out << "File: " << args.file << '\n' << "Frame: object " << frameObject << '\n';
        for (int f : ReportedFigures(d)) {
            PrintFigureCounts(out, d, f);
            if (const TLineList* path = d.Set(f).cutPath.get()) out << ", cut path of " << path->Length() << " lines";
            out << '\n';
        }
    }
    if (!WriteHpglOut(args.out, d.Set(TDrawing::kFigure1).L, HpglLines::ObjectLines, err)) return 1;
    if (report.state != kConnectSucceeded) {
        err << "wirvela-cli: '" << args.file << "': no cut path was found after the frame was added\n";
        return 3;
    }
    return 0;
}

// The outline in figure 1 of a fresh drawing, its walk as the cut path.
void BuildOutline(TDrawing& d, const std::vector<OutlineStep>& walk) {
    TDrawingSet& set = d.Set(TDrawing::kFigure1);
    set.oelems = 0;
    d.SelectFigure(TDrawing::kFigure1);
    set.cutPath = std::make_unique<TLineList>(static_cast<int>(walk.size()) + TLineList::kSpare);
    for (const OutlineStep& s : walk) set.cutPath->Append(s.line, s.dir, 2);
}

int RunMoulding(const CliOptions& options, const MouldingArgs& args, std::ostream& out, std::ostream& err) {
    CliSession session(options, err);
    MouldingTexts texts = args.texts;
    if (!args.burn.empty()) texts.b = args.burn;
    MouldingInput in;
    GeneratorMessage refusal;
    if (!ReadMouldingInput(texts, args.angleMode ? MouldingMode::Angle : MouldingMode::Arc, !args.noReduce,
                           !args.burn.empty(), in, refusal))
        return Refuse(options, session, refusal, out, err);
    Moulding m;
    if (const GeneratorMessage refused = ComputeMoulding(in, m)) return Refuse(options, session, refused, out, err);

    auto d = std::make_unique<TDrawing>();
    const bool outline = args.geometry || !args.out.empty();
    if (outline) {
        DeriveDrawingSettings(*d, session.Parameters());
        std::vector<OutlineStep> walk;
        if (const GeneratorMessage refused = AddMouldingOutline(d->L(), m, d->Settings().scale, walk))
            return Refuse(options, session, refused, out, err);
        BuildOutline(*d, walk);
    }
    if (options.json) {
        Json j = {{"N", m.N},       {"L", m.L},      {"s", m.s},       {"w", m.w},
                  {"p", m.p},       {"phi", m.phi},  {"beta", m.beta}};
        if (args.geometry) {
            j["path"] = CutPathJson(d->Set(TDrawing::kFigure1));
            AddGeometryJson(j, d->Set(TDrawing::kFigure1));
        }
        out << j.dump(2) << '\n';
    } else {
        out << "N: " << m.N << "\nL: " << MouldingLengthText(m.L) << "\ns: " << m.s << " mm\nw: " << m.w
            << " mm\np: " << m.p << " mm\nphi: " << m.phi << " rad\nbeta: " << m.beta << " rad\n";
        if (outline) {
            PrintFigureCounts(out, *d, TDrawing::kFigure1);
            out << ", cut path of " << d->Set(TDrawing::kFigure1).cutPath->Length() << " lines\n";
        }
    }
    return WriteHpglOut(args.out, d->L(), HpglLines::All, err) ? 0 : 1;
}

void AddLengthOption(CLI::App* command, const std::string& name, std::string& text, const std::string& what) {
    command->add_option(name, text, what)->capture_default_str();
}

}  // namespace

bool WriteHpglOut(const std::string& file, const TLines& lines, HpglLines which, std::ostream& err) {
    if (file.empty()) return true;
    std::string error;
    if (WriteHpgl(file, lines, which, &error)) return true;
    err << "wirvela-cli: " << error << '\n';
    return false;
}

void AddFrameCommand(CLI::App& app, CliOptions& options, std::function<int(std::ostream&, std::ostream&)>& action) {
    auto args = std::make_shared<FrameArgs>();
    CLI::App* frame = app.add_subcommand(
        "frame", "Load and join a drawing, add a rectangular or circular frame around it and join it again");
    frame->add_option("FILE", args->file, "Drawing file")->required();
    frame->add_option("--shape", args->shape, "rectangle or circle")
        ->check(CLI::IsMember({"rectangle", "circle"}))
        ->capture_default_str();
    frame->add_flag("--size", args->size,
                    "Size mode: --dx, --dy are the frame's width and height, --dr its radius (default: offsets "
                    "around the drawing)");
    AddLengthOption(frame, "--dx", args->texts.dx, "Rectangle: horizontal offset or width, mm");
    AddLengthOption(frame, "--dy", args->texts.dy, "Rectangle: vertical offset or height, mm");
    AddLengthOption(frame, "--dr", args->texts.dr, "Circle: radial offset or radius, mm");
    AddLengthOption(frame, "--epsilon", args->texts.epsilon,
                    "Circle: largest distance between the circle and its chords, mm");
    frame->add_flag("--geometry", args->geometry, "With --json: add the vertex and line tables of each figure");
    frame->add_option("--out", args->out, "Write the drawing with its frame as HP-GL to this file");
    frame->callback([&options, &action, args] {
        action = [&options, args](std::ostream& out, std::ostream& err) { return RunFrame(options, *args, out, err); };
    });
}

void AddMouldingCommand(CLI::App& app, CliOptions& options, std::function<int(std::ostream&, std::ostream&)>& action) {
    auto args = std::make_shared<MouldingArgs>();
    CLI::App* moulding = app.add_subcommand(
        "moulding", "Compute a bent moulding's notches and strip length, and its cutting outline");
    moulding->add_flag("--angle-mode", args->angleMode,
                       "Bend angle and number of segments (--alpha, --N) instead of the inner arc (--l, --eps)");
    MouldingTexts& t = args->texts;
    AddLengthOption(moulding, "--H", t.H, "Thickness of the moulding, mm");
    AddLengthOption(moulding, "--r", t.r, "Inner radius of the bend, mm");
    AddLengthOption(moulding, "--l", t.l, "Inner arc length, mm (arc mode)");
    AddLengthOption(moulding, "--eps", t.eps, "Accuracy, mm (arc mode)");
    AddLengthOption(moulding, "--d", t.d, "Thickness of the uncut band, mm");
    AddLengthOption(moulding, "--alpha", t.alpha, "Bend angle, degrees (angle mode)");
    AddLengthOption(moulding, "--N", t.N, "Number of segments (angle mode)");
    AddLengthOption(moulding, "--e", t.e, "Height of the lead lines above the band line, mm");
    moulding->add_option("--burn", args->burn, "Compensate a burn allowance of this many mm");
    moulding->add_flag("--no-reduce", args->noReduce, "Do not reduce the outer radius to the band");
    moulding->add_flag("--geometry", args->geometry, "With --json: add the outline's tables and cut path");
    moulding->add_option("--out", args->out, "Write the outline as HP-GL to this file");
    moulding->callback([&options, &action, args] {
        action = [&options, args](std::ostream& out, std::ostream& err) {
            return RunMoulding(options, *args, out, err);
        };
    });
}

}  // namespace wirvela
