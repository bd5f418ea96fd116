#include "app/MultiplyCommand.h"

#include <utility>

#include "config/MessageFormat.h"
#include "config/Messages.h"
#include "drawing/Drawing.h"
#include "formats/DrawingLoader.h"
#include "platform/EventChannel.h"

namespace wirvela {

namespace {

constexpr int kMultiplicationEndedEvent = 2011;
constexpr int kPendingAskedFor = 2;
constexpr int kJoinNotStartedMessage = 20;

bool MultiwireRun(const MultiplicationTexts& fields, MultiwireLayout layout) {
    return fields.multiwire && layout != MultiwireLayout::None;
}

// The drawing mutex for a change on the window thread; the joining worker is not running
// then, so the wait ends at once. Without a mutex the change goes on.
class Hold {
public:
    explicit Hold(RecursiveTimedMutex* mutex) : mutex_(mutex) {
        if (mutex_ != nullptr) mutex_->lock();
    }
    ~Hold() {
        if (mutex_ != nullptr) mutex_->unlock();
    }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

private:
    RecursiveTimedMutex* mutex_;
};

}  // namespace

MultiplyCommand::MultiplyCommand(MultiplyContext context) : c_(std::move(context)) {}

MultiplyCommand::Step MultiplyCommand::Press(const MultiplicationTexts& fields, MultiwireLayout layout) {
    fields_ = fields;
    layout_ = layout;
    Hold hold(c_.drawingMutex);
    if (MultiwireRun(fields, layout) && layout == MultiwireLayout::Row && state_.load() == kMultiplyIdle) {
        const TDrawing& d = c_.drawing;
        if (d.V().Count() > 0 && d.L().Count() > 0) {
            entryVertex_ = d.V()[d.V().Count() - 1];
            entryLine_ = d.L()[d.L().Count() - 1];
        }
        const MultiplicationResult r = RemoveEntryForRowLayout(c_.drawing, fields, layout, &entryMm_);
        if (!r.Ok()) return Finish(r);
        result_ = r;
        return Step::Joining;
    }
    return Finish(Multiply(c_.drawing, fields, layout));
}

MultiplyCommand::Step MultiplyCommand::Finish(const MultiplicationResult& result) {
    result_ = result;
    state_.store(kMultiplyIdle);
    if (!result.Ok()) {
        // A project's multiplication that cannot be made is over: the main window would
        // otherwise wait for it at the end of every later joining.
        if (c_.window.pendingMultiplication == kPendingAskedFor) c_.window.pendingMultiplication = 0;
        return Step::Refused;
    }
    severalWires_ = MultiwireRun(fields_, layout_);
    ++c_.window.multiplications;
    if (c_.window.pendingMultiplication == kPendingAskedFor && c_.mainWindow != nullptr)
        c_.mainWindow->Post(kMultiplicationEndedEvent);
    return Step::Done;
}

bool MultiplyCommand::StartRowJoin() {
    state_.store(kMultiplyWaitingForJoin);
    c_.drawing.SetEntryOffset(entryMm_.x, entryMm_.y);
    if (c_.startJoin && c_.startJoin() == 16) return true;
    RestoreEntry();
    MultiplicationResult r;
    r.message = kJoinNotStartedMessage;
    Finish(r);
    return false;
}

// A joining that could not start leaves the drawing as it was before the press: the
// entry vertex and line go back to the ends of their tables, where the cut path expects them.
void MultiplyCommand::RestoreEntry() {
    Hold hold(c_.drawingMutex);
    TVert& v = c_.drawing.V();
    const bool dedup = v.Deduplication();
    v.SetDeduplication(false);
    const int vertex = v.AddVertex(entryVertex_);
    v.SetDeduplication(dedup);
    LineRecord line = entryLine_;
    line.p = vertex;
    c_.drawing.L().AddLine(line);
}

bool MultiplyCommand::JoinEnded() {
    int waiting = kMultiplyWaitingForJoin;
    return state_.compare_exchange_strong(waiting, kMultiplyJoined);
}

void MultiplyCommand::Abandon() {
    state_.store(kMultiplyIdle);
}

MultiplyCommand::Step MultiplyCommand::SecondPass() {
    state_.store(kMultiplySecondPass);
    return Press(fields_, layout_);
}

MultiplyCommand::Step MultiplyCommand::RunToEnd(const MultiplicationTexts& fields, MultiwireLayout layout) {
    const Step step = Press(fields, layout);
    if (step != Step::Joining) return step;
    if (!StartRowJoin()) return Step::Refused;
    if (c_.waitJoin) c_.waitJoin();
    if (state_.load() != kMultiplyJoined) {
        // The joining was stopped or never reached its end: the drawing stays as it joined.
        MultiplicationResult r;
        r.message = kMultiplyNothingToCopy;
        return Finish(r);
    }
    return SecondPass();
}

std::string RefusalText(const TMessages& messages, const MultiplicationResult& result, std::string_view fieldName) {
    const std::string& format = messages.MessageText(result.message);
    switch (result.message) {
        case kMultiplyRowTooLong:
            return FormatMessage(format, {result.argument});
        case kMultiplyBadCount:
        case kMultiplyBadLength:
            return FormatMessage(format, {fieldName, std::string_view(result.text)});
        default:
            return FormatMessage(format, {});
    }
}

PromptIcon RefusalIcon(const MultiplicationResult& result) {
    return result.message == kMultiplyTooManyCopies ? PromptIcon::Warning : PromptIcon::Error;
}

}  // namespace wirvela
