#include "controller/ControllerDispatcher.h"

#include "config/MessageFormat.h"
#include "config/MessageLog.h"
#include "config/Messages.h"
#include "config/Prompt.h"
#include "controller/ComClass.h"
#include "controller/ControllerCodes.h"
#include "controller/CuttingEvents.h"
#include "controller/ManualControlEvents.h"
#include "controller/Pendant.h"
#include "controller/RotaryEvents.h"
#include "platform/Beep.h"

namespace wirvela {

namespace {

constexpr int kErrorCaption = 109;
constexpr int kProfileFinished = 145;

}  // namespace

int ControllerDispatcher::Mode() const {
    return mode_ == kModeCutting || mode_ == kModeRotary ? mode_ : kModeManual;
}

void ControllerDispatcher::ShowStatus(std::string_view text) {
    if (!link_) return;
    const EventChannel* target = link_->EventWindow();
    if (!target) return;
    ControllerEventWindow* windows[] = {manual_, cutting_, rotary_};
    for (ControllerEventWindow* w : windows) {
        if (w && w->Events() == target) {
            w->ShowStatus(text);
            return;
        }
    }
}

void ControllerDispatcher::StartLock(bool enable) {
    ControllerEventWindow* windows[] = {manual_, cutting_, rotary_};
    for (ControllerEventWindow* w : windows) {
        if (w) w->EnableStart(enable);
    }
}

void ControllerDispatcher::NotifyPendant(int event) {
    Pendant::Send(
        pendant_, [event](Pendant& p) { return p.SendEvent(0, event); },
        [this](std::string_view text) { ShowStatus(text); });
}

void ControllerDispatcher::CodeStatus(int code) {
    ShowStatus(ControllerCodes::FormatCode(messages_, code));
}

void ControllerDispatcher::CodeBox(int code) {
    PromptRequest request;
    request.text = ControllerCodes::FormatCode(messages_, code);
    request.caption = messages_.MessageText(kErrorCaption);
    request.icon = PromptIcon::Warning;
    const ControllerCode* entry = ControllerCodes::Find(code);
    request.messageKey = entry ? entry->messageKey : kUnknownCodeMessage;
    prompt_.Ask(request);
}

void ControllerDispatcher::Trace(std::string_view text) {
    if (trace_) trace_->Log(text);
}

void ControllerDispatcher::Dispatch(int event) {
    const int code = event & 0xFFFF;
    if (code == STAT_END && !ProgramEnd(code)) return;
    if (code == STAT_ERR_IPWM || code == STAT_ERR_OVERR) RunError(code);
    if (IsLimitSwitch(code)) {
        if (Mode() == kModeManual && manual_ && manual_->MovingToStartCorner() && code == WYL_LEWY_DOL) {
            NotifyPendant(kPendantStartCorner);
        }
        CodeStatus(code);
    }
    if (code == STAT_END || code == STAT_ERR_IPWM || code == STAT_ERR_OVERR) TakeBack(code);
}

bool ControllerDispatcher::ProgramEnd(int code) {
    switch (Mode()) {
        case kModeCutting:
            Beep();
            CodeStatus(code);
            StartLock(true);
            if (cutting_) {
                cutting_->EnableContinue(false);
                cutting_->EnableHold(false);
            }
            return true;
        case kModeRotary:
            Trace("STAT_END received (HPR)");
            if (!rotary_) return true;
            rotary_->EnableHold(false);
            if (rotary_->LastProfile()) {
                Beep();
                Trace("end of project (HPR)");
                CodeStatus(code);
                StartLock(true);
                rotary_->EnableContinue(false);
                rotary_->EnableHold(false);
                return true;
            } else {
                const std::string text =
                    FormatMessage(messages_.MessageText(kProfileFinished), {rotary_->CurrentRow() - 1});
                Trace(text);
                ShowStatus(text);
                rotary_->MovePreviewToCurrentRow();
                rotary_->SendNextProfile();
                rotary_->EnableHold(true);
                return false;
            }
        default:
            CodeStatus(code);
            if (manual_) manual_->StopIndicator();
            StartLock(true);
            return true;
    }
}

void ControllerDispatcher::RunError(int code) {
    switch (Mode()) {
        case kModeCutting:
            Beep();
            CodeStatus(code);
            CodeBox(code);
            if (cutting_) {
                cutting_->EnableContinue(true);
                cutting_->EnableHold(false);
            }
            return;
        case kModeRotary:
            Beep();
            CodeStatus(code);
            CodeBox(code);
            if (rotary_) {
                rotary_->EnableContinue(true);
                rotary_->EnableHold(false);
            }
            return;
        default:
            if (manual_) manual_->SetErrorFlag();
            Beep();
            CodeStatus(code);
            CodeBox(code);
            if (manual_) manual_->StopIndicator();
            StartLock(true);
            return;
    }
}

void ControllerDispatcher::TakeBack(int code) {
    if (!link_) return;
    const int taken = link_->TakeBackFromReader();
    if (taken != STAT_OK) {
        CodeStatus(taken);
        return;
    }
    if (code != STAT_END) return;
    switch (Mode()) {
        case kModeCutting:
            if (cutting_) cutting_->Stop();
            NotifyPendant(kPendantRunEnded);
            return;
        case kModeRotary:
            if (rotary_) rotary_->Stop();
            NotifyPendant(kPendantRunEnded);
            return;
        default:
            if (manual_ && manual_->ExecutingPendantMove()) NotifyPendant(kPendantMoveDone);
            return;
    }
}

}  // namespace wirvela
