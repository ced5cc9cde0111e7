#pragma once
// Keeps freed page-sized memory in the process instead of returning it to the
// system after every page: each page builds and frees trees of several MB, and
// fresh pages from the system cost a page fault per 4 KB touched.
// Call once at the start of a program, before any thread starts.
void TuneAllocatorForPages();
