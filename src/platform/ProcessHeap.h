#pragma once

// How the C library's heap serves this program's threads. Called first
// thing in main, before any thread starts.
//
// Our threads (the extraction workers, the decrypting threads, the window
// system's own) allocate their buffers once and little after that. glibc
// would give each of them a heap of its own, where the memory the main thread
// has already freed cannot serve them; one heap for all of them keeps the
// program's peak memory lower at no cost in speed.
void ShareOneHeapAmongThreads();
