#pragma once
// One press of "Powiel": the multiplication of the current, joined drawing with the
// dialog's fields, including the row layout of multi-wire cutting, which first joins the
// drawing again from the spine's start:
//
//   Press           run state 0, row layout: the entry line and vertex go → Joining
//                   (the caller waits 100 ms, then StartRowJoin)
//   StartRowJoin    run state 1, the machine's entry point at P0 (mm), the connect command
//                   joins the drawing with the entry point taken as it stands
//   JoinEnded       the joining worker at the end of its run (ConnectContext::afterRun):
//                   run state 1 → 2 (the caller waits 100 ms, then SecondPass)
//   SecondPass      run state 3 and the press again, which now multiplies
//
// A press that multiplies ends with run state 0, one more multiplication counted in the
// main window's state, and event 2011 posted to the main window when it asked for the
// multiplication (pending state 2). The desktop program drives the steps from the
// dialog's timers; RunToEnd drives them at once, waiting for the joining (the command
// line).
#include <atomic>
#include <functional>
#include <string>
#include <string_view>

#include "config/Prompt.h"
#include "formats/MultiplicationTexts.h"
#include "generators/Multiplication.h"
#include "drawing/Lines.h"
#include "platform/Sync.h"

namespace wirvela {

class EventChannel;
class TDrawing;
class TMessages;
struct LoaderWindowState;

// Run states of the multiplication, read by the connect command.
enum MultiplyRunState : int {
    kMultiplyIdle = 0,
    kMultiplyWaitingForJoin = 1,
    kMultiplyJoined = 2,
    kMultiplySecondPass = 3,
};

struct MultiplyContext {
    MultiplyContext(TDrawing& d, RecursiveTimedMutex* mutex, LoaderWindowState& w)
        : drawing(d), drawingMutex(mutex), window(w) {}

    TDrawing& drawing;
    RecursiveTimedMutex* drawingMutex;  // nullptr: none
    LoaderWindowState& window;          // pendingMultiplication, multiplications
    // The main window's events (2011); nullptr: none are posted.
    EventChannel* mainWindow = nullptr;
    // Starts and resumes the connect command interactively, as the join button does:
    // 16 started, −2 not.
    std::function<int()> startJoin;
    // Waits until that run has ended, handling the main window's events (RunToEnd only).
    std::function<void()> waitJoin;
};

class MultiplyCommand {
public:
    enum class Step {
        Done,     // multiplied
        Refused,  // nothing changed; the result names the message
        Joining,  // the row layout joins the drawing again first
    };

    explicit MultiplyCommand(MultiplyContext context);

    // The fields and the layout a press works with (kept for the second pass).
    Step Press(const MultiplicationTexts& fields, MultiwireLayout layout);
    // Run state 1: the entry point at P0 and the joining started. False (run state 0) when
    // the joining could not be started.
    bool StartRowJoin();
    // Worker thread: a multiplication waiting for this joining goes on. True when one was.
    bool JoinEnded();
    // Run state 3 and the press again with the kept fields.
    Step SecondPass();
    // The joining a press waits for was stopped: run state 0, nothing more happens.
    void Abandon();
    // Press, and for the row layout the joining and the second pass, at once.
    Step RunToEnd(const MultiplicationTexts& fields, MultiwireLayout layout);

    int RunState() const { return state_.load(); }
    // The last press's result (message 0 after a multiplication).
    const MultiplicationResult& Result() const { return result_; }
    // The last multiplication laid the copies out for several wires.
    bool SeveralWires() const { return severalWires_; }

private:
    Step Finish(const MultiplicationResult& result);
    void RestoreEntry();

    MultiplyContext c_;
    std::atomic<int> state_{kMultiplyIdle};
    MultiplicationTexts fields_;
    MultiwireLayout layout_ = MultiwireLayout::None;
    Point2d entryMm_;
    // The entry vertex and line the row layout's first pass removed.
    VertexRecord entryVertex_;
    LineRecord entryLine_;
    MultiplicationResult result_;
    bool severalWires_ = false;
};

// A refusal as the operator is told it (caption message 109): the message, formatted with
// the field's name and what it holds (611, 612) or the row length in millimetres (501).
std::string RefusalText(const TMessages& messages, const MultiplicationResult& result, std::string_view fieldName);
// 197 with the exclamation icon, every other refusal with the stop icon.
PromptIcon RefusalIcon(const MultiplicationResult& result);
inline constexpr int kMultiplyCaption = 109;

}  // namespace wirvela
