#include "controller/ControllerCodes.h"

#include <array>
#include <cstdio>

#include "config/Messages.h"
#include "config/Prompt.h"

namespace wirvela {

namespace {

constexpr std::array<ControllerCode, 48> kTable{{
    {RS_OK, "RS_OK", 30},
    {RS_OPEN_COM_ERR, "RS_OPEN_COM_ERR", 31},
    {RS_CLOSE_COM_ERR, "RS_CLOSE_COM_ERR", 32},
    {RS_COM_CONFIG_ERR, "RS_COM_CONFIG_ERR", 33},
    {RS_SETRS_COM_ERR, "RS_SETRS_COM_ERR", 34},
    {RS_TIMEOUT_SET_ERR, "RS_TIMEOUT_SET_ERR", 35},
    {RS_EMPTY_RESP, "RS_EMPTY_RESP", 36},
    {RS_RESP, "RS_RESP", 37},
    {RS_BUSY, "RS_BUSY", 38},
    {RS_WRITE_ERR, "RS_WRITE_ERR", 39},
    {RS_FIFO_SET_ERR, "RS_FIFO_SET_ERR", 40},
    {RS_EXTRA_FRAME, "RS_EXTRA_FRAME", 41},
    {STAT_OK, "STAT_OK", 42},
    {STAT_UNK, "STAT_UNK", 43},
    {STAT_ERR_PARITY, "STAT_ERR_PARITY", 44},
    {STAT_ERR_OVERF, "STAT_ERR_OVERF", 45},
    {STAT_ERR_OVERR, "STAT_ERR_OVERR", 46},
    {STAT_ERR_OVERFM, "STAT_ERR_OVERFM", 47},
    {STAT_VER, "STAT_VER", 48},
    {STAT_NOTSUP, "STAT_NOTSUP", 49},
    {STAT_ERR_IPWM, "STAT_ERR_IPWM", 50},
    {STAT_END, "STAT_END", 51},
    {STAT_ERR_IFAN, "STAT_ERR_IFAN", 52},
    {144, "", 53},
    {WYL_LEWY, "WYL_LEWY", 54},
    {WYL_PRAWY, "WYL_PRAWY", 55},
    {WYL_GORA, "WYL_GORA", 56},
    {WYL_DOL, "WYL_DOL", 57},
    {WYL_LEWY_GORA, "WYL_LEWY_GORA", 58},
    {WYL_LEWY_DOL, "WYL_LEWY_DOL", 59},
    {WYL_PRAWY_GORA, "WYL_PRAWY_GORA", 60},
    {WYL_PRAWY_DOL, "WYL_PRAWY_DOL", 61},
    {NO_PLOTER, "NO_PLOTER", 62},
    {COM_CUT_PROCESSING, "COM_CUT_PROCESSING", 63},
    {COM_DEAMON_CREATE_ERR, "COM_DEAMON_CREATE_ERR", 64},
    {COM_MUTEX_CREATE_ERR, "COM_MUTEX_CREATE_ERR", 65},
    {COM_ASYNCH_ERR_READ, "COM_ASYNCH_ERR_READ", 66},
    {COM_MUTEX_BUSY, "COM_MUTEX_BUSY", 67},
    {COM_MUTEX_ERR, "COM_MUTEX_ERR", 68},
    {COM_MUTEX_BUSY_ASYNCH, "COM_MUTEX_BUSY_ASYNCH", 69},
    {ERR_COUNTER_OVERFLOW, "ERR_COUNTER_OVERFLOW", 70},
    {ERR_RASTER_OVERFLOW, "ERR_RASTER_OVERFLOW", 71},
    {ERR_INTER_OVERFLOW, "ERR_INTER_OVERFLOW", 72},
    {ERR_WAIT_MUTEX, "ERR_WAIT_MUTEX", 73},
    {RS_DMA_CRC_ERROR, "RS_DMA_CRC_ERROR", 74},
    {STAT_ERR_DMAWRTM, "STAT_ERR_DMAWRTM", 92},
    {STAT_ERR_OVERSIZE, "STAT_ERR_OVERSIZE", 93},
    {ERR_COUNTER_OVERFLOW_EXT, "ERR_COUNTER_OVERFLOW_EXT", 75},
}};

}  // namespace

std::span<const ControllerCode> ControllerCodes::Table() {
    return kTable;
}

const ControllerCode* ControllerCodes::Find(int code) {
    for (const ControllerCode& entry : kTable) {
        if (entry.code == code) return &entry;
    }
    return nullptr;
}

std::string ControllerCodes::CodeText(const TMessages& messages, int code) {
    const ControllerCode* entry = Find(code);
    return messages.MessageText(entry ? entry->messageKey : kUnknownCodeMessage);
}

std::string ControllerCodes::FormatCode(const TMessages& messages, int code) {
    const ControllerCode* entry = Find(code);
    if (!entry) return messages.MessageText(kUnknownCodeMessage);
    // The message text is inserted as an argument, never used as a format.
    const std::string& text = messages.MessageText(entry->messageKey);
    char tail[96];
    std::snprintf(tail, sizeof tail, ". \n [ %d = %02Xhex ]: ", code, static_cast<unsigned>(code));
    return " " + text + tail + std::string(entry->name);
}

int ControllerCodes::ShowCodeBox(Prompt& prompt, const TMessages& messages, std::string_view caption, int code) {
    if (code == RS_OK || code == STAT_OK) return 0;
    char tail[64];
    std::snprintf(tail, sizeof tail, " [%d=%Xhex]", code, static_cast<unsigned>(code));
    PromptRequest request;
    request.text = CodeText(messages, code) + tail;
    request.caption = std::string(caption);
    request.icon = PromptIcon::Warning;
    const ControllerCode* entry = Find(code);
    request.messageKey = entry ? entry->messageKey : kUnknownCodeMessage;
    prompt.Ask(request);
    return code;
}

}  // namespace wirvela
