// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// The entry point table and the recording's call shapes describe the same
// functions: a shape left behind when an entry point changes would size
// buffers from the wrong arguments.
#include <gtest/gtest.h>

#include <string>

#include "call_shapes.h"
#include "kel_entry_points.h"

namespace {

// Counted from the declared type alone: the test does not link the library,
// and an unoptimised build would need its symbols for an address.
template <typename Function> struct ParameterCount;
template <typename Result, typename... Parameters>
struct ParameterCount<Result KEL_CALL(Parameters...)> {
    static constexpr size_t value = sizeof...(Parameters);
};

TEST(EntryTable, EveryEntryPointHasItsShape) {
    size_t listed = 0;
#define CHECK_SHAPE(entry, type, parameters, argumentNames)                                        \
    EXPECT_EQ(std::string(rec::shapes::entry.name), "KEL_" #entry);                                \
    EXPECT_EQ(rec::shapes::entry.arguments.size(), ParameterCount<decltype(KEL_##entry)>::value)   \
        << #entry;                                                                                 \
    EXPECT_EQ(rec::findEntryShape("KEL_" #entry), &rec::shapes::entry);                            \
    ++listed;
    KEL_ENTRY_POINTS(CHECK_SHAPE)
#undef CHECK_SHAPE
    EXPECT_EQ(listed, static_cast<size_t>(kKelEntryPointCount));
}

} // namespace
