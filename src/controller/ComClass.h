#pragma once
// The command layer of the controller link: the frame operations, the host-side program
// block, the line and turn encodings, the handshake and the operations the windows use.
// Every operation returns a status code (ControllerCodes.h); 16 is success.
//
// Port ownership: while a program runs (Running()), the reader thread owns the port.
// Operations that change the motion refuse with 561 then; QueryState, SetHeatingLive,
// Hold and Cancel take the port back first (TakePort).
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "controller/CutParameters.h"
#include "controller/RSport.h"

namespace wirvela {

class ComClass : public RSport {
public:
    static constexpr std::int32_t kMaxSegmentSteps = 32760;
    static constexpr std::size_t kMaxInfoChars = 901;
    static constexpr std::uint32_t kBlockFrames = kBlockBufferBytes / kFrameSize;

    ComClass(LinkServices services, EventChannel* eventWindow);
    ~ComClass() override;

    // ---- frames ------------------------------------------------------------------
    // Each returns the exchange's code when it is not 0, otherwise the reply byte.
    int SendByteCommand(std::uint8_t letter, std::uint8_t a1);
    int SendLongCommand(std::uint8_t letter, std::int32_t a1);
    int SendTurnCommand(std::uint8_t letter, std::int32_t dfi, std::uint16_t v);
    int SendFieldCommand(std::uint8_t letter, std::uint16_t a1, std::int32_t a2, std::uint16_t a3,
                         std::uint16_t interNum, std::uint16_t kfd);
    // The block layer, then one diagnostic record. 0 with the reply byte, or a code.
    int Exchange(const Frame& frame, std::uint8_t& reply, bool purge);

    // ---- link operations ---------------------------------------------------------
    int Handshake();
    int ReadInfo();
    int QueryClock();
    int TakePort();
    int GivePort();
    int Cancel();
    int QueryState();
    int BeginBlock();
    int EndBlock();
    int SetHeatingLive(int value);
    int Hold();
    int Setup(const CutParameters& parameters);
    int SetMode(std::uint8_t reg, std::uint8_t value);
    int SetAddress(std::uint8_t address);
    // One controller variable (C_READVAR at byte address `address`): the controller sends
    // the status byte, then the value's four bytes, least significant first. 16 with the
    // value; 561 while a program runs (the reader thread would take the value bytes),
    // 294 when the value bytes do not all come, else the exchange's code or the reply.
    int ReadVariable(std::uint8_t address, std::array<std::uint8_t, 4>& value);
    // One straight move of dx, dy steps, split into segments of at most 32760 steps;
    // period: step period of the major axis, µs; rotRatio: rotary steps per X step.
    int Line(std::int32_t dx, std::int32_t dy, bool delay, double period, double rotRatio);
    // One segment (|x|, |y| ≤ 32760) as a line frame.
    int Segment(std::int32_t x, std::int32_t y, bool delay, double period, double rotRatio);
    // Turns the table by dfi steps with a step period in µs.
    int Turn(std::int32_t dfi, double period);
    int Start();
    int Resume(bool wait);

    // The end-of-program handling takes the port back from the reader whether or not
    // the link is marked as running: 16, 567 (time-out) or 568. On 16 the link is no
    // longer running.
    int TakeBackFromReader();

    // ---- state -------------------------------------------------------------------
    double Clock() const { return clock_; }
    // Sets the controller clock without asking the controller (tools that print frames).
    void SetClock(double hz) { clock_ = hz; }
    const std::string& Info() const { return info_; }
    const CutParameters& StoredParameters() const { return parameters_; }
    bool BlockMode() const { return blockMode_; }
    std::uint32_t BlockLength() const { return blockLength_; }
    std::span<const std::uint8_t> Block() const { return {block_.data(), blockLength_}; }
    // Sees every frame handed to Exchange, before the block layer (tools and tests).
    void SetFrameObserver(std::function<void(const Frame&)> observer) { observer_ = std::move(observer); }

    // The clock selected by a reply of the clock query.
    static double ClockOfReply(int reply);

private:
    int BlockLayer(const Frame& frame, std::uint8_t& reply, bool purge);
    int FlushAndStart(const Frame& frame, std::uint8_t& reply, bool purge);
    int BlockWrite(std::uint32_t length, int packetSize);
    int CheckedTakePort();
    bool TwoFigureDrawing() const;

    CutParameters parameters_;
    std::function<void(const Frame&)> observer_;
};

}  // namespace wirvela
