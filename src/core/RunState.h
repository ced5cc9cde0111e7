#pragma once
// The state one run shares between the main thread and its workers.

#include "RunModel.h"

#include <atomic>

// ActiveThreadCount is raised on the main thread when a worker is started. The
// run controller lowers it when it handles the worker's WM_TASK_FINISHED (its
// workers leave it alone), so the run cannot be seen as ended while a finished
// task still waits in the queue. AbortRequested is written by the main thread only.
struct TRunState {
    std::atomic<int> ActiveThreadCount{0};
    std::atomic<bool> AbortRequested{false};
    std::atomic<TURLTaskInfoPool*> TaskPool{nullptr};  // owned by the run controller
};
