#pragma once
// The drawing loader: every file load goes through LoadDrawing. It takes the drawing
// mutex, clears the current drawing set, reads the file (HP-GL, or DXF for ".DXF"; for a
// ".CON" project the drawing it names, with the multiplication it asks for),
// checks the pens of a two-figure drawing and separates it into figures when the
// operator agrees, moves the drawing to the origin, reports counts on the main window's
// status panels and finally starts the connect command (the joining worker).
//
// The loader runs on the window thread. It reaches the main window, the figure
// separation and the connect command only through LoaderContext, so that the planning
// layer (which builds on this one) plugs its steps in and tests script them.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "drawing/Drawing.h"
#include "formats/HpglReader.h"
#include "formats/MultiplicationTexts.h"
#include "platform/Sync.h"

namespace wirvela {

class TParameters;
class TMessages;
class MessageLog;
class Prompt;
class TDxfReader;

// The main window's state that a load reads and changes. The main window's model owns it
// and mirrors it into its controls.
struct LoaderWindowState {
    bool pen2 = false;                  // the drawing uses pen 2 (second speed)
    int pendingMultiplication = 0;      // 0 none, 1 a project asks for one, 2 asked for
    // Multiplications applied to the drawing since it was loaded (a saved project can
    // replay only one); every load sets it to 0.
    int multiplications = 0;
    bool planarisationPending = false;  // the connect command planarises before joining
    bool cutEnabled = false;            // Wycinanie1, SpeedButton6
    bool simulateEnabled = false;       // SpeedButton2, Liniacicia1
    double scalePercent = 100.0;        // Edit2
    std::string title;                  // window title
    // Timers of the last joining run, seconds (logged with every load).
    double pointTestSeconds = 0.0;
    double lineTestSeconds = 0.0;
};

// The steps of the figure separation (path planning). Empty members: SeparateObj fails
// (1), the checks find nothing.
struct FigureSeparationSteps {
    std::function<int()> separateObj;              // 0 separated, 1 the drawing has no object
    std::function<int()> checkSegNodesConnection;  // segment lines sharing a node
    std::function<void()> markSegNodesWithFigures;
    std::function<int()> checkSegNodeLinks;  // segment ends without a figure node
};

// The connect command of the path planning. Absent: the load ends after the report.
struct ConnectCommand {
    // Creates the joining worker without running it; 16 when it was created.
    std::function<int(int interactive)> start;
    // Lets the created worker run.
    std::function<void()> resume;
};

struct LoaderContext {
    LoaderContext(TDrawing& drawing_, RecursiveTimedMutex* drawingMutex_, const TParameters& parameters_,
                  const TMessages& messages_, MessageLog& log_, Prompt* prompt_, HpglPenState& pens_,
                  LoaderWindowState& window_)
        : drawing(drawing_),
          drawingMutex(drawingMutex_),
          parameters(parameters_),
          messages(messages_),
          log(log_),
          prompt(prompt_),
          pens(pens_),
          window(window_) {}

    TDrawing& drawing;
    // The drawing mutex; nullptr when it could not be created (loads go on without it).
    RecursiveTimedMutex* drawingMutex;
    const TParameters& parameters;
    const TMessages& messages;
    MessageLog& log;
    // Asked only on interactive loads; nullptr: no boxes, questions answered No.
    Prompt* prompt;
    HpglPenState& pens;
    LoaderWindowState& window;
    // The program's DXF reader (it keeps values between files); nullptr: a fresh one.
    TDxfReader* dxf = nullptr;
    // Motor steps per millimetre of the manual-control window; absent: 1 / mmPerStep of
    // section Ploter (1 when that is 0).
    std::optional<double> stepsPerMm;
    // Status panel `panel` (0 … 4) of the main window shows `text` (events 2004–2008).
    std::function<void(int panel, std::string_view text)> status;
    std::function<void()> fitView;            // Zoom All of the drawing view
    std::function<void()> refreshSizeReport;  // panel 1 from the scale percentage
    FigureSeparationSteps separation;
    ConnectCommand connect;
    // The multiplication dialog's fields, which a project reads and fills (a project asks
    // for the multiplication they describe). Absent: the dialog's defaults; not kept.
    std::function<MultiplicationTexts()> multiplicationFields;
    std::function<void(const MultiplicationTexts&)> setMultiplicationFields;
};

// Why a load returned -2.
enum class LoadFailure {
    None,
    CannotOpen,         // the file could not be opened or read (message 605; detail says why)
    Project,            // a ".CON" project that names no usable drawing (messages 620–623; detail says why)
    Empty,              // the file gave no line (message 606)
    SegmentPens,        // pen 5 in two-figure mode with pens other than exactly 3, 4, 5 (message 314)
    FigurePens,         // pens 3, 4 or 5 without segment lines (message 315 or 317)
    ConnectNotStarted,  // the connect command did not start its worker
    TooLarge,           // the drawing fills the vertex or line table (message 602)
    BadNumber,          // a DXF entity holds a value that is no number (message 603; detail says where)
    OutOfReach,         // wider or taller than the step counters hold (message 604; detail gives the size)
};

struct LoadReport {
    LoadFailure failure = LoadFailure::None;
    // CannotOpen: why; TooLarge, BadNumber, OutOfReach: the figures or the place; Project:
    // what is wrong with the project.
    std::string detail;
    bool dxf = false;
    bool separated = false;  // split into figures and segment lines
    double seconds = 0.0;    // reading and checking, without the joining
    // The drawing file that was read: the file given, or the drawing a project names.
    std::filesystem::path drawing;
};

// Loads `file` into the current drawing set. interactive: 1 when the operator chose
// the file (message boxes through the prompt), 0 for loads from a project or the
// pendant. Returns 16 when the drawing was loaded (and the connect command, when
// present, started its worker), -2 when nothing was loaded.
int LoadDrawing(LoaderContext& context, const std::filesystem::path& file, int interactive,
                LoadReport* report = nullptr);

// Moves the current set so that its smallest x and y (over all its vertices, excluded
// ones included, truncated toward zero) become 0, and logs "MinX: " and "MinY: ".
void ShiftSetToOrigin(TDrawing& drawing, MessageLog& log);

// Moves all three sets by the smallest x and y of figures 1 and 2 (an empty figure does
// not count), truncated toward zero; logs as above.
void ShiftFiguresToOrigin(TDrawing& drawing, MessageLog& log);

// The drawing settings derived at start-up and after the parameter editor: the scale
// SkalaHPGL (0.025), the aperture PointAperture (0.1) ÷ scale and the snap grid
// SnapGridSize (0.025) ÷ scale, both in drawing units.
void DeriveDrawingSettings(TDrawing& drawing, const TParameters& parameters);

}  // namespace wirvela
