// loopback_allocation_test.cpp: loopback frames through the bench allocate nothing; prints the frame rate.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include "bench/bench_device.h"
#include "common/adapter/requests.h"
#include "tests/support/bench_support.h"
#include "tests/support/test_support.h"

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
}  // namespace

// Counts every allocation of this test program while `counting` is set.
void* operator new(std::size_t size) {
    if (counting) ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

TEST(BenchLoopback, framesAreSentWithoutAnyAllocation) {
    lt::test::TempDir dir;
    const std::string path = dir.file("bench.txt");
    ASSERT_TRUE(lt::test::benchctl(path, {"create", "2"}));
    ASSERT_TRUE(lt::test::benchctl(path, {"set", "2", "external=1"}));
    lt::bench::BenchDevice device(path);
    uint32_t error = 0;
    auto handle = device.open(error);
    ASSERT_TRUE(handle);
    std::vector<uint8_t> frame(1514, 0xFF), receive(1515);
    ASSERT_TRUE(lt::adapter::setLoopbackMode(*handle, 2, 2, error));

    constexpr int kFrames = 20000;
    const auto start = std::chrono::steady_clock::now();
    counting = true;
    int failures = 0;
    for (int i = 0; i < kFrames; ++i)
        if (!lt::adapter::sendReceivePacket(*handle, 2, frame, receive, error)) ++failures;
    counting = false;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(allocations.load(), 0);
    std::printf("[ figures  ] %d frames of 1514 bytes in %.3f s (%.0f frames/s), %ld allocations\n", kFrames,
                seconds, kFrames / seconds, allocations.load());
}
