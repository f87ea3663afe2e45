// The load allocates no memory for data: every heap allocation made during a load is
// counted, by replacing the C library's allocator (C++ new ends in malloc too) with
// counting wrappers around glibc's own.
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "core/analysis_state.h"
#include "tests/core/core_test_support.h"

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void __libc_free(void* block);
}

namespace {
bool counting = false;
std::size_t allocations = 0;

void countOne() {
    if (counting) ++allocations;
}
}  // namespace

extern "C" {
void* malloc(std::size_t size) {
    countOne();
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
    countOne();
    return __libc_calloc(count, size);
}
void* realloc(void* block, std::size_t size) {
    countOne();
    return __libc_realloc(block, size);
}
void free(void* block) { __libc_free(block); }
}

namespace {

template <typename Action>
std::size_t allocationsDuring(Action action) {
    allocations = 0;
    counting = true;
    action();
    counting = false;
    return allocations;
}

// A file like a real one, with every kind of shape and the awkward number forms.
std::string realisticFile() {
    std::string text = "Realistic\r\n0.000001\r\n1000\r\n";
    for (int i = 0; i < 1000; ++i) {
        text += std::to_string(10 + i % 190) + "." + std::to_string(i % 10) + "\r\n";
    }
    text += "1000\n";
    for (int i = 0; i < 1000; ++i) {
        text += std::to_string(20 + i % 150) + " " + std::to_string(15 + i % 90) + "e0\n";
    }
    text += "1000\n";
    for (int i = 0; i < 1000; ++i) {
        text += "0.0" + std::to_string(30 + i % 170) + "e3 " + std::to_string(12 + i % 120) + ".75\n";
    }
    // Long mantissas go through the slow path of decimal conversion.
    text.replace(text.find("10.0"), 4, "10.0000000000000000000000000000000000000000000000000000001");
    return text;
}

TEST(LoadAllocation, LoadAllocatesNothingBeyondTheCLibrarysFileRecord) {
    TempFolder folder;
    const std::string path = folder.write("realistic.dat", realisticFile());
    auto state = makeFreshState();
    ASSERT_TRUE(setDataFilePath(*state, path.c_str()));
    loadDataFile(*state, nullptr);  // warms up whatever the C library sets up once
    ASSERT_EQ(1, state->dataValid);

    // What opening and closing a file costs by itself: the C library's FILE record.
    const std::size_t fileRecord = allocationsDuring([&] {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        std::setvbuf(file, nullptr, _IONBF, 0);
        char byte;
        ASSERT_EQ(1u, std::fread(&byte, 1, 1, file));
        std::fclose(file);
    });
    ASSERT_EQ(1u, fileRecord) << "the counting allocator is in place";
    const std::size_t load = allocationsDuring([&] { loadDataFile(*state, nullptr); });
    EXPECT_EQ(1, state->dataValid);
    EXPECT_EQ(3000, state->fileElements);
    EXPECT_EQ(fileRecord, load);
}

}  // namespace
