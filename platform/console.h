// Console keyboard and screen.
//
// A key is read raw and without echo when standard input is a console. When
// it is redirected (a file or a pipe) a key is one byte of it, and at end of
// input no key is ever waiting and a key read returns at once, so that runs
// can be scripted and no test waits on a person.
#ifndef PLATFORM_CONSOLE_H
#define PLATFORM_CONSOLE_H

// Flushes standard output, then waits for one key and returns its code, or
// -1 at end of input.
int platGetKey(void);

// True when a key is waiting to be read by platGetKey; never waits.
bool platKeyWaiting(void);

// Clears the console screen; does nothing when standard output is not a
// console.
void platClearScreen(void);

#endif
