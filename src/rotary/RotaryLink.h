#pragma once
// The controller operations a rotary project uses, as one seam: the link (ComRotaryLink)
// in the program, a recorder in tests that checks the exact sequence a profile sends.
// Each returns a status code of the controller link; 16 is success.
#include <cstdint>

#include "controller/CutParameters.h"

namespace wirvela {

class ComClass;

class RotaryLink {
public:
    virtual ~RotaryLink() = default;
    virtual int Cancel() = 0;
    virtual int BeginBlock() = 0;
    virtual int EndBlock() = 0;
    virtual int Setup(const CutParameters& record) = 0;
    // dx, dy in steps; period of the major axis' step, µs.
    virtual int Line(std::int32_t dx, std::int32_t dy, bool delay, double period, double rotRatio) = 0;
    // The table turns by dfi steps, one step every `period` µs.
    virtual int Turn(std::int32_t dfi, double period) = 0;
    // C_REPEAT: how often the program part before it is repeated.
    virtual int Repeat(std::uint8_t count) = 0;
    virtual int Start() = 0;
    virtual int Hold() = 0;
    virtual int Resume(bool wait) = 0;
    virtual int SetHeatingLive(int percent) = 0;
};

// The operations on the controller link.
class ComRotaryLink final : public RotaryLink {
public:
    explicit ComRotaryLink(ComClass& link) : link_(link) {}
    int Cancel() override;
    int BeginBlock() override;
    int EndBlock() override;
    int Setup(const CutParameters& record) override;
    int Line(std::int32_t dx, std::int32_t dy, bool delay, double period, double rotRatio) override;
    int Turn(std::int32_t dfi, double period) override;
    int Repeat(std::uint8_t count) override;
    int Start() override;
    int Hold() override;
    int Resume(bool wait) override;
    int SetHeatingLive(int percent) override;

private:
    ComClass& link_;
};

}  // namespace wirvela
