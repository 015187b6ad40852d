// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Which exported names the loader takes for the board library's entry
// points: exactly those the programs of its own build import. On 32-bit
// Windows a cdecl build takes only plain names (KEL_init) and a stdcall
// build only the decorated ones (KEL_init@8), so that neither the recorder
// nor the server calls a library of the other convention; when the library
// has only another form's names, the reason says which.
#ifndef BOARD_LOADER_ENTRY_POINT_NAMES_H
#define BOARD_LOADER_ENTRY_POINT_NAMES_H

#include <stddef.h>

#include <functional>
#include <string>

enum class NameForm {
    plain,    // cdecl on 32-bit Windows, and every other target
    decorated // stdcall on 32-bit Windows, as the GNU tools name it: KEL_init@8
};

// This build's form.
NameForm thisBuildNameForm();

struct EntryName {
    std::string name;    // the name found; empty when none was
    std::string problem; // when none was: why, one clause
};

// Looks for `entry`, which takes `arguments` 32-bit arguments, under this
// form's name; `exported` tells whether the library exports a name.
EntryName findEntryName(const std::string &entry, size_t arguments, NameForm form,
                        const std::function<bool(const std::string &)> &exported);

#endif
