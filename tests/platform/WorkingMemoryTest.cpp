#include "platform/WorkingMemory.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <thread>

namespace wirvela {
namespace {

long ThreadPageFaults() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_minflt;
}

// Page faults of a worker thread that fills 3 x 8 MiB, one array after the other.
long WorkerFaults() {
    constexpr std::size_t kArray = std::size_t{8} << 20;  // 2,048 pages of 4 KiB
    long faults = -1;
    std::thread worker([&] {
        const long before = ThreadPageFaults();
        for (int round = 0; round < 3; ++round) {
            const std::unique_ptr<unsigned char[]> array(new unsigned char[kArray]);
            volatile unsigned char* bytes = array.get();  // the stores must happen
            for (std::size_t at = 0; at < kArray; at += 4096) bytes[at] = static_cast<unsigned char>(round);
        }
        faults = ThreadPageFaults() - before;
    });
    worker.join();
    return faults;
}

constexpr const char* kChildVariable = "WIRVELA_WORKING_MEMORY_CHILD";
enum : int { kFew = 0, kMany = 1, kNotPrepared = 2, kAnswerChanged = 3 };

// The point of the preparation: a worker thread that fills arrays of a few megabytes
// pays for no fresh pages, neither for the first array nor for one freed and taken again.
// Measured in a fresh run of this test program, which then is a program at its start (no
// other threads have run yet).
TEST(WorkingMemory, AWorkerFillsArraysWithoutFreshPages) {
    if (std::getenv(kChildVariable) != nullptr) {
        if (!WorkingMemory::Prepare(WorkingMemory::kProgramBytes)) _exit(kNotPrepared);
        if (!WorkingMemory::Prepare(WorkingMemory::kProgramBytes)) _exit(kAnswerChanged);
        _exit(WorkerFaults() < 64 ? kFew : kMany);
    }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv(kChildVariable, "1", 1);
        char filter[] = "--gtest_filter=WorkingMemory.AWorkerFillsArraysWithoutFreshPages";
        char program[] = "test_platform";
        char* argv[] = {program, filter, nullptr};
        execv("/proc/self/exe", argv);
        _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == kNotPrepared) GTEST_SKIP() << "the allocator cannot be set up here";
    EXPECT_NE(WEXITSTATUS(status), kAnswerChanged) << "later calls give the first answer";
    EXPECT_EQ(WEXITSTATUS(status), kFew) << "64 or more page faults while filling 3 x 8 MiB (exit "
                                         << WEXITSTATUS(status) << ")";
}

}  // namespace
}  // namespace wirvela
