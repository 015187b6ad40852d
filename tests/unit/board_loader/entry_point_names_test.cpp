// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Which exported names the loader takes: exactly those of its own
// build's programs, checked for both 32-bit Windows builds here, where
// neither can run.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "entry_point_names.h"

namespace {

EntryName lookUp(NameForm form, std::set<std::string> exports) {
    return findEntryName("KEL_init", 2, form,
                         [&](const std::string &name) { return exports.count(name) > 0; });
}

// Fault guarded: a cdecl recorder took KEL_init@8 and _KEL_init@8 and
// called a stdcall library the wrong way.
TEST(EntryPointNames, EachBuildTakesOnlyItsOwnConventionsNames) {
    EXPECT_EQ(lookUp(NameForm::plain, {"KEL_init", "KEL_init@8"}).name, "KEL_init");
    EXPECT_EQ(lookUp(NameForm::decorated, {"KEL_init", "KEL_init@8"}).name, "KEL_init@8");

    const EntryName stdcallOnly = lookUp(NameForm::plain, {"KEL_init@8"});
    EXPECT_EQ(stdcallOnly.name, "");
    EXPECT_EQ(stdcallOnly.problem,
              "exports KEL_init@8, a stdcall name; this recorder is built cdecl, and takes "
              "KEL_init as its programs do: use the recorder of a stdcall build");
    EXPECT_EQ(
        lookUp(NameForm::plain, {"_KEL_init@8"}).problem.find("exports _KEL_init@8, a stdcall"),
        0u);

    const EntryName plainOnly = lookUp(NameForm::decorated, {"KEL_init"});
    EXPECT_EQ(plainOnly.name, "");
    EXPECT_NE(plainOnly.problem.find("exports KEL_init, a plain name that does not tell the "
                                     "calling convention; this recorder is built stdcall"),
              std::string::npos)
        << plainOnly.problem;
    EXPECT_NE(lookUp(NameForm::decorated, {"_KEL_init@8"}).problem.find("as Visual C++ names it"),
              std::string::npos);
    EXPECT_EQ(lookUp(NameForm::decorated, {}).problem, "has no entry point KEL_init@8");
    // Only 32-bit stdcall Windows builds decorate; this one does not.
    EXPECT_EQ(thisBuildNameForm(), NameForm::plain);
}

} // namespace
