// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// Clang's thread-safety annotations: which mutex guards a member, which a
// function needs held (or must not hold). A build with -Wthread-safety
// checks them; other compilers see nothing.
#ifndef THREAD_SAFETY_THREAD_ANNOTATIONS_H
#define THREAD_SAFETY_THREAD_ANNOTATIONS_H

#if defined(__clang__)
#define KEL_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define KEL_THREAD_ANNOTATION(x)
#endif

#define CAPABILITY(x) KEL_THREAD_ANNOTATION(capability(x))
#define SCOPED_CAPABILITY KEL_THREAD_ANNOTATION(scoped_lockable)
#define GUARDED_BY(x) KEL_THREAD_ANNOTATION(guarded_by(x))
#define PT_GUARDED_BY(x) KEL_THREAD_ANNOTATION(pt_guarded_by(x))
#define REQUIRES(...) KEL_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define EXCLUDES(...) KEL_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))
#define ACQUIRE(...) KEL_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define RELEASE(...) KEL_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
#define TRY_ACQUIRE(...) KEL_THREAD_ANNOTATION(try_acquire_capability(__VA_ARGS__))
#define RETURN_CAPABILITY(x) KEL_THREAD_ANNOTATION(lock_returned(x))
#define NO_THREAD_SAFETY_ANALYSIS KEL_THREAD_ANNOTATION(no_thread_safety_analysis)

#endif
