// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
#include "entry_point_names.h"

#include "kel_api.h"

NameForm thisBuildNameForm() {
#if defined(KEL_CALL_DECORATES_NAMES)
    return NameForm::decorated;
#else
    return NameForm::plain;
#endif
}

EntryName findEntryName(const std::string &entry, size_t arguments, NameForm form,
                        const std::function<bool(const std::string &)> &exported) {
    const std::string plain = entry;
    const std::string decorated = entry + "@" + std::to_string(4 * arguments);
    const std::string visualC = "_" + decorated;
    EntryName found;
    const std::string &wanted = form == NameForm::plain ? plain : decorated;
    if (exported(wanted)) {
        found.name = wanted;
        return found;
    }
    const std::string ours =
        form == NameForm::plain ? "cdecl, and takes " + plain : "stdcall, and takes " + decorated;
    const std::string built = "; this recorder is built " + ours + " as its programs do";
    if (form == NameForm::plain && (exported(decorated) || exported(visualC))) {
        found.problem = "exports " + (exported(decorated) ? decorated : visualC) +
                        ", a stdcall name" + built + ": use the recorder of a stdcall build";
    } else if (form == NameForm::decorated && exported(visualC)) {
        found.problem = "exports " + visualC + ", stdcall as Visual C++ names it" + built +
                        " (docs/windows.md)";
    } else if (form == NameForm::decorated && exported(plain)) {
        found.problem = "exports " + plain +
                        ", a plain name that does not tell the calling convention" + built +
                        ": a cdecl library needs the recorder of a cdecl build";
    } else {
        found.problem = "has no entry point " + wanted;
    }
    return found;
}
