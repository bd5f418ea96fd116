#include "controller/LinkStartup.h"

#include <cstdio>
#include <new>

#include "config/Messages.h"
#include "config/Parameters.h"
#include "config/Prompt.h"
#include "config/Settings.h"
#include "controller/ControllerCodes.h"

namespace wirvela {

namespace {

constexpr int kConnecting = 103;
constexpr int kNoLink = 104;
constexpr int kLinkCaption = 105;
constexpr int kPortPrefix = 106;
constexpr int kPortSuffix = 107;
constexpr int kIncompatible = 108;
constexpr int kErrorCaption = 109;
constexpr int kNoAnswer = 110;
constexpr int kConnected = 111;

void Box(Prompt& prompt, std::string text, std::string caption, int key) {
    PromptRequest request;
    request.text = std::move(text);
    request.caption = std::move(caption);
    request.icon = PromptIcon::Warning;
    request.messageKey = key;
    prompt.Ask(request);
}

}  // namespace

LinkStartup LinkStartup::Run(const LinkServices& services, EventChannel* manualWindow, Prompt& prompt,
                             const std::function<void(std::string_view)>& status) {
    const TMessages& m = *services.messages;
    LinkStartup result;
    result.link.reset(new (std::nothrow) ComClass(services, manualWindow));
    if (!result.link) {
        Box(prompt, m.MessageText(kNoLink), m.MessageText(kLinkCaption), kNoLink);
        result.outcome = Outcome::Exit;
        result.exitCode = 0;
        return result;
    }
    ComClass& link = *result.link;
    link.ResumeReader();
    if (status) status(m.MessageText(kConnecting));

    const int error = link.InitError();
    if (error != 0 && error != STAT_OK) {
        std::string text = ControllerCodes::FormatCode(m, error);
        if (error == RS_OPEN_COM_ERR) {
            text += m.MessageText(kPortPrefix) +
                    services.parameters->GetText(settings::kCOM, settings::kCOMForLinkFailure) +
                    m.MessageText(kPortSuffix);
        }
        const ControllerCode* code = ControllerCodes::Find(error);
        Box(prompt, text, m.MessageText(kLinkCaption), code ? code->messageKey : kUnknownCodeMessage);
        result.outcome = Outcome::Exit;
        result.exitCode = -1;
        return result;
    }

    result.handshake = link.Handshake();
    if (result.handshake == ERR_VERSION) {
        Box(prompt, m.MessageText(kIncompatible), m.MessageText(kErrorCaption), kIncompatible);
        result.outcome = Outcome::Exit;
        result.exitCode = 0;
        return result;
    }
    if (result.handshake == STAT_OK) {
        link.ReadInfo();
        if (status) status(m.MessageText(kConnected));
        return result;
    }
    const DeviceIdentity& id = link.Wanted();
    char identity[160];
    std::snprintf(identity, sizeof identity, " VID/PID=%04X/%04X SerNo=%s)", id.vid, id.pid, id.serialNo.c_str());
    Box(prompt, m.MessageText(kNoAnswer) + identity, m.MessageText(kErrorCaption), kNoAnswer);
    return result;
}

}  // namespace wirvela
