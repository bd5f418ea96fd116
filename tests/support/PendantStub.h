#pragma once
// A pendant that accepts every request and does nothing: the fakes of the tests override
// only the requests they watch.
#include <string>

#include "controller/Pendant.h"

namespace wirvela::test {

struct PendantStub : Pendant {
    void Connect() override {}
    bool TryAcquireShared() override { return true; }
    void ReleaseShared() override {}
    int SetParameter(int, std::int32_t) override { return 0; }
    int SetMaterialParameter(int, int, std::int32_t) override { return 0; }
    int SendEvent(int, int) override { return 0; }
    std::string ErrorText(int) const override { return {}; }
};

}  // namespace wirvela::test
